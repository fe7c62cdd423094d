#pragma once
// MainMenuDiaryPanel: the main menu's diary panel ("diary-content"): the table of the player's
// finished runs in the diary's order, the six sort buttons, the two tabs (the diary and the
// leaderboards' promotion), and the mouse wheel, which scrolls the table wherever the pointer is
// while the panel is open.
//
//   MainMenuDiaryPanel panel;             // creates and loads the performance diary
//   panel.SetLinks(scrollLinks);
//   panel.SetDocument(document);          // whenever the menu's document changes
//   panel.Open();                         // shows the panel with the table filled
//   panel.Update(dt);                     // every frame: the wheel
//   panel.Close();                        // the menu shows another panel
//
// Which panel of the menu is visible is the menu's business; the panel only shows itself on
// Open and keeps its table current while it is open (the diary's listener redraws it). Elements
// are looked up by id at each use; a missing element skips only its own step. Main thread only.

#include <functional>
#include <glm/vec2.hpp>
#include <memory>
#include <string>
#include <vector>

#include "ui/diary_file.h"

namespace Rml {
class ElementDocument;
}  // namespace Rml

class PerformanceDiary;

// What the wheel scrolling needs of the window; an empty link is skipped.
struct DiaryScrollLinks {
  // The mouse wheel's movement of this frame, the cursor position in window pixels, moving it,
  // and hiding it (true) or showing it again (false).
  std::function<float()> wheelDelta;
  std::function<glm::vec2()> cursorPosition;
  std::function<void(glm::vec2)> moveCursor;
  std::function<void(bool hidden)> setCursorHidden;
};

class MainMenuDiaryPanel {
 public:
  // The number of sort buttons, one per DiarySortKey, in its order.
  static constexpr int kSortKeys = 6;

  MainMenuDiaryPanel();
  ~MainMenuDiaryPanel();
  MainMenuDiaryPanel(const MainMenuDiaryPanel&) = delete;
  MainMenuDiaryPanel& operator=(const MainMenuDiaryPanel&) = delete;

  void SetLinks(DiaryScrollLinks value) { links = std::move(value); }
  // The document the panel's elements are in; null when the menu has none.
  void SetDocument(Rml::ElementDocument* value) { document = value; }

  bool IsOpen() const { return open; }
  // Shows "diary-content" and fills the table, the run count and the order's name.
  void Open();
  // Only forgets that the panel is open; the menu hides it.
  void Close() { open = false; }
  // Sorts by the key'th button (0..5, DiarySortKey's order) and marks that button active.
  void SortBy(int key);
  // "performance-diary" or "steam-promotion": marks its tab and content active.
  void SelectTab(const std::string& tab);
  // The wheel of this frame (dt in seconds): scrolls the table and parks the hidden cursor over
  // it while the wheel turns, then puts the cursor back 0.15 s after the wheel stopped.
  void Update(float dt);

  PerformanceDiary* Diary() { return diary.get(); }
  bool Scrolling() const { return scrollMode; }

  // The id of the key'th sort button.
  static const char* SortButtonId(int key);
  // The table rows of the diary's entries, in their order (texts escaped).
  static std::string DiaryRows(const std::vector<DiaryEntry>& entries);
  static const char* SortKeyName(DiarySortKey key);

 private:
  void Refresh();
  void RenderTable();
  // Scrolls the table by this frame's wheel unless the pointer is over it (the document library
  // scrolls it then).
  void ScrollTable(float wheel);
  void SetClass(const std::string& id, const std::string& name, bool on);

  Rml::ElementDocument* document = nullptr;  // owned by the document library
  std::unique_ptr<PerformanceDiary> diary;
  DiaryScrollLinks links;
  bool open = false;
  glm::vec2 savedCursor{0.0f, 0.0f};
  bool scrollMode = false;
  float scrollTimer = 0.0f;
};
