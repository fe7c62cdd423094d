// Every document of the game's RML folder, in each of its views (the panels of a menu, the HUD
// in play and under its results board), drawn in the running game's 1280 x 720 window: no line
// of text covers another. A line's box is where its letters are drawn: the bounds of its glyphs'
// quads as the font engine makes them for the line, turned with any transform of its element
// and cut to the boxes that clip it. Each view is a fresh copy of the real document
// with the classes, properties and texts the game sets to bring that view up.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "rml/rml.h"
#include "rml/transform.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"
#include "ui/diary_file.h"
#include "ui/main_menu_diary_panel.h"
#include "ui/rml_system.h"

namespace {

// A change the game makes to a document to bring up one of its views.
enum class Kind { SetClass, ClearClass, Property, Content };
struct Change {
  const char* id;
  Kind kind;
  const char* name;  // the class, the property or, for content, the RML
  const char* value = "";
};

struct View {
  const char* name;
  std::vector<Change> changes;
  // Classes of labels whose text stays on one line.
  std::vector<const char*> oneLine = {};
};

// The run a diary row shows: its widest values.
std::string DiaryRow() {
  DiaryEntry entry;
  entry.grade = "S+";
  entry.score = 12345;
  entry.runType = "FLORETH";
  entry.time = "1:02:03.45";
  entry.date = "2026-12-31";
  entry.completed = true;
  return MainMenuDiaryPanel::DiaryRows({entry});
}

// The views of each document of the folder, by file name.
std::map<std::string, std::vector<View>> DocumentViews() {
  static const std::string diaryRow = DiaryRow();
  const auto panel = [](const char* name, const char* shown, const char* hidden) {
    return View{name, {{hidden, Kind::ClearClass, "visible"}, {shown, Kind::SetClass, "visible"}}};
  };
  // The second tab chosen, as the menu marks it.
  View leaderboards = panel("diary: leaderboards", "diary-content", "default-content");
  leaderboards.changes.insert(leaderboards.changes.end(),
                              {{"diary-content", Kind::SetClass, "showing-leaderboards"},
                               {"performance-diary-tab", Kind::ClearClass, "active"},
                               {"performance-diary-tab", Kind::Content, "My Diary"},
                               {"leaderboards-tab", Kind::SetClass, "active"},
                               {"leaderboards-tab", Kind::Content, "• Leaderboards"},
                               {"performance-diary-content", Kind::ClearClass, "active"},
                               {"steam-promotion-content", Kind::SetClass, "active"}});
  leaderboards.oneLine = {"diary-tab"};
  View diary = panel("diary: a run", "diary-content", "default-content");
  diary.changes.push_back({"diary-table-body", Kind::Content, diaryRow.c_str()});
  diary.oneLine = {"diary-tab", "diary-filter"};
  View mainSettings = panel("settings", "settings-content", "default-content");
  mainSettings.oneLine = {"setting-label", "choice-label"};
  View pauseSettings = panel("settings", "settings-content", "default-content");
  pauseSettings.oneLine = {"setting-label", "choice-label"};

  const char* const hint = "\"Move yourself over a hole to heal it with your halo!\"";
  const View play{"play",
                  {{"score-value", Kind::Content,
                    "<span class='score-digit sundrel'>1</span><span class='score-digit sundrel'>2"
                    "</span><span class='score-digit sundrel'>0</span><span class='score-digit "
                    "sundrel'>5</span>"},
                   {"player-health-value", Kind::Content, "3"},
                   {"boss-info-container", Kind::Property, "display", "flex"},
                   {"boss-name", Kind::Content, "BIBERTY FLORETH"},
                   {"boss-health-value", Kind::Content, "600"},
                   {"left-keycap", Kind::Property, "display", "flex"},
                   {"right-keycap", Kind::Property, "display", "flex"},
                   {"left-mash-keycap", Kind::Property, "display", "flex"},
                   {"right-mash-keycap", Kind::Property, "display", "flex"},
                   {"hint-dialog-1", Kind::Property, "display", "flex"},
                   {"hint-dialog-2", Kind::Property, "display", "flex"},
                   {"hint-dialog-3", Kind::Property, "display", "flex"},
                   {"hint-text-1", Kind::Content, hint},
                   {"hint-text-2", Kind::Content, "\"Press SHIFT to dash!\""},
                   {"hint-text-3", Kind::Content, hint}}};
  View results{"results",
               {{"power-meter-system", Kind::Property, "display", "none"},
                {"health-hud-container", Kind::Property, "display", "none"},
                {"results-container", Kind::Property, "display", "flex"},
                {"result-board", Kind::Property, "display", "block"},
                {"clan-board", Kind::Property, "display", "block"},
                {"results-time-value", Kind::Content, "12 min 34 sec"},
                {"results-score-value", Kind::Content, "12345"},
                {"results-grade-value", Kind::Content, "S+"}}};
  for (const char* row : {"results-grade", "results-score", "results-time"}) {
    results.changes.push_back({row, Kind::Property, "display", "flex"});
    results.changes.push_back({row, Kind::Property, "opacity", "1"});
  }

  return {
      {"main_menu.rml",
       {{"the first panel and the clan message",
         {{"clan-selection-message", Kind::SetClass, "visible"}}},
        panel("credits", "credits-content", "default-content"),
        mainSettings,
        diary,
        leaderboards,
        panel("coming soon", "feature-coming-soon-content", "default-content")}},
      {"pause_menu.rml",
       {{"paused", {}},
        pauseSettings,
        panel("coming soon", "feature-coming-soon-content", "default-content"),
        panel("leave the run", "return-confirmation-content", "default-content")}},
      {"options_menu.rml", {{"options", {}, {"option-label"}}}},
      {"main_hud.rml", {play, results}},
      {"sample_panel.rml", {{"panel", {}}}},
  };
}

void Apply(Rml::ElementDocument& document, const Change& change) {
  Rml::Element* element = document.GetElementById(change.id);
  ASSERT_NE(element, nullptr) << "no #" << change.id;
  switch (change.kind) {
    case Kind::SetClass:
    case Kind::ClearClass:
      element->SetClass(change.name, change.kind == Kind::SetClass);
      break;
    case Kind::Property:
      ASSERT_TRUE(element->SetProperty(change.name, change.value)) << change.name;
      break;
    case Kind::Content:
      element->SetInnerRML(change.name);
      break;
  }
}

struct Rect {
  float left, top, right, bottom;
  bool Empty() const { return right <= left || bottom <= top; }
};

Rect Intersection(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// A point of `element`'s own space in context pixels, through its transform and its ancestors'.
Rml::Vector2f ToContext(const Rml::Element& element, Rml::Vector2f point) {
  for (const Rml::Element* e = &element; e != nullptr; e = e->GetParentNode()) {
    const Rml::ComputedValues& values = e->GetComputedValues();
    if (values.transform.Empty()) continue;
    const Rml::Vector2f size = e->GetBox().GetSize(Rml::BoxArea::Border);
    const Rml::Vector2f origin =
        e->GetAbsoluteLeftTop() + Rml::Vector2f{values.transform_origin_x.Resolve(size.x),
                                                values.transform_origin_y.Resolve(size.y)};
    const glm::vec4 moved =
        Rml::BuildTransformMatrix(values.transform, origin, size) * glm::vec4(point, 0.f, 1.f);
    point = {moved.x, moved.y};
  }
  return point;
}

struct TextLineBox {
  std::string text;
  const Rml::Element* element;
  Rect box;
  long baseline;  // in context pixels, before any transform
};

// The boxes of the visible lines of text of a shown document (see the header).
void CollectLines(const Rml::Element& element, const Rect& clip, std::vector<TextLineBox>& lines) {
  const Rml::ComputedValues& values = element.GetComputedValues();
  if (values.display == Rml::Style::Display::None ||
      values.visibility == Rml::Style::Visibility::Hidden || element.GetOpacity() < 0.05f) {
    return;
  }
  Rect inner = clip;
  if (values.overflow_x != Rml::Style::Overflow::Visible ||
      values.overflow_y != Rml::Style::Overflow::Visible) {
    const Rml::Vector2f position = element.GetAbsoluteOffset(Rml::BoxArea::Padding);
    const Rml::Vector2f size = element.GetBox().GetSize(Rml::BoxArea::Padding);
    inner = Intersection(clip, {position.x, position.y, position.x + size.x, position.y + size.y});
  }
  if (element.GetTagName() == "#text" && element.GetFontFaceHandle() != 0) {
    Rml::TextShapingContext shaping;
    shaping.letter_spacing = values.letter_spacing;
    const Rml::Vector2f offset = element.GetAbsoluteLeftTop();
    for (const Rml::TextLine& line : element.GetTextLines()) {
      // The glyphs' quads, as the element's geometry is made from them.
      Rml::TexturedMeshList meshes;
      Rml::GetFontEngineInterface()->GenerateString(
          *element.GetRenderManager(), element.GetFontFaceHandle(), 0, line.text, line.position,
          Rml::ColourbPremultiplied(255, 255, 255, 255), 1.f, shaping, meshes);
      Rect box{1e9f, 1e9f, -1e9f, -1e9f};
      for (const Rml::TexturedMesh& mesh : meshes) {
        for (const Rml::Vertex& vertex : mesh.mesh.vertices) {
          const Rml::Vector2f point = ToContext(element, offset + vertex.position);
          box = {std::min(box.left, point.x), std::min(box.top, point.y),
                 std::max(box.right, point.x), std::max(box.bottom, point.y)};
        }
      }
      box = Intersection(box, inner);
      if (!box.Empty()) {
        lines.push_back({line.text, &element, box, std::lround(offset.y + line.position.y)});
      }
    }
  }
  for (int i = 0; i < element.GetNumChildren(); ++i)
    CollectLines(*element.GetChild(i), inner, lines);
}

std::string Describe(const TextLineBox& line) {
  std::ostringstream text;
  text << "\"" << line.text << "\" (" << line.element->GetParentNode()->GetAddress(false, false)
       << ") at " << line.box.left << "," << line.box.top << " to " << line.box.right << ","
       << line.box.bottom;
  return text.str();
}

TEST(DocumentText, NoLineOfAnyDocumentCoversAnotherInAnyOfItsViews) {
  testing_support::ScopedTempHome home;
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("main_menu_scene"));
  const auto documents = DECS::Instance().GetSystem<RMLSystem>();
  ASSERT_NE(documents, nullptr);
  Rml::Context* context = documents->GetContext();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(context->GetDimensions(), Rml::Vector2i(1280, 720));

  const std::map<std::string, std::vector<View>> views = DocumentViews();
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(RMLSystem::kDocumentBasePath)) {
    if (entry.path().extension() == ".rml") files.insert(entry.path().filename().string());
  }
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const auto found = views.find(file);
    ASSERT_NE(found, views.end()) << "the document has no views listed here";
    for (const View& view : found->second) {
      SCOPED_TRACE(view.name);
      // The view alone in the window: every other document hidden for this frame.
      std::vector<Rml::ElementDocument*> hidden;
      for (int i = 0; i < context->GetNumDocuments(); ++i) {
        Rml::ElementDocument* other = context->GetDocument(i);
        if (other->IsVisible()) {
          other->Hide();
          hidden.push_back(other);
        }
      }
      Rml::ElementDocument* document = context->LoadDocument(documents->ResolveDocumentPath(file));
      ASSERT_NE(document, nullptr);
      for (const Change& change : view.changes) Apply(*document, change);
      document->Show(Rml::ModalFlag::None, Rml::FocusFlag::None);
      game.Step();

      std::vector<TextLineBox> lines;
      CollectLines(*document, {0.f, 0.f, 1280.f, 720.f}, lines);
      EXPECT_FALSE(lines.empty()) << "no text drawn";
      // A glyph's quad has a pixel of margin around its letter.
      constexpr float kTolerance = 1.5f;
      for (std::size_t a = 0; a < lines.size(); ++a) {
        for (std::size_t b = a + 1; b < lines.size(); ++b) {
          const Rect both = Intersection(lines[a].box, lines[b].box);
          if (both.right - both.left > kTolerance && both.bottom - both.top > kTolerance) {
            ADD_FAILURE() << Describe(lines[a]) << " covers " << Describe(lines[b]);
          }
        }
      }
      for (const char* label : view.oneLine) {
        Rml::ElementList elements;
        document->GetElementsByClassName(elements, label);
        EXPECT_FALSE(elements.empty()) << "no ." << label;
        for (const Rml::Element* element : elements) {
          std::set<long> baselines;
          for (const TextLineBox& line : lines) {
            for (const Rml::Element* e = line.element; e != nullptr; e = e->GetParentNode()) {
              if (e == element) baselines.insert(line.baseline);
            }
          }
          EXPECT_LE(baselines.size(), 1u) << element->GetAddress(false, false) << " wraps";
        }
      }
      if (const char* folder = std::getenv("KELVARIS_DOCUMENT_SHOTS")) {
        testing_support::SavePng(std::string(folder) + "/" + file + " " + view.name + ".png",
                                 game.picture);
      }
      document->Close();
      for (Rml::ElementDocument* other : hidden)
        other->Show(Rml::ModalFlag::None, Rml::FocusFlag::None);
    }
  }
}

}  // namespace
