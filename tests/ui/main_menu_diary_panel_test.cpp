// The diary panel's table markup: one row per run in the diary's order, texts escaped, and a
// single row saying so when there is no run. The panel's behaviour in the menu (sorting, tabs,
// the wheel) is in main_menu_test.cpp, over the game's document.

#include "ui/main_menu_diary_panel.h"

#include <gtest/gtest.h>

namespace {

TEST(MainMenuDiaryRows, RowsAreMarkupWithEscapedTexts) {
  EXPECT_EQ(MainMenuDiaryPanel::DiaryRows({}),
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
  EXPECT_EQ(MainMenuDiaryPanel::DiaryRows({won, lost}),
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
