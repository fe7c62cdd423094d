// The whole game on the first level: "InitRings 2" makes the two hands and two rings from their
// prefabs without an error line, the hands show in the top corners of the window where the ring
// system puts them with a golden ring in each; a loose ring rises into view and flies to a hand
// when sent; back in the main menu they are gone from the picture.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "app/startup.h"
#include "components/scene_system.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "gameplay/ring_system.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::ChangedPixels;
using testing_support::Image;

// Pixels of a rectangle (top-left corner, width, height) that show the ring's gold: much more red
// than blue. The sea-green and amber hands, the white sky and the blue floor hold more blue.
int GoldenPixels(const Image& image, int left, int top, int width, int height) {
  int golden = 0;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const std::array<int, 4> pixel = image.At(x, y);
      if (pixel[0] > 120 && pixel[1] > 90 && pixel[0] - pixel[2] > 100) ++golden;
    }
  }
  return golden;
}

TEST(RingHands, InitRingsMakesTheHandsAndRingsAndShowsTheHandsInTheTopCorners) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  DECS& decs = DECS::Instance();
  // The pictures here are of the hands alone, without the HUD.
  decs.GetManager<MessagingManager>()->PostFormatted("hide_hud", 1);
  game.Step();
  const Image without = game.picture;

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  decs.GetManager<MessagingManager>()->PostFormatted("InitRings 2", 0);
  for (int pass = 0; pass < 3; ++pass) game.Step();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout() + errors;
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  const auto rings = decs.GetSystem<RingSystem>();
  ASSERT_NE(rings, nullptr);
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 1);
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
  const auto components = decs.GetManager<ComponentManager>();
  for (const int hand : {rings->leftHandEntity, rings->rightHandEntity}) {
    ASSERT_TRUE(components->HasComponent<Transform>(hand)) << hand;
    EXPECT_LT(components->GetComponent<Transform>(hand)->_position.x, 100.0f)
        << "hand " << hand << " was not placed";
  }

  // Each hand's picture is 0.3 of the view's height square, hanging from a top corner.
  const Image with = game.picture;
  ASSERT_EQ(with.width, without.width);
  const int side = with.height * 3 / 10;
  const int quarter = side * side / 4;
  EXPECT_GT(ChangedPixels(without, with, 0, 0, side), quarter) << "left hand";
  EXPECT_GT(ChangedPixels(without, with, with.width - side, 0, side), quarter) << "right hand";
  // Each hand holds its ring in the lower half of its picture.
  const int lower = side / 2;
  EXPECT_EQ(GoldenPixels(without, 0, lower, side, side - lower), 0);
  EXPECT_GT(GoldenPixels(with, 0, lower, side, side - lower), 200) << "no ring in the left hand";
  EXPECT_GT(GoldenPixels(with, with.width - side, lower, side, side - lower), 200)
      << "no ring in the right hand";
  // The middle of the view stays as it was.
  EXPECT_LT(ChangedPixels(without, with, with.width / 2 - side / 2, with.height / 2, side),
            quarter / 10);

  // A loose ring rises into the bottom middle of the view, facing it; sent to the left hand it
  // joins the ring there.
  const int leftGold = GoldenPixels(with, 0, lower, side, side - lower);
  decs.GetManager<MessagingManager>()->PostFormatted("RingSystem_AddRing", 0);
  for (int pass = 0; pass < 25; ++pass) game.Step();
  const int bottom = with.height * 7 / 10;
  EXPECT_GT(GoldenPixels(game.picture, (with.width - side) / 2, bottom, side, with.height - bottom),
            500)
      << "no loose ring below";
  decs.GetManager<MessagingManager>()->PostFormatted("RingSystem_RingLeft", 0);
  for (int pass = 0; pass < 10; ++pass) game.Step();
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 2);
  EXPECT_EQ(GoldenPixels(game.picture, (with.width - side) / 2, bottom, side, with.height - bottom),
            0);
  EXPECT_GT(GoldenPixels(game.picture, 0, lower, side, side - lower), leftGold + 200)
      << "the sent ring is not in the left hand";

  // The hands outlive the level; the main menu parks them, also when it makes them anew.
  const auto scenes = decs.GetSystem<SceneSystem>();
  ASSERT_NE(scenes, nullptr);
  testing::internal::CaptureStdout();
  decs.GetManager<MessagingManager>()->PostFormatted("scene %s", 1, "main_menu_scene");
  for (int pass = 0; pass < 50 && scenes->CurrentSceneName() != "main_menu_scene"; ++pass) {
    game.Step();
  }
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(scenes->CurrentSceneName(), "main_menu_scene");
  decs.GetManager<MessagingManager>()->PostFormatted("InitRings 1", 0);
  game.Step();
  const glm::vec3 parked(9999.0f);
  for (const int entity :
       {rings->leftHandEntity, rings->rightHandEntity, rings->leftHandRingIds.front()}) {
    EXPECT_EQ(components->GetComponent<Transform>(entity)->_position, parked) << entity;
  }
}

}  // namespace
