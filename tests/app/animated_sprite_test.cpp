// The whole game on the first level: the "RingPulseSprite" prefab loads its sheet without an
// error line, and once "set_animation_sheet" and "play_animation" start its pulse the animation
// system steps it through the sheet's cells: the frame and the picture change from step to step,
// and the sheet's event message is posted when the pulse reaches its last frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"
#include "components/animation_group.h"
#include "components/prefab_instantiation.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

TEST(AnimatedSprite, ThePulseStepsThroughTheSheetInTheWindow) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  DECS& decs = DECS::Instance();
  std::vector<std::string> log;
  testing_support::RecordingReceiver recorder("log", 0, &log);
  decs.AddChild(&recorder);

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int sprite = InstantiatePrefab("RingPulseSprite", "PulseSprite");
  auto messaging = decs.GetManager<MessagingManager>();
  messaging->PostFormatted("set_animation_sheet %s %s", 1, "PulseSprite", "ring");
  messaging->PostFormatted("play_animation %s %s", 1, "PulseSprite", "pulse");
  game.Step();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout() + errors;
  ASSERT_GE(sprite, 0) << output;
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  const AnimationGroup& group =
      *decs.GetManager<ComponentManager>()->GetComponent<AnimationGroup>(sprite);
  ASSERT_EQ(group.currentClipName, "pulse");
  std::set<int> framesSeen{group.currentFrame};
  int pictureChanges = 0;
  for (int pass = 0; pass < 6; ++pass) {
    const Image before = game.picture;
    game.Step();
    framesSeen.insert(group.currentFrame);
    const int side = before.height / 5;
    if (testing_support::ChangedPixels(before, game.picture, (before.width - side) / 2,
                                       (before.height - side) / 2, side) > 20) {
      ++pictureChanges;
    }
  }
  decs.RemoveChild(&recorder);
  EXPECT_GE(framesSeen.size(), 5u) << "the frame barely moved";
  EXPECT_GE(pictureChanges, 4) << "the sprite's picture did not follow its frames";
  EXPECT_NE(std::find(log.begin(), log.end(), "log:ring_pulse_peak"), log.end());
}

}  // namespace
