// The whole game with the HUD on screen: over the tutorial level, the score digits, the power
// meter and the player's health are drawn where the HUD's document puts them, in the colours
// its style sheet gives them.

#include <gtest/gtest.h>

#include <array>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/rml_system.h"

namespace {

// How many pixels of a window rectangle differ between two pictures.
int ChangedPixels(const testing_support::Image& before, const testing_support::Image& after,
                  int left, int top, int width, int height) {
  int changed = 0;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const auto a = before.At(x, y);
      const auto b = after.At(x, y);
      int difference = 0;
      for (int channel = 0; channel < 3; ++channel) difference += std::abs(a[channel] - b[channel]);
      if (difference > 24) ++changed;
    }
  }
  return changed;
}

TEST(HudWindow, ScoreMeterAndHealthShowOverALevel) {
  testing_support::ScopedTempHome home;
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("levelt_scene"));
  const auto documents = DECS::Instance().GetSystem<RMLSystem>();
  ASSERT_NE(documents, nullptr);
  // The scene alone: its main menu closed, and the HUD the closing shows hidden again.
  const auto messaging = DECS::Instance().GetManager<MessagingManager>();
  messaging->PostFormatted("hide_menu", 1);
  messaging->PostFormatted("hide_hud", 1);
  game.Step();
  game.Step();
  const testing_support::Image before = game.picture;

  // The HUD's document as the menu manager will give it: loaded and shown by the RML system.
  MenuDocumentHost host;
  host.getOrLoadDocument = [&](const std::string& path) {
    return documents->GetOrLoadDocument(path);
  };
  host.showDocument = [&](Rml::ElementDocument* document) { documents->ShowDocument(document); };
  host.hideDocument = [&](Rml::ElementDocument* document) { documents->HideDocument(document); };
  GameHUD hud;
  hud.SetDocumentHost(host);
  hud.LoadDocument(documents->GetContext(), nullptr);
  ASSERT_NE(hud.Document(), nullptr);
  hud.Show();
  hud.UpdateScore(1205);
  hud.SetPlayerHealth(30);
  hud.ShowHint("Hint", 10.0f);
  for (int frame = 0; frame < 3; ++frame) {
    hud.Update(0.1f);
    game.Step();
  }
  const testing_support::Image& after = game.picture;
  ASSERT_EQ(after.width, before.width);

  // The meter at the top left and the digits under it; the health bar and its number at the
  // bottom left.
  EXPECT_GT(ChangedPixels(before, after, 24, 20, 300, 40), 300) << "power meter";
  EXPECT_GT(ChangedPixels(before, after, 24, 64, 120, 56), 100) << "score digits";
  const int healthTop = after.height - 24 - 48;
  EXPECT_GT(ChangedPixels(before, after, 24, healthTop + 8, 200, 28), 1000) << "health bar";
  EXPECT_GT(ChangedPixels(before, after, 24 + 210, healthTop, 60, 48), 40) << "health number";

  // Solid colours: the meter's fill in the Sundrel colour, the empty part of the health bar
  // (its image, grey 223 there, dimmed to a quarter over the bar's back), the first hint's panel
  // (inside its border, left of its text).
  struct Solid {
    const char* what;
    int x;
    int y;
    std::array<int, 3> colour;
  };
  const Solid solids[] = {
      {"meter fill #e0a030", 24 + 150, 20 + 18, {0xe0, 0xa0, 0x30}},
      {"health bar, empty part", 24 + 150, healthTop + 22, {56, 56, 56}},
      {"hint panel #141420", after.width - 24 - 440 + 5, 180 + 6, {0x14, 0x14, 0x20}},
  };
  for (const Solid& solid : solids) {
    const auto pixel = after.At(solid.x, solid.y);
    for (int channel = 0; channel < 3; ++channel)
      EXPECT_NEAR(pixel[channel], solid.colour[channel], 4) << solid.what << ", channel " << channel;
  }

  // The results darken the level under a see-through black (#00000080): half of the level's
  // colour stays, on a spot of water right of the board sliding in.
  const testing_support::Image level = game.picture;
  hud.ShowResults(true, "A", 1205, 95.0f);
  hud.Update(0.1f);
  game.Step();
  const auto water = level.At(750, 300);
  const auto darkened = game.picture.At(750, 300);
  ASSERT_GT(water[2], 150) << "the spot is not water";
  for (int channel = 0; channel < 3; ++channel)
    EXPECT_NEAR(darkened[channel], water[channel] * 127 / 255, 4) << "channel " << channel;
}

}  // namespace
