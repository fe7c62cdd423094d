#include "app/system_wiring.h"

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "scripting/lua_script_system.h"
#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

// The game as it starts: the scripts' API reaches the scene stack and the tile world through the
// links the composition root filled.
TEST(SystemWiring, ScriptsSeeTheSceneStackAndTheTileGroups) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing::internal::CaptureStdout();
  StartEngine();
  testing::internal::GetCapturedStdout();
  const auto scripts = DECS::Instance().GetSystem<LuaScriptSystem>();
  ASSERT_NE(scripts, nullptr);
  const auto eval = [&](const std::string& expression) {
    return lua_test::Eval(scripts->lua, "return " + expression);
  };
  EXPECT_EQ(eval("IsCurrentScene('splash_scene')"), "true");
  EXPECT_EQ(eval("IsCurrentScene('main_menu_scene')"), "false");
  EXPECT_EQ(eval("IsIndexCollidable(0)"), "true");

  // Lowering group 0 in the tile world is seen by the scripts.
  testing::internal::CaptureStdout();
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("tilemap_set_group 0 lower", 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(eval("IsIndexCollidable(0)"), "false");
  EXPECT_EQ(eval("GetLeftHandRingsCount() .. GetRightHandRingCount()"), "00");

  testing::internal::CaptureStdout();
  StopEngine();
  testing::internal::GetCapturedStdout();
}

}  // namespace
