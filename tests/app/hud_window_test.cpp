// The whole game with the HUD on screen: over a scene, the score digits, the power meter and
// the player's health are drawn where the HUD's document puts them.

#include <gtest/gtest.h>

#include "engine/decs.h"
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

TEST(HudWindow, ScoreMeterAndHealthShowOverAScene) {
  testing_support::ScopedTempHome home;
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("main_menu_scene"));
  const auto documents = DECS::Instance().GetSystem<RMLSystem>();
  ASSERT_NE(documents, nullptr);
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
}

}  // namespace
