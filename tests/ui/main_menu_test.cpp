// The main menu's pure pieces: cursor animation names, sprite frame paths and diary rows.

#include "ui/main_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MainMenuNames, CursorTransitionClasses) {
  const std::string expected[3][3] = {
      {"", "animate-to-floreth", "animate-to-sundrel"},
      {"animate-floreth-to-neutral", "", "animate-floreth-to-sundrel"},
      {"animate-sundrel-to-neutral", "animate-sundrel-to-floreth", ""}};
  for (int from = 0; from < 3; ++from) {
    for (int to = 0; to < 3; ++to) {
      EXPECT_EQ(MainMenu::TransitionClassName(from, to), expected[from][to]) << from << to;
    }
  }
  EXPECT_EQ(MainMenu::TransitionClassName(3, 1), "");
  EXPECT_EQ(MainMenu::TransitionClassName(-1, 0), "");
}

TEST(MainMenuNames, SpriteFramesAreNumberedFromOne) {
  EXPECT_EQ(MainMenu::SpriteFramePath(0, false),
            "GAME/Assets/RML/images/character_front/Vov_walking_front_01.png");
  EXPECT_EQ(MainMenu::SpriteFramePath(41, true),
            "GAME/Assets/RML/images/character_back/Vov_walking_back_42.png");
}

TEST(MainMenuDiaryRows, RowsAreMarkupWithEscapedTexts) {
  EXPECT_EQ(MainMenu::DiaryRows({}),
            "<tr><td colspan=\"6\" class=\"diary-empty\">No entries recorded yet</td></tr>");
  DiaryEntry won;
  won.grade = "A";
  won.score = 1200;
  won.runType = "SUNDREL";
  won.time = "02 min 05 sec";
  won.date = "2026-12-10";
  won.completed = true;
  DiaryEntry lost = won;
  lost.grade = "<b>";
  lost.runType = "a&b";
  lost.completed = false;
  EXPECT_EQ(MainMenu::DiaryRows({won, lost}),
            "<tr class=\"diary-row\" data-entry-index=\"0\">"
            "<td class=\"diary-cell\" data-grade=\"A\">A</td>"
            "<td class=\"diary-cell\">1200</td><td class=\"diary-cell\">SUNDREL</td>"
            "<td class=\"diary-cell\">02 min 05 sec</td><td class=\"diary-cell\">2026-12-10</td>"
            "<td class=\"diary-cell diary-completed-yes\" style=\"color: #11daf5ff; "
            "font-weight: bold;\" title=\"Run completion status\">YES</td></tr>"
            "<tr class=\"diary-row\" data-entry-index=\"1\">"
            "<td class=\"diary-cell\" data-grade=\"&lt;b&gt;\">&lt;b&gt;</td>"
            "<td class=\"diary-cell\">1200</td><td class=\"diary-cell\">a&amp;b</td>"
            "<td class=\"diary-cell\">02 min 05 sec</td><td class=\"diary-cell\">2026-12-10</td>"
            "<td class=\"diary-cell diary-completed-no\" style=\"color: #ff69b4; "
            "font-weight: bold;\" title=\"Run completion status\">NO</td></tr>");
}

}  // namespace
