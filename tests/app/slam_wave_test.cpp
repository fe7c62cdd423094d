// The whole game on the first level: the "SlamWaveRing" prefab, whose material reads the nine
// "waveData" records, loads and draws without an error line while a wave runs.

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "components/prefab_instantiation.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(SlamWave, TheWaveReadingMaterialDrawsWithoutAnErrorLine) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int ground = InstantiatePrefab("SlamWaveRing", "");
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("StartWave 8 8 6 1 0.5 3", 0);
  const int frames = game.frames;
  for (int pass = 0; pass < 5; ++pass) game.Step();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout() + errors;
  EXPECT_GE(ground, 0) << output;
  EXPECT_GT(game.frames, frames);
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
}

}  // namespace
