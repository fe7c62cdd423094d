// The whole game starting up leaves the splash scene for the main menu by itself: the splash
// scene's script asks for the change once the splash has been shown for a while.

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "components/scene_system.h"
#include "engine/decs.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(SplashToMenu, StartingTheGameLeavesTheSplashForTheMainMenu) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  const auto scenes = DECS::Instance().GetSystem<SceneSystem>();
  ASSERT_NE(scenes, nullptr);

  testing::internal::CaptureStdout();
  // The splash stays while it fades in (two seconds of game time, 0.1 s per pass)...
  for (int pass = 0; pass < 25; ++pass) game.Step();
  const std::string shown = scenes->CurrentSceneName();
  // ...and the main menu follows within fifteen seconds of the start.
  int passes = 25;
  while (scenes->CurrentSceneName() != "main_menu_scene" && passes++ < 150) game.Step();
  const std::string output = testing::internal::GetCapturedStdout();

  EXPECT_EQ(shown, "splash_scene");
  EXPECT_EQ(scenes->CurrentSceneName(), "main_menu_scene") << output;
  EXPECT_EQ(output.find("[**LUA ERROR**]"), std::string::npos) << output;
}

}  // namespace
