#include "app/system_wiring.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "audio/sound_system.h"
#include "components/scene_system.h"
#include "engine/entity_manager.h"
#include "scripting/lua_script_system.h"
#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"

namespace {

// The game as it starts, on a player folder of its own; stopped after each test.
class SystemWiring : public testing::Test {
 protected:
  void SetUp() override {
    CreateUserFolders();
    testing::internal::CaptureStdout();
    StartEngine();
    testing::internal::GetCapturedStdout();
  }
  void TearDown() override {
    testing::internal::CaptureStdout();
    StopEngine();
    testing::internal::GetCapturedStdout();
  }

  testing_support::ScopedTempHome home;
};

// The game as it starts: the scripts' API reaches the scene stack and the tile world through the
// links the composition root filled.
TEST_F(SystemWiring, ScriptsSeeTheSceneStackAndTheTileGroups) {
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
}

// The options menu's ranges reach the sound system's volumes, and a script's ShowHint the HUD.
TEST_F(SystemWiring, VolumeRangesReachTheMixerAndScriptHintsTheHud) {
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
}

// In the boss level the scripts' tutorial hints wait while its boss is missing: the HUD knows
// the scene and its entities through the composition root.
TEST_F(SystemWiring, ScriptHintsInTheBossLevelWaitForTheBoss) {
  DECS& decs = DECS::Instance();
  const auto menus = decs.GetSystem<MenuManager>();
  const auto scenes = decs.GetSystem<SceneSystem>();
  const auto scripts = decs.GetSystem<LuaScriptSystem>();
  ASSERT_NE(menus, nullptr);
  ASSERT_NE(menus->HUD(), nullptr);
  // The boss level without its boss.
  const std::filesystem::path scene = home.folder.path / "final_boss_test_scene.json";
  std::ofstream(scene) << "[]";
  testing::internal::CaptureStdout();
  const bool pushed = scenes->PushScene(scene.string(), "final_boss_test_scene");
  decs.GetManager<MessagingManager>()->PostFormatted("hide_menu", 1);
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(pushed);
  const HintSlot& first = menus->HUD()->Hints().Slots()[0];

  lua_test::Eval(scripts->lua, "ShowHint(605)");
  menus->Update(0.0f);
  EXPECT_FALSE(first.active) << first.text;

  const int boss = decs.GetManager<EntityManager>()->CreateEntity("finalBossEnemy");
  ASSERT_NE(boss, kNoEntity);
  lua_test::Eval(scripts->lua, "ShowHint(605)");
  menus->Update(0.0f);
  EXPECT_EQ(first.text, "\"Press SHIFT to dash!\"");
}

}  // namespace
