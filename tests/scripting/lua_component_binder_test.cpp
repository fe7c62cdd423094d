#include "scripting/lua_component_binder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "components/camera.h"
#include "components/collider.h"
#include "components/light.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/particle_emitter.h"
#include "components/physics.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "engine/component_manager.h"
#include "scripting/lua/state.h"

namespace {

using ::testing::HasSubstr;

class LuaComponentBinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lua.OpenLibraries({lua::Library::base, lua::Library::math, lua::Library::string});
    manager->RegisterComponent<Transform>();
    manager->RegisterComponent<Camera>();
    manager->RegisterComponent<Physics>();
    manager->RegisterComponent<Collider>();
    manager->RegisterComponent<Light>();
    manager->RegisterComponent<MaterialComponent>();
    manager->RegisterComponent<ParticleEmitter>();
    manager->RegisterComponent<TTF>();
    manager->RegisterComponent<MeshComponent>();
    binder.BindMathAndEnums();
    binder.BindComponents();
  }

  // The first result of `source` as text, or the error.
  std::string Eval(const std::string& source) {
    lua::ChunkOutcome outcome = lua.RunChunk("return tostring(" + source + ")");
    if (!outcome.ok()) return outcome.error;
    lua_State* L = lua.Handle();
    outcome.result.Push(L);
    std::string text = lua_tostring(L, -1);
    lua_pop(L, 1);
    return text;
  }
  std::string Run(const std::string& source) {
    const lua::ChunkOutcome outcome = lua.RunChunk(source);
    return outcome.ok() ? "ok" : outcome.error;
  }

  lua::State lua;
  std::shared_ptr<ComponentManager> manager = std::make_shared<ComponentManager>();
  LuaComponentBinder binder{lua, manager};
};

TEST_F(LuaComponentBinderTest, GettersReturnSlotsForEveryEntityIdAndNilOtherwise) {
  for (const char* getter :
       {"GetTransform", "GetCamera", "GetPhysics", "GetCollider", "GetLight",
        "GetMaterialComponent", "GetParticleEmitter", "GetTTF", "GetMeshComponent"}) {
    EXPECT_EQ(Eval(std::string("type(") + getter + ")"), "function") << getter;
  }
  // No entity has a component: the slot is still there, scripts test presence themselves.
  ASSERT_EQ(Run("GetTransform(3.6)._position.x = 5; GetTransform(1023)._scale.y = 2"), "ok");
  EXPECT_EQ(manager->GetComponent<Transform>(4)->_position.x, 5.0f);
  EXPECT_EQ(manager->GetComponent<Transform>(1023)->_scale.y, 2.0f);
  EXPECT_FALSE(manager->HasComponent<Transform>(4));
  for (const char* id : {"-1", "1024", "0/0", "2^31", "math.huge"}) {
    EXPECT_EQ(Eval(std::string("GetTransform(") + id + ")"), "nil") << id;
  }
  EXPECT_THAT(Eval("GetPhysics(2)"), ::testing::StartsWith("Physics: "));
}

TEST_F(LuaComponentBinderTest, GettersRefuseAnIdThatIsNotANumber) {
  manager->GetComponent<Transform>(0)->_position.x = 7.0f;
  const struct {
    const char* argument;
    const char* got;
  } cases[] = {{"nil", "got nil"},
               {"", "got no value"},
               {"'abc'", "got string"},
               {"{}", "got table"},
               {"true", "got boolean"}};
  for (const auto& [argument, got] : cases) {
    SCOPED_TRACE(argument);
    const std::string error = Run(std::string("GetTransform(") + argument + ")._position.x = 1");
    EXPECT_THAT(error, HasSubstr(std::string("bad argument #1: number expected, ") + got));
  }
  EXPECT_EQ(manager->GetComponent<Transform>(0)->_position.x, 7.0f) << "entity 0 untouched";
  // A string holding a number is a number, as Lua reads it.
  EXPECT_EQ(Eval("GetTransform('0')._position.x"), "7.0");
}

TEST_F(LuaComponentBinderTest, MembersReachTheComponentStorage) {
  ASSERT_EQ(Run("local p = GetPhysics(2)\n"
                "p._velocity.y = p._velocity.y + 3\n"
                "p._mass = 4; p._isKinematic = true\n"
                "local t = GetTransform(2); t._rotation = p._velocity\n"
                "GetTTF(2)._text = 'score ' .. 12\n"
                "GetMaterialComponent(2)._diffuseOverride.r = 0.25\n"
                "GetMeshComponent(2)._offset.z = -1\n"
                "GetParticleEmitter(2)._active = false\n"),
            "ok");
  EXPECT_EQ(manager->GetComponent<Physics>(2)->_velocity.y, 3.0f);
  EXPECT_EQ(manager->GetComponent<Physics>(2)->_mass, 4.0f);
  EXPECT_TRUE(manager->GetComponent<Physics>(2)->_isKinematic);
  EXPECT_EQ(manager->GetComponent<Transform>(2)->_rotation.y, 3.0f);
  EXPECT_EQ(manager->GetComponent<TTF>(2)->_text, "score 12");
  EXPECT_EQ(manager->GetComponent<MaterialComponent>(2)->_diffuseOverride.x, 0.25f);
  EXPECT_EQ(manager->GetComponent<MeshComponent>(2)->_offset.z, -1.0f);
  EXPECT_FALSE(manager->GetComponent<ParticleEmitter>(2)->_active);
  // Vec4's r, g, b, a are x, y, z, w.
  EXPECT_EQ(Eval("GetMaterialComponent(2)._diffuseOverride.x"), "0.25");
  EXPECT_EQ(Eval("GetMaterialComponent(2)._diffuseOverride.w"),
            Eval("GetMaterialComponent(2)._diffuseOverride.a"));
  // Only the listed fields exist.
  EXPECT_EQ(Eval("GetPhysics(2).velocity"), "nil");
  EXPECT_EQ(Eval("GetPhysics(2).inertia"), "nil");
  EXPECT_THAT(Run("GetPhysics(2).inertia = 3"), HasSubstr("cannot set Physics.inertia"));
}

TEST_F(LuaComponentBinderTest, MatricesAreOpaqueAndCopiedWhole) {
  manager->GetComponent<Transform>(1)->_modifierMatrix[3][0] = 7.0f;
  ASSERT_EQ(Run("GetTransform(2)._modifierMatrix = GetTransform(1)._modifierMatrix"), "ok");
  EXPECT_EQ(manager->GetComponent<Transform>(2)->_modifierMatrix[3][0], 7.0f);
  EXPECT_EQ(Eval("GetTransform(1)._modifierMatrix.x"), "nil");
  EXPECT_THAT(Run("GetTransform(1)._modifierMatrix = GetTransform(1)._position"),
              HasSubstr("Mat4 expected, got Vec3"));
  EXPECT_EQ(Eval("Vec3"), "nil");  // no constructors, no globals
}

TEST_F(LuaComponentBinderTest, PropertiesCopyAndRunTheirSetters) {
  ASSERT_EQ(Run("GetCamera(1)._zoom = 2.5"), "ok");
  EXPECT_EQ(manager->GetComponent<Camera>(1)->_zoom, 2.5f);
  EXPECT_TRUE(manager->GetComponent<Camera>(1)->projectionDirty);
  ASSERT_EQ(Run("GetCamera(2):SetDirty()"), "ok");
  EXPECT_TRUE(manager->GetComponent<Camera>(2)->projectionDirty);

  ASSERT_EQ(Run("local l = GetLight(1); l._color.x = 5; l._type = 2"), "ok");
  EXPECT_EQ(manager->GetComponent<Light>(1)->_color.x, 1.0f);  // a copy was changed
  EXPECT_EQ(manager->GetComponent<Light>(1)->_type, 2);
  ASSERT_EQ(Run("local l = GetLight(1); local c = l._color; c.x = 5; l._color = c;"
                "l._radii = l._radii; l._strength = 3"),
            "ok");
  EXPECT_EQ(manager->GetComponent<Light>(1)->_color.x, 5.0f);
  EXPECT_EQ(manager->GetComponent<Light>(1)->_strength, 3.0f);
  ASSERT_EQ(Run("GetMaterialComponent(1)._overrideDiffuse = true"), "ok");
  EXPECT_TRUE(manager->GetComponent<MaterialComponent>(1)->_overrideDiffuse);
}

TEST_F(LuaComponentBinderTest, ColliderLayerAndGroundedAreGuarded) {
  const struct {
    const char* layer;
    bool accepted;
  } cases[] = {{"0", true},     {"6", true},   {"ColliderLayer.PLAYER", true},
               {"4.2", true},   {"-1", false}, {"7", false},
               {"2^31", false}, {"'2'", false}};
  for (const auto& row : cases) {
    manager->GetComponent<Collider>(1)->_layer = ColliderLayer::ENEMY;
    const std::string result = Run(std::string("GetCollider(1)._layer = ") + row.layer);
    if (row.accepted) {
      EXPECT_EQ(result, "ok") << row.layer;
    } else {
      EXPECT_THAT(result, HasSubstr("cannot set Collider._layer")) << row.layer;
      EXPECT_EQ(manager->GetComponent<Collider>(1)->_layer, ColliderLayer::ENEMY) << row.layer;
    }
  }
  EXPECT_EQ(Eval("GetCollider(1)._layer"), "3");  // the refused write kept ENEMY
  EXPECT_THAT(Run("GetCollider(1)._isGrounded = false"),
              HasSubstr("cannot set Collider._isGrounded: the field is read-only"));
  EXPECT_TRUE(manager->GetComponent<Collider>(1)->_isGrounded);
  EXPECT_EQ(Eval("GetCollider(1)._isGrounded"), "true");
}

TEST_F(LuaComponentBinderTest, EnumerationsHaveTheirValuesAndRefuseWrites) {
  EXPECT_EQ(Eval("ButtonState.TRIGGERED .. ButtonState.RELEASED .. ButtonState.TRUE .. "
                 "ButtonState.FALSE"),
            "0123");
  EXPECT_EQ(Eval("ColliderLayer.DEFAULT .. ColliderLayer.BULLET .. ColliderLayer.PLAYER .. "
                 "ColliderLayer.ENEMY .. ColliderLayer.PLAYER_DASHING .. "
                 "ColliderLayer.MEGA_BLOCK_ENEMY .. ColliderLayer.PUSHER"),
            "0123456");
  EXPECT_THAT(Run("ColliderLayer.PLAYER = 5"),
              HasSubstr("sol: cannot modify the elements of an enumeration table"));
  EXPECT_EQ(Eval("ColliderLayer.PLAYER"), "2");
}

TEST(LuaComponentBinderSingleTest, BindComponentBindsOneClassOnItsOwnState) {
  lua::State lua;
  lua.OpenLibraries({lua::Library::base});
  auto manager = std::make_shared<ComponentManager>();
  manager->RegisterComponent<Camera>();
  LuaComponentBinder binder(lua, manager);
  lua::State other;
  binder.BindComponent(other.Handle(), "class Camera");  // not the binder's state
  binder.BindComponent(lua.Handle(), "class Parent");    // not a bound class
  binder.BindComponent(lua.Handle(), "class Camera");
  EXPECT_EQ(lua.Global("GetCamera").Type(), LUA_TFUNCTION);
  EXPECT_FALSE(lua.Global("GetTransform").Valid());
  EXPECT_FALSE(lua.Global("GetParent").Valid());
}

}  // namespace
