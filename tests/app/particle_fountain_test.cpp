// The whole game on the first level: the "RingSparkFountain" emitter prefab loads without an
// error line and its violet sparks show in the window within a second.

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "components/prefab_instantiation.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

// Pixels whose red rose clearly between two frames: the violet sparks over the blue floor and the
// green grass, which hold little red.
int RedderPixels(const Image& before, const Image& after) {
  int count = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      if (after.At(x, y)[0] > before.At(x, y)[0] + 50) ++count;
    }
  }
  return count;
}

TEST(ParticleFountain, TheSparksOfTheEmitterPrefabShowInTheLevel) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  const Image before = game.picture;

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int emitter = InstantiatePrefab("RingSparkFountain", "");
  for (int pass = 0; pass < 10; ++pass) game.Step();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout() + errors;
  ASSERT_GE(emitter, 0) << output;
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  ASSERT_EQ(game.picture.width, before.width);
  const int sparks = RedderPixels(before, game.picture);
  EXPECT_GT(sparks, 1000) << sparks << " pixels turned redder";
}

}  // namespace
