#include "scripting/lua_script_system.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/component_manager.h"
#include "scripting/lua_component_binder.h"
#include "tests/support/engine_fixture.h"

namespace {

class LuaScriptSystemTest : public testing_support::EngineFixture {};

TEST_F(LuaScriptSystemTest, HandsItsBinderAndStateToTheComponentManagerUntilShutdown) {
  const std::shared_ptr<ComponentManager> components = decs->GetManager<ComponentManager>();
  ASSERT_NE(components, nullptr);
  const auto system = systems->RegisterSystem<LuaScriptSystem>();
  ASSERT_NE(system->binder, nullptr);
  EXPECT_EQ(components->luaState, system->lua.Handle());
  ASSERT_EQ(components->luaBinders.size(), 1u);
  EXPECT_EQ(components->luaBinders[0], system->binder.get());
  for (const char* global : {"GetTransform", "ColliderLayer", "ButtonState", "math", "table",
                             "string"}) {
    EXPECT_TRUE(system->lua.Global(global).Valid()) << global;
  }
  for (const char* absent : {"io", "os", "package", "debug", "coroutine", "utf8"}) {
    EXPECT_FALSE(system->lua.Global(absent).Valid()) << absent;
  }

  decs->Shutdown();
  EXPECT_EQ(components->luaState, nullptr);
  EXPECT_TRUE(components->luaBinders.empty());
}

}  // namespace
