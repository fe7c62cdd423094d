#include "scripting/lua/usertype.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "scripting/lua/state.h"
#include "tests/scripting/lua/lua_test_support.h"

namespace {

using lua_test::Eval;
using ::testing::HasSubstr;

struct Vec {
  float x = 0.0f;
  float y = 0.0f;
};

struct Body {
  Vec position;
  Vec tint;  // reached through a property
  float mass = 1.0f;
  bool grounded = true;
  std::string name = "crate";
  int layer = 0;
  int touches = 0;
  void Touch() { ++touches; }
  void Push(float amount) { position.x += amount; }
};

// Counts live copies, to see owned copies released.
struct Tracked {
  Tracked() { ++live; }
  Tracked(const Tracked&) { ++live; }
  ~Tracked() { --live; }
  static inline int live = 0;
};

class LuaUsertypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lua.OpenLibraries({lua::Library::base, lua::Library::string});
    lua.NewUsertype<Vec>("Vec").Member("x", &Vec::x).Member("y", &Vec::y);
    lua.NewUsertype<Body>("Body")
        .Member("position", &Body::position)
        .Member("mass", &Body::mass)
        .Member("name", &Body::name)
        .ReadOnly("grounded", &Body::grounded)
        .Property(
            "tint", [](const Body& body) { return body.tint; },
            [](Body& body, Vec tint) { body.tint = tint; })
        .Property(
            "layer", [](const Body& body) { return body.layer; },
            [](Body& body, int layer) {
              if (layer < 0 || layer > 6) throw lua::Error("layer out of range");
              body.layer = layer;
            })
        .Method("Touch", &Body::Touch)
        .Method("Push", &Body::Push)
        .Method("Heavier", [](Body& body, float factor) { return body.mass * factor; });
    lua.SetFunction("GetBody", [this](int which) { return which == 1 ? &body : &other; });
  }

  std::string Error(const std::string& source) { return lua.RunChunk(source).error; }

  lua::State lua;
  Body body;
  Body other;
};

TEST_F(LuaUsertypeTest, MembersReferToTheObjectAndAssignmentsCopy) {
  ASSERT_TRUE(lua.RunChunk("local b = GetBody(1)\n"
                           "b.position.x = b.position.x + 2\n"
                           "b.mass = 3\n"
                           "b.name = 42\n"
                           "GetBody(2).position = b.position\n"
                           "b.position.y = 9\n")
                  .ok());
  EXPECT_EQ(body.position.x, 2.0f);
  EXPECT_EQ(body.position.y, 9.0f);
  EXPECT_EQ(body.mass, 3.0f);
  EXPECT_EQ(body.name, "42");
  EXPECT_EQ(other.position.x, 2.0f);  // copied in, not aliased
  EXPECT_EQ(other.position.y, 0.0f);
  EXPECT_EQ(Eval(lua, "return GetBody(1).name .. ' ' .. GetBody(1).mass"), "42 3.0");
}

TEST_F(LuaUsertypeTest, PropertiesGiveCopiesAndTakeWholeValues) {
  body.tint = {0.5f, 0.25f};
  ASSERT_TRUE(lua.RunChunk("local b = GetBody(1); local t = b.tint; t.x = 7").ok());
  EXPECT_EQ(body.tint.x, 0.5f);
  ASSERT_TRUE(lua.RunChunk("local b = GetBody(1); local t = b.tint; t.x = 7; b.tint = t").ok());
  EXPECT_EQ(body.tint.x, 7.0f);
  EXPECT_EQ(body.tint.y, 0.25f);
  ASSERT_TRUE(lua.RunChunk("GetBody(1).layer = 6.0").ok());
  EXPECT_EQ(body.layer, 6);
  EXPECT_THAT(Error("GetBody(1).layer = 7"), HasSubstr("layer out of range"));
  EXPECT_EQ(body.layer, 6);
}

TEST_F(LuaUsertypeTest, WrongWritesRaiseAndChangeNothing) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {"GetBody(1).grounded = false", "cannot set Body.grounded: the field is read-only"},
      {"GetBody(1).speed = 1", "cannot set Body.speed: no such field"},
      {"GetBody(1)[1] = 1", "cannot set Body.<number>: no such field"},
      {"GetBody(1).Touch = 1", "cannot set Body.Touch: it is a method"},
      {"GetBody(1).mass = 'heavy'", "cannot set Body.mass: number expected, got string"},
      {"GetBody(1).name = {}", "cannot set Body.name: string expected, got table"},
      {"GetBody(1).position = 5", "cannot set Body.position: Vec expected, got number"},
      {"GetBody(1).position = GetBody(2)", "cannot set Body.position: Vec expected, got Body"},
      {"GetBody(1).layer = 2^31", "cannot set Body.layer: number out of the integer range"},
  };
  for (const auto& row : cases) {
    EXPECT_THAT(Error(row.source), HasSubstr(row.error)) << row.source;
  }
  EXPECT_TRUE(body.grounded);
  EXPECT_EQ(body.mass, 1.0f);
  EXPECT_EQ(body.name, "crate");
  EXPECT_EQ(Eval(lua, "return GetBody(1).speed"), "nil");
  EXPECT_EQ(Eval(lua, "return GetBody(1).grounded"), "true");
}

TEST_F(LuaUsertypeTest, MethodsCheckSelfAndArgumentCount) {
  ASSERT_TRUE(lua.RunChunk("local b = GetBody(1); b:Touch(); b:Push(1.5); b.Touch(b)").ok());
  EXPECT_EQ(body.touches, 2);
  EXPECT_EQ(body.position.x, 1.5f);
  EXPECT_EQ(Eval(lua, "return GetBody(1):Heavier(2)"), "2.0");

  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {"GetBody(1).Touch()", "sol: incorrect number of arguments to member variable function"},
      {"GetBody(1):Touch(1)", "sol: incorrect number of arguments to member variable function"},
      {"GetBody(1):Push()", "sol: incorrect number of arguments to member variable function"},
      {"local b = GetBody(1); b.Touch(b.position)", "bad self: Body expected, got Vec"},
      {"local b = GetBody(1); b.Touch(5)", "bad self: Body expected, got number"},
      // The metamethods themselves, called directly with the wrong number of values.
      {"local b = GetBody(1); getmetatable(b).__index(b)",
       "sol: incorrect number of arguments to member variable function"},
      {"local b = GetBody(1); getmetatable(b).__newindex(b, 'mass')",
       "sol: incorrect number of arguments to member variable function"},
      {"local b = GetBody(1); getmetatable(b).__index(b.position, 'x')",
       "bad self: Body expected, got Vec"},
  };
  for (const auto& row : cases) {
    EXPECT_THAT(Error(row.source), HasSubstr(row.error)) << row.source;
  }
  EXPECT_EQ(body.touches, 2);
}

TEST_F(LuaUsertypeTest, UsertypesAreNotGlobals) {
  EXPECT_EQ(Eval(lua, "return Body"), "nil");
  // A global of the same name does not disturb the type.
  ASSERT_TRUE(lua.RunChunk("Body = {}; Vec = 5").ok());
  EXPECT_EQ(Eval(lua, "return GetBody(1).position.x"), "0.0");
  EXPECT_THAT(Eval(lua, "return tostring(GetBody(1))"), ::testing::StartsWith("Body: "));
}

TEST_F(LuaUsertypeTest, OwnedCopiesAreReleasedWithTheirUserdata) {
  lua.NewUsertype<Tracked>("Tracked");
  lua.SetFunction("MakeTracked", [] { return Tracked{}; });
  ASSERT_TRUE(lua.RunChunk("kept = MakeTracked(); for i = 1, 10 do MakeTracked() end").ok());
  ASSERT_TRUE(lua.RunChunk("collectgarbage(); collectgarbage()").ok());
  EXPECT_EQ(Tracked::live, 1);
  EXPECT_EQ(Eval(lua, "return kept.anything"), "nil");
  EXPECT_THAT(Error("kept.anything = 1"), HasSubstr("cannot set Tracked.anything"));
}

TEST(LuaUsertypeLifetimeTest, OwnedCopiesDieWithTheState) {
  {
    lua::State lua;
    lua.NewUsertype<Tracked>("Tracked");
    lua.SetFunction("MakeTracked", [] { return Tracked{}; });
    ASSERT_TRUE(lua.RunChunk("kept = MakeTracked()").ok());
    EXPECT_EQ(Tracked::live, 1);
  }
  EXPECT_EQ(Tracked::live, 0);
}

}  // namespace
