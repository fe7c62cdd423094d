#include "ui/main_menu_diary_panel.h"

#include <cmath>

#include "rml/rml.h"
#include "rml/string_utilities.h"
#include "ui/menu_events.h"
#include "ui/performance_diary.h"

namespace {

constexpr const char* kSortButtons[MainMenuDiaryPanel::kSortKeys] = {
    "diary-filter-grade", "diary-filter-score", "diary-filter-runtype",
    "diary-filter-time",  "diary-filter-date",  "diary-filter-completed"};

constexpr float kScrollSeconds = 0.15f;
// The box that scrolls the diary's table: the wheel scrolls it wherever the pointer is, and the
// hidden pointer is parked inside it while the wheel turns.
constexpr const char* kScrollBox = "diary-scroll";

}  // namespace

MainMenuDiaryPanel::MainMenuDiaryPanel() : diary(std::make_unique<PerformanceDiary>()) {
  diary->DiaryEnsureLoaded();
  diary->DiaryAddListener([this] { Refresh(); });
}

MainMenuDiaryPanel::~MainMenuDiaryPanel() { diary->DiaryShutdown(); }

void MainMenuDiaryPanel::SetClass(const std::string& id, const std::string& name, bool on) {
  if (document == nullptr) return;
  if (Rml::Element* element = document->GetElementById(id)) element->SetClass(name, on);
}

const char* MainMenuDiaryPanel::SortButtonId(int key) {
  return key >= 0 && key < kSortKeys ? kSortButtons[key] : "";
}

const char* MainMenuDiaryPanel::SortKeyName(DiarySortKey key) {
  switch (key) {
    case DiarySortKey::Grade:
      return "Grade";
    case DiarySortKey::Score:
      return "Score";
    case DiarySortKey::RunType:
      return "Run Type";
    case DiarySortKey::Time:
      return "Time";
    case DiarySortKey::Date:
      return "Date";
    case DiarySortKey::Completed:
      return "Completed";
  }
  return "Unknown";
}

std::string MainMenuDiaryPanel::DiaryRows(const std::vector<DiaryEntry>& entries) {
  if (entries.empty()) {
    return "<tr><td colspan=\"6\" class=\"diary-empty\">No entries recorded yet</td></tr>";
  }
  using Rml::StringUtilities::EncodeRml;
  std::string rows;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DiaryEntry& entry = entries[i];
    const std::string grade = EncodeRml(entry.grade);
    rows += "<tr class=\"diary-row\" data-entry-index=\"" + std::to_string(i) + "\">";
    rows += "<td class=\"diary-cell\" data-grade=\"" + grade + "\">" + grade + "</td>";
    rows += "<td class=\"diary-cell\">" + std::to_string(entry.score) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.runType) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.time) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.date) + "</td>";
    rows += "<td class=\"diary-cell ";
    rows += entry.completed ? "diary-completed-yes" : "diary-completed-no";
    rows += "\" style=\"";
    rows += entry.completed ? "color: #11daf5ff;" : "color: #ff69b4;";
    rows += " font-weight: bold;\" title=\"Run completion status\">";
    rows += entry.completed ? "YES" : "NO";
    rows += "</td></tr>";
  }
  return rows;
}

void MainMenuDiaryPanel::Open() {
  open = true;
  SetClass("diary-content", "visible", true);
  Refresh();
}

void MainMenuDiaryPanel::Refresh() {
  if (!open || document == nullptr) return;
  RenderTable();
  if (Rml::Element* count = document->GetElementById("diary-entry-count")) {
    count->SetInnerRML("• Total Runs: " + std::to_string(diary->Entries().size()) + " •");
  }
  if (Rml::Element* order = document->GetElementById("diary-filter-display")) {
    order->SetInnerRML(std::string("Filter by: ") + SortKeyName(diary->SortKey()));
  }
}

void MainMenuDiaryPanel::RenderTable() {
  Rml::Element* body = document->GetElementById("diary-table-body");
  if (body == nullptr) return;
  body->SetInnerRML("");
  body->SetInnerRML(DiaryRows(diary->Entries()));
}

void MainMenuDiaryPanel::SortBy(int key) {
  if (key < 0 || key >= kSortKeys) return;
  diary->DiarySetSortKey(static_cast<DiarySortKey>(key));
  for (const char* id : kSortButtons) SetClass(id, "active", false);
  SetClass(kSortButtons[key], "active", true);
  PostMenuMessage("play_sfx menuHover 0.8 1.0 0.0 2");
}

void MainMenuDiaryPanel::SelectTab(const std::string& tab) {
  if (document == nullptr) return;
  for (const char* id : {"performance-diary-tab", "performance-diary-content", "leaderboards-tab",
                         "steam-promotion-content"}) {
    SetClass(id, "active", false);
  }
  Rml::Element* diaryTab = document->GetElementById("performance-diary-tab");
  Rml::Element* leaderboardsTab = document->GetElementById("leaderboards-tab");
  if (diaryTab) diaryTab->SetInnerRML("My Diary");
  if (leaderboardsTab) leaderboardsTab->SetInnerRML("Leaderboards");
  if (tab == "performance-diary") {
    if (diaryTab) {
      diaryTab->SetClass("active", true);
      diaryTab->SetInnerRML("• My Diary");
    }
    SetClass("performance-diary-content", "active", true);
    SetClass("diary-content", "showing-leaderboards", false);
  } else if (tab == "steam-promotion") {
    if (leaderboardsTab) {
      leaderboardsTab->SetClass("active", true);
      leaderboardsTab->SetInnerRML("• Leaderboards");
    }
    SetClass("steam-promotion-content", "active", true);
    SetClass("diary-content", "showing-leaderboards", true);
  }
  PostMenuMessage("play_sfx menuHover 0.8 1.0 0.0 2");
}

void MainMenuDiaryPanel::ScrollTable(float wheel) {
  Rml::Element* box = document->GetElementById(kScrollBox);
  if (box == nullptr || !std::isfinite(wheel)) return;
  // Under the pointer, the document library scrolls the table itself.
  const Rml::Context* context = document->GetContext();
  for (const Rml::Element* hovered = context != nullptr ? context->GetHoverElement() : nullptr;
       hovered != nullptr; hovered = hovered->GetParentNode()) {
    if (hovered == box) return;
  }
  // Whole steps downwards, as the library takes the wheel.
  const float steps = std::trunc(-wheel);
  box->SetScrollTop(box->GetScrollTop() + steps * Rml::Context::kWheelScrollStep);
}

void MainMenuDiaryPanel::Update(float dt) {
  if (document == nullptr || !open) return;
  const float wheel = links.wheelDelta ? links.wheelDelta() : 0.0f;
  if (wheel != 0.0f) ScrollTable(wheel);
  if (!scrollMode && wheel != 0.0f) {
    if (links.cursorPosition) savedCursor = links.cursorPosition();
    scrollMode = true;
    if (links.setCursorHidden) links.setCursorHidden(true);
    if (Rml::Element* box = document->GetElementById(kScrollBox)) {
      const Rml::Vector2f corner = box->GetAbsoluteOffset(Rml::BoxArea::Border);
      if (links.moveCursor) links.moveCursor({corner.x + 10.0f, corner.y + 10.0f});
    }
  }
  if (!scrollMode) return;
  if (wheel != 0.0f) {
    scrollTimer = kScrollSeconds;
    return;
  }
  scrollTimer -= dt;
  if (scrollTimer > 0.0f) return;
  if (links.moveCursor) links.moveCursor(savedCursor);
  if (links.setCursorHidden) links.setCursorHidden(false);
  scrollMode = false;
}
