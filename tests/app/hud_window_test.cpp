// The whole game with the HUD on screen: over the tutorial level, the score digits, the power
// meter and the player's health are drawn where the HUD's document puts them, in the colours
// its style sheet gives them; in a level with the hands up, every part of the HUD keeps clear
// of the hands and of the other parts.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"
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

// An element's border box in window pixels.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  Box Union(const Box& other) const {
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  bool Intersects(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

Box BoxOf(Rml::ElementDocument* document, const std::string& id) {
  Rml::Element* element = document->GetElementById(id);
  EXPECT_NE(element, nullptr) << id;
  if (element == nullptr) return {};
  const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
  // Rounded, so boxes that only touch do not meet.
  return {static_cast<int>(std::lround(offset.x)), static_cast<int>(std::lround(offset.y)),
          static_cast<int>(std::lround(offset.x + size.x)),
          static_cast<int>(std::lround(offset.y + size.y))};
}

std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << box.left << "," << box.top << " to " << box.right << "," << box.bottom;
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

  // The meter and the digits under it at the top centre; the health bar and its number at the
  // bottom left: each drawn where its element's box is.
  Rml::ElementDocument* document = hud.Document();
  const Box meter = BoxOf(document, "meter-back");
  const Box digits = BoxOf(document, "digit-0").Union(BoxOf(document, "digit-3"));
  const Box bar = BoxOf(document, "health-hud-back-layer");
  const Box number = BoxOf(document, "player-health-value");
  EXPECT_GT(ChangedPixels(before, after, meter.left, meter.top, meter.Width(), meter.Height()), 300)
      << "power meter";
  EXPECT_GT(ChangedPixels(before, after, digits.left, digits.top, digits.Width(), digits.Height()),
            100)
      << "score digits";
  EXPECT_GT(ChangedPixels(before, after, bar.left, bar.top, bar.Width(), bar.Height()), 1000)
      << "health bar";
  EXPECT_GT(ChangedPixels(before, after, number.left, number.top, number.Width(), number.Height()),
            40)
      << "health number";

  // Solid colours: the meter's fill in the Sundrel colour, the empty part of the health bar
  // (its image, grey 223 there, dimmed to a quarter over the bar's back), the first hint's panel
  // (inside its border, left of its text).
  struct Solid {
    const char* what;
    int x;
    int y;
    std::array<int, 3> colour;
  };
  const Box fill = BoxOf(document, "meter-front-clan");
  const Box hint = BoxOf(document, "hint-dialog-1");
  const Solid solids[] = {
      {"meter fill #e0a030",
       fill.left + fill.Width() / 2,
       fill.top + fill.Height() / 2,
       {0xe0, 0xa0, 0x30}},
      {"health bar, empty part", bar.left + 150, bar.top + 14, {56, 56, 56}},
      {"hint panel #141420", hint.left + 5, hint.top + 6, {0x14, 0x14, 0x20}},
  };
  for (const Solid& solid : solids) {
    const auto pixel = after.At(solid.x, solid.y);
    for (int channel = 0; channel < 3; ++channel)
      EXPECT_NEAR(pixel[channel], solid.colour[channel], 4)
          << solid.what << ", channel " << channel;
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

// The extent of a hand: the box of the top corner's pixels that the hands changed, where a row
// or a column counts when at least a tenth of the corner's side changed in it.
Box HandBox(const testing_support::Image& without, const testing_support::Image& with, bool left) {
  const int side = with.width / 3;
  const int x0 = left ? 0 : with.width - side;
  const int height = with.height / 2;
  const auto changed = [&](int x, int y) {
    const auto a = without.At(x, y);
    const auto b = with.At(x, y);
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 60;
  };
  Box box{with.width, with.height, 0, 0};
  for (int y = 0; y < height; ++y) {
    int count = 0;
    for (int x = x0; x < x0 + side; ++x) count += changed(x, y) ? 1 : 0;
    if (count >= side / 10)
      box = {box.left, std::min(box.top, y), box.right, std::max(box.bottom, y + 1)};
  }
  for (int x = x0; x < x0 + side; ++x) {
    int count = 0;
    for (int y = 0; y < height; ++y) count += changed(x, y) ? 1 : 0;
    if (count >= height / 10)
      box = {std::min(box.left, x), box.top, std::max(box.right, x + 1), box.bottom};
  }
  return box;
}

// In a level at 1280 x 720 (the smallest window the options offer) with every part of the HUD
// up at once, the hands, the meter, the score, the grade, the boss panel, the health, the
// keycaps and the hints each keep a place of their own: no two of their boxes meet.
TEST(HudWindow, HandsMeterScoreGradeAndBossPanelEachKeepTheirOwnSpace) {
  testing_support::ScopedTempHome home;
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene"));
  ASSERT_EQ(game.picture.width, 1280);
  ASSERT_EQ(game.picture.height, 720);
  const auto messaging = DECS::Instance().GetManager<MessagingManager>();
  const auto menus = DECS::Instance().GetSystem<MenuManager>();
  ASSERT_NE(menus, nullptr);
  GameHUD* hud = menus->HUD();
  ASSERT_NE(hud, nullptr);
  ASSERT_NE(hud->Document(), nullptr);

  // The hands where the player sees them: what they change in the picture of the level.
  messaging->PostFormatted("hide_hud", 1);
  game.Step();
  const testing_support::Image without = game.picture;
  testing::internal::CaptureStdout();
  messaging->PostFormatted("InitRings 2", 0);
  for (int pass = 0; pass < 3; ++pass) game.Step();
  testing::internal::GetCapturedStdout();
  const Box leftHand = HandBox(without, game.picture, true);
  const Box rightHand = HandBox(without, game.picture, false);
  ASSERT_GT(leftHand.Width(), 150) << leftHand;
  ASSERT_GT(rightHand.Width(), 150) << rightHand;

  messaging->PostFormatted("show_hud", 1);
  game.Step();
  hud->UpdateScore(1205);
  hud->SetPlayerHealth(3);
  hud->UpdateBossName("BIBERTY FLORETH");
  hud->UpdateBossHealth(600, 600);
  hud->ShowBossInfo();
  hud->SetLeftKeycapVisible(true);
  hud->SetRightKeycapVisible(true);
  hud->SetPlayerLocked(true);
  hud->ShowHint("\"Move yourself over a hole to heal it with your halo!\"", 10.0f);
  hud->ShowHint("\"Press SHIFT to dash!\"", 10.0f);
  hud->ShowHint("\"Refill 4 blocks to continue!\"", 10.0f);
  for (int frame = 0; frame < 3; ++frame) {
    hud->Update(0.1f);
    game.Step();
  }

  Rml::ElementDocument* document = hud->Document();
  struct Part {
    std::string name;
    Box box;
  };
  std::vector<Part> parts = {{"left hand", leftHand}, {"right hand", rightHand}};
  parts.push_back({"score", BoxOf(document, "digit-0").Union(BoxOf(document, "digit-3"))});
  for (const char* id : {"meter-back", "meter-clan-logo", "grade-box", "boss-name",
                         "boss-health-bar", "boss-health-value", "health-hud-container",
                         "left-keycap", "right-keycap", "left-mash-keycap", "right-mash-keycap",
                         "hint-dialog-1", "hint-dialog-2", "hint-dialog-3"}) {
    Rml::Element* element = document->GetElementById(id);
    ASSERT_NE(element, nullptr) << id;
    EXPECT_TRUE(element->IsVisible(true)) << id << " is not shown";
    parts.push_back({id, BoxOf(document, id)});
  }
  for (std::size_t a = 0; a < parts.size(); ++a) {
    EXPECT_GT(parts[a].box.Width(), 0) << parts[a].name;
    for (std::size_t b = a + 1; b < parts.size(); ++b) {
      EXPECT_FALSE(parts[a].box.Intersects(parts[b].box))
          << parts[a].name << " (" << parts[a].box << ") meets " << parts[b].name << " ("
          << parts[b].box << ")";
    }
    // Inside the window.
    EXPECT_GE(parts[a].box.left, 0) << parts[a].name;
    EXPECT_GE(parts[a].box.top, 0) << parts[a].name;
    EXPECT_LE(parts[a].box.right, 1280) << parts[a].name;
    EXPECT_LE(parts[a].box.bottom, 720) << parts[a].name;
  }
  if (const char* folder = std::getenv("KELVARIS_DOCUMENT_SHOTS")) {
    testing_support::SavePng(std::string(folder) + "/hud_in_level1.png", game.picture);
  }
}

}  // namespace
