#include "rml/style_engine.h"

#include "rml/core.h"
#include "rml/font_engine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Rml {
namespace {

struct Match {
  std::uint64_t key;
  const Declaration* declaration;
};

}  // namespace

bool StyleEngine::UpdateDocument(ElementDocument& document, const UnitContext& units) {
  if (!document.style_dirty_ && !document.child_style_dirty_) return false;
  return UpdateElement(document, document.GetStyleSheet(), nullptr, 1.f, units, false);
}

bool StyleEngine::UpdateElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                                float parent_opacity, const UnitContext& units, bool force) {
  bool changed = false;
  const bool restyle = force || element.style_dirty_;
  if (restyle) {
    const ComputedValues previous = element.computed_;
    const FontFaceHandle previous_face = element.font_face_;
    ComputeElement(element, sheet, parent, units);
    element.effective_opacity_ = parent_opacity * element.computed_.opacity;
    if (!(previous == element.computed_) || previous_face != element.font_face_) {
      changed = true;
      element.geometry_dirty_ = true;
    }
  }
  element.style_dirty_ = false;
  const bool descend = restyle || element.child_style_dirty_;
  element.child_style_dirty_ = false;
  if (!descend) return changed;
  UnitContext child_units = units;
  child_units.parent_font_size = element.computed_.font_size;
  for (auto& child : element.children_)
    changed |= UpdateElement(*child, sheet, &element.computed_, element.effective_opacity_, child_units, restyle);
  return changed;
}

void StyleEngine::ComputeElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                                 const UnitContext& units) {
  std::array<const Property*, kPropertyCount> specified{};
  if (element.tag_ != "#text") {
    // Reused between calls: restyling allocates only when a bigger match list is needed.
    static std::vector<Match> matches;
    matches.clear();
    for (const StyleRule& rule : sheet.GetRules()) {
      if (!rule.selector.Matches(element)) continue;
      for (const Declaration& declaration : rule.declarations) {
        const std::uint64_t key = (std::uint64_t(declaration.important) << 62) |
                                  (std::uint64_t(std::min(rule.selector.specificity, 0xFFFFFF)) << 24) |
                                  std::uint64_t(rule.order & 0xFFFFFF);
        matches.push_back({key, &declaration});
      }
    }
    for (const Declaration& declaration : element.inline_style_)
      matches.push_back({(std::uint64_t(declaration.important) << 62) | (std::uint64_t(1) << 61), &declaration});
    std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) { return a.key < b.key; });
    for (const Match& match : matches) specified[size_t(match.declaration->id)] = &match.declaration->value;
  }
  ComputeValues(element.computed_, specified.data(), parent, units);
  if (const String* language = element.FindAttribute("lang")) element.computed_.language = *language;
  if (const String* direction = element.FindAttribute("dir")) element.computed_.direction = *direction;

  element.font_face_ = 0;
  if (FontEngineInterface* engine = GetFontEngineInterface()) {
    const int size = int(std::lround(element.computed_.font_size));
    if (size > 0)
      element.font_face_ = engine->GetFontFaceHandle(element.computed_.font_family,
                                                    element.computed_.font_style == Style::FontStyle::Italic,
                                                    element.computed_.font_weight, size);
  }
}

}  // namespace Rml
