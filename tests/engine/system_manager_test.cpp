#include "engine/system_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/component_manager.h"
#include "engine/decs.h"
#include "tests/support/engine_fixture.h"

namespace {

class MovingSystem : public BaseSystem {};
class DrawingSystem : public BaseSystem {};
class WatchingSystem : public BaseSystem {};

// Destroys another entity from inside its update, as a script posting "entity_destroy" would.
class DestroyingSystem : public BaseSystem {
 public:
  void Update(float) override {
    ForEachEntity([this](int entity) {
      visited.push_back(entity);
      if (entity == 0) DECS::Instance().DestroyEntity(1);
    });
  }
  std::vector<int> visited;
};

}  // namespace

DECLARE_TYPE_NAME(class, MovingSystem);
DECLARE_TYPE_NAME(class, DrawingSystem);
DECLARE_TYPE_NAME(class, WatchingSystem);
DECLARE_TYPE_NAME(class, DestroyingSystem);

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SystemManagerTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    moving = systems->RegisterSystem<MovingSystem>().get();
    drawing = systems->RegisterSystem<DrawingSystem>().get();
    watching = systems->RegisterSystem<WatchingSystem>().get();
    registrationOutput = testing::internal::GetCapturedStdout();
    systems->SetSignature(TypeName<MovingSystem>(), {"class Physics", "class Transform"});
    systems->SetSignature(TypeName<DrawingSystem>(), {"class MeshComponent", "class Transform"});
    // WatchingSystem declares no signature.
  }

  MovingSystem* moving = nullptr;
  DrawingSystem* drawing = nullptr;
  WatchingSystem* watching = nullptr;
  std::string registrationOutput;
};

TEST_F(SystemManagerTest, RegistrationLogsEachSystemAndKeepsItsOrder) {
  EXPECT_EQ(registrationOutput,
            "SystemManager : 'class MovingSystem' registered\n"
            "SystemManager : 'class DrawingSystem' registered\n"
            "SystemManager : 'class WatchingSystem' registered\n");
  EXPECT_EQ(systems->GetSystem<DrawingSystem>().get(), drawing);
  EXPECT_EQ(systems->FindSystem("class Nothing"), nullptr);
  // A second registration returns the first instance and logs nothing.
  testing::internal::CaptureStdout();
  EXPECT_EQ(systems->RegisterSystem<MovingSystem>().get(), moving);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(systems->Systems().size(), 3u);
}

TEST_F(SystemManagerTest, EntityJoinsExactlyTheSystemsItsSignatureCovers) {
  const struct {
    Signature entity;
    bool inMoving;
    bool inDrawing;
  } cases[] = {
      {{"class Physics", "class Transform"}, true, false},
      {{"class Physics", "class Transform", "class MeshComponent"}, true, true},  // superset
      {{"class Transform"}, false, false},                                        // subset
      {{}, false, false},
  };
  for (const auto& testCase : cases) {
    systems->EntitySignatureChanged(7, testCase.entity);
    EXPECT_EQ(moving->entities.contains(7), testCase.inMoving);
    EXPECT_EQ(drawing->entities.contains(7), testCase.inDrawing);
    EXPECT_TRUE(watching->entities.contains(7)) << "no signature takes every entity";
  }
  systems->EntitySignatureChanged(kNoEntity, {});
  systems->EntitySignatureChanged(kMaxEntities, {});
  EXPECT_THAT(watching->entities, ElementsAre(7)) << "ids outside 0..1023 are refused";
}

TEST_F(SystemManagerTest, DestroyedEntityLeavesEverySystemAtOnce) {
  testing::internal::CaptureStdout();
  const int entity = entities->CreateEntity("crate");
  systems->EntitySignatureChanged(entity, {"class Physics", "class Transform"});
  auto& components = *decs->GetManager<ComponentManager>();
  components.componentArrays.emplace("class Transform", std::make_unique<ComponentArray<int>>());
  components.componentArrays["class Transform"]->AddComponent(entity);

  decs->DestroyEntity(entity);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "EntityManager : Entity with id '0' destroyed\n");
  EXPECT_THAT(moving->entities, IsEmpty());
  EXPECT_THAT(watching->entities, IsEmpty());
  EXPECT_FALSE(components.componentArrays["class Transform"]->HasComponent(entity));
}

TEST_F(SystemManagerTest, EntityDestroyedDuringAWalkIsSkipped) {
  testing::internal::CaptureStdout();
  auto destroying = systems->RegisterSystem<DestroyingSystem>();
  for (int i = 0; i < 3; ++i) {
    systems->EntitySignatureChanged(entities->CreateEntity("ring"), {});
  }
  destroying->Update(0.01f);
  testing::internal::GetCapturedStdout();
  EXPECT_THAT(destroying->visited, ElementsAre(0, 2));
  EXPECT_THAT(destroying->entities, ElementsAre(0, 2));
}

}  // namespace
