#include "engine/component_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/component_binder.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "tests/support/engine_fixture.h"

namespace {

// Stand-ins for component classes: a value with an owned member, and types that are never
// registered.
struct Counter {
  int value = 7;
  std::string label = "fresh";
};
struct Unregistered {
  int value = 0;
};
struct Marker {};

// A system that wants entities with a Counter, and one that is never registered.
class CounterSystem : public BaseSystem {};
class IdleSystem : public BaseSystem {};

}  // namespace

DECLARE_TYPE_NAME(class, Counter);
DECLARE_TYPE_NAME(class, Unregistered);
DECLARE_TYPE_NAME(class, Marker);
DECLARE_TYPE_NAME(class, CounterSystem);
DECLARE_TYPE_NAME(class, IdleSystem);

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class NullBinder final : public IComponentBinder {
 public:
  void BindComponent(lua_State*, std::string_view) override {}
};

// Runs the block and returns what it printed.
std::string Captured(const std::function<void()>& block) {
  testing::internal::CaptureStdout();
  block();
  return testing::internal::GetCapturedStdout();
}

class ComponentManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Captured([&] { manager.RegisterComponent<Counter>(); });
  }
  ComponentManager manager;
};

TEST(ComponentManagerRegistration, ReportsTheLuaStateThenTheRegisteredLine) {
  NullBinder binder;
  const struct {
    bool withLuaState;
    std::vector<IComponentBinder*> binders;
    std::string expected;
  } cases[] = {
      {false,
       {},
       "Warning: No Lua state available for binding\n"
       "ComponentManager : 'class Counter' registered\n"},
      {false,
       {nullptr},
       "Warning: No Lua state available for binding\n"
       "ComponentManager : 'class Counter' registered\n"},
      {true,
       {},
       "Attempting to bind component to Lua: class Counter\n"
       "ComponentManager : 'class Counter' registered\n"},
      {true,
       {nullptr, &binder, nullptr},
       "Attempting to bind component to Lua: class Counter\n"
       "Warning: Null binder found\n"
       "Warning: Null binder found\n"
       "ComponentManager : 'class Counter' registered\n"},
  };
  for (const auto& testCase : cases) {
    ComponentManager manager;
    // Registration only looks at whether a state is set; it never touches the state itself.
    manager.luaState = testCase.withLuaState ? reinterpret_cast<lua_State*>(&binder) : nullptr;
    manager.luaBinders = testCase.binders;
    EXPECT_EQ(Captured([&] { manager.RegisterComponent<Counter>(); }), testCase.expected);
    ASSERT_EQ(manager.componentArrays.count("class Counter"), 1u);
  }
}

TEST_F(ComponentManagerTest, SecondRegistrationKeepsTheFirstArrayAndLogsAgain) {
  manager.AddComponent(3, Counter{42, "kept"});
  const BaseArray* first = manager.componentArrays.at("class Counter").get();
  EXPECT_THAT(Captured([&] { manager.RegisterComponent<Counter>(); }),
              HasSubstr("ComponentManager : 'class Counter' registered\n"));
  EXPECT_EQ(manager.componentArrays.size(), 1u);
  EXPECT_EQ(manager.componentArrays.at("class Counter").get(), first);
  EXPECT_EQ(manager.GetComponent<Counter>(3)->value, 42);
}

TEST_F(ComponentManagerTest, NewArrayHasNoComponentsButEverySlotHoldsADefault) {
  for (const int entity : {0, 5, 1023}) {
    EXPECT_FALSE(manager.HasComponent<Counter>(entity)) << entity;
    const Counter* slot = manager.GetComponent<Counter>(entity);
    ASSERT_NE(slot, nullptr) << entity;
    EXPECT_EQ(slot->value, 7);
    EXPECT_EQ(slot->label, "fresh");
  }
}

TEST_F(ComponentManagerTest, AddWritesAndMarksRemoveClearsAndKeepsTheValue) {
  Counter* slot = manager.GetComponent<Counter>(5);

  EXPECT_EQ(Captured([&] {
              manager.AddComponent(5, Counter{1, "one"});
            }),
            "ComponentManager : 'class Counter' added to Entity '5'\n");
  EXPECT_TRUE(manager.HasComponent<Counter>(5));
  EXPECT_EQ(slot->label, "one");
  EXPECT_FALSE(manager.HasComponent<Counter>(4)) << "neighbours stay absent";

  // Adding again replaces the value in place; the slot's address never changes.
  EXPECT_THAT(Captured([&] {
                manager.AddComponent(5, Counter{2, "two"});
              }),
              HasSubstr("added to Entity '5'"));
  EXPECT_EQ(manager.GetComponent<Counter>(5), slot);
  EXPECT_EQ(slot->value, 2);

  EXPECT_EQ(Captured([&] { manager.RemoveComponent<Counter>(5); }),
            "ComponentManager : 'class Counter' removed from Entity '5'\n");
  EXPECT_FALSE(manager.HasComponent<Counter>(5));
  EXPECT_EQ(slot->value, 2) << "a removed component keeps its value";
  EXPECT_EQ(slot->label, "two");

  // Removing what is not there still logs and changes nothing.
  EXPECT_EQ(Captured([&] { manager.RemoveComponent<Counter>(5); }),
            "ComponentManager : 'class Counter' removed from Entity '5'\n");
  EXPECT_FALSE(manager.HasComponent<Counter>(5));

  manager.AddComponent(5, Counter{3, "three"});
  EXPECT_EQ(slot->label, "three") << "a later add overwrites the kept value";
}

TEST_F(ComponentManagerTest, ArrayAddThroughTheBaseResetsThePresentSlot) {
  manager.AddComponent(9, Counter{99, "changed"});
  BaseArray& array = *manager.componentArrays.at("class Counter");
  array.AddComponent(9);
  EXPECT_TRUE(array.HasComponent(9));
  EXPECT_EQ(static_cast<Counter*>(array.GetComponent(9))->label, "fresh");
}

TEST_F(ComponentManagerTest, EntityDestroyedClearsPresenceInEveryArrayAndKeepsValues) {
  Captured([&] {
    manager.RegisterComponent<Marker>();
    manager.AddComponent(8, Counter{8, "eight"});
    manager.AddComponent(8, Marker{});
    manager.AddComponent(9, Counter{9, "nine"});
  });
  manager.EntityDestroyed(8);
  manager.EntityDestroyed(-1);    // ignored
  manager.EntityDestroyed(1024);  // ignored
  EXPECT_FALSE(manager.HasComponent<Counter>(8));
  EXPECT_FALSE(manager.HasComponent<Marker>(8));
  EXPECT_TRUE(manager.HasComponent<Counter>(9));
  EXPECT_EQ(manager.GetComponent<Counter>(8)->label, "eight");
}

TEST_F(ComponentManagerTest, BadIdsAndTypesWithoutArrayWarnAndDoNothing) {
  const struct {
    const char* what;
    int entity;
    bool registered;
  } cases[] = {
      {"negative id", -1, true},
      {"id past the last", 1024, true},
      {"far id", 1 << 20, true},
      {"type without array", 0, false},
  };
  for (const auto& testCase : cases) {
    const std::string output = Captured([&] {
      if (testCase.registered) {
        manager.AddComponent(testCase.entity, Counter{});
        manager.RemoveComponent<Counter>(testCase.entity);
        EXPECT_FALSE(manager.HasComponent<Counter>(testCase.entity));
        EXPECT_EQ(manager.GetComponent<Counter>(testCase.entity), nullptr);
      } else {
        manager.AddComponent(testCase.entity, Unregistered{});
        manager.RemoveComponent<Unregistered>(testCase.entity);
        EXPECT_FALSE(manager.HasComponent<Unregistered>(testCase.entity));
        EXPECT_EQ(manager.GetComponent<Unregistered>(testCase.entity), nullptr);
      }
    });
    EXPECT_THAT(output, HasSubstr("Warning")) << testCase.what;
    EXPECT_THAT(output, Not(HasSubstr("added"))) << testCase.what;
    EXPECT_THAT(output, Not(HasSubstr("removed"))) << testCase.what;
    EXPECT_EQ(manager.componentArrays.size(), 1u) << testCase.what << ": a look-up inserted";
  }
}

TEST(ComponentManagerIndex, EachManagerFindsOnlyItsOwnArrays) {
  ComponentManager first;
  ComponentManager second;
  Captured([&] {
    first.RegisterComponent<Counter>();
    first.AddComponent(1, Counter{11, "first"});
    second.RegisterComponent<Marker>();
  });
  EXPECT_THAT(Captured([&] { EXPECT_EQ(second.GetComponent<Counter>(1), nullptr); }),
              HasSubstr("Warning"));
  Captured([&] { second.RegisterComponent<Counter>(); });
  EXPECT_EQ(second.GetComponent<Counter>(1)->label, "fresh");
  EXPECT_EQ(first.GetComponent<Counter>(1)->label, "first");
}

class ComponentSignatureTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    Captured([&] {
      counterSystem = systems->RegisterSystem<CounterSystem>().get();
      entity = entities->CreateEntity("Thing");
    });
    systems->SetSignature(TypeName<CounterSystem>(), {"class Counter"});
  }
  const Signature& SignatureOf(int id) { return entities->signaturesById.at(id); }

  CounterSystem* counterSystem = nullptr;
  int entity = kNoEntity;
};

TEST_F(ComponentSignatureTest, SignatureChangesReachSystemsOnlyWhenAnnounced) {
  entities->AddToSignature<Counter>(entity);
  entities->AddToSignature<Counter>(entity);
  entities->AddToSignature<Marker>(entity);
  EXPECT_THAT(SignatureOf(entity), ElementsAre("class Counter", "class Marker"));
  EXPECT_FALSE(counterSystem->entities.contains(entity)) << "no announcement yet";

  systems->EntitySignatureChanged(entity, SignatureOf(entity));
  EXPECT_TRUE(counterSystem->entities.contains(entity));

  entities->RemoveFromSignature<Unregistered>(entity);  // absent: unchanged
  entities->RemoveFromSignature<Counter>(entity);
  EXPECT_THAT(SignatureOf(entity), ElementsAre("class Marker"));
  EXPECT_TRUE(counterSystem->entities.contains(entity)) << "no announcement yet";
  systems->EntitySignatureChanged(entity, SignatureOf(entity));
  EXPECT_FALSE(counterSystem->entities.contains(entity));
}

TEST_F(ComponentSignatureTest, IdsThatAreNotAliveAreIgnored) {
  for (const int id : {-1, 1023, 1024}) {
    entities->AddToSignature<Counter>(id);
    entities->RemoveFromSignature<Counter>(id);
    EXPECT_FALSE(entities->signaturesById.contains(id)) << id;
  }
}

TEST_F(ComponentSignatureTest, DecsFindsRegisteredSystemsOnly) {
  EXPECT_EQ(decs->GetSystem<CounterSystem>().get(), counterSystem);
  EXPECT_EQ(decs->GetSystem<IdleSystem>(), nullptr);
}

}  // namespace
