// The splash and main menu scenes as the game draws them in its 1280 x 720 window, in each
// graphics mode, against golden pictures: every fourth pixel of every fourth row of the window
// (320 x 180), so that a change in what any layer, pass or composite produces shows. The mode
// is chosen as a player chooses it, through "GraphicsMode" in the settings file, which selects
// the scene settings (post-processing) of that mode. Needs an X screen of at least 1280 x 720.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "app/startup.h"
#include "engine/user_folders.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr const char* kModeNames[] = {"default", "toon", "screentoned", "noir"};

class SceneGolden : public testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(SceneGolden, TheSceneLooksAsRecorded) {
  const auto& [scene, mode] = GetParam();
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  std::ofstream(GetSaveDataFolder() + "/settings.json")
      << "{\"Fullscreen\": 0, \"GraphicsMode\": " << mode
      << ", \"WindowedResolution.X\": 1280, \"WindowedResolution.Y\": 720}\n";

  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene(scene)) << "the scene never finished fading in";
  ASSERT_EQ(game.picture.width, 1280);
  ASSERT_EQ(game.picture.height, 720);
  EXPECT_TRUE(testing_support::MatchesGolden(
      testing_support::SampleBlocks(game.picture, 4),
      "tests/app/golden/" + scene + "_" + kModeNames[mode] + ".png", 2));
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneGolden,
                         testing::Combine(testing::Values("splash_scene", "main_menu_scene"),
                                          testing::Range(0, 4)),
                         [](const auto& info) {
                           return std::get<0>(info.param) + "_" +
                                  kModeNames[std::get<1>(info.param)];
                         });

}  // namespace
