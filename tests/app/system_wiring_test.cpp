#include "app/system_wiring.h"

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "audio/sound_system.h"
#include "scripting/lua_script_system.h"
#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"

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

// The options menu's ranges reach the sound system's volumes, and a script's ShowHint the HUD.
TEST(SystemWiring, VolumeRangesReachTheMixerAndScriptHintsTheHud) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing::internal::CaptureStdout();
  StartEngine();
  testing::internal::GetCapturedStdout();
  DECS& decs = DECS::Instance();
  const auto sound = decs.GetSystem<SoundSystem>();
  ASSERT_NE(sound, nullptr);
  const auto post = [&](const char* message) {
    decs.GetManager<MessagingManager>()->PostFormatted("%s", 1, message);
  };
  post("set_music_volume 0.350000");
  post("set_sfx_volume 0.200000");
  post("set_master_volume 0.500000");
  EXPECT_FLOAT_EQ(sound->musicVolume, 0.35f);
  EXPECT_FLOAT_EQ(sound->effectVolume, 0.2f);
  EXPECT_FLOAT_EQ(sound->playerVolume, 0.5f);
  // The scene transition's master volume is the sound system's own and stays so.
  EXPECT_FLOAT_EQ(sound->ambienceVolume, 1.0f);
  post("set_master_volume 3");
  EXPECT_FLOAT_EQ(sound->playerVolume, 1.0f);

  const auto menus = decs.GetSystem<MenuManager>();
  ASSERT_NE(menus, nullptr);
  ASSERT_NE(menus->HUD(), nullptr);
  post("hide_menu");
  const auto scripts = decs.GetSystem<LuaScriptSystem>();
  lua_test::Eval(scripts->lua, "ShowHint(201)");
  menus->Update(0.0f);
  EXPECT_EQ(menus->HUD()->Hints().Slots()[0].text, "\"Pick up a block to fire it!\"");

  testing::internal::CaptureStdout();
  StopEngine();
  testing::internal::GetCapturedStdout();
}

}  // namespace
