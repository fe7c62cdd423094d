#include "rml/style_engine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "rml/animation.h"
#include "rml/context.h"
#include "rml/core.h"
#include "rml/font_engine.h"

namespace Rml {
namespace {

// Copies the values that only move an element as it is drawn (its transform) or say how it
// changes over time.
void TakeMotion(ComputedValues& values, const ComputedValues& from) {
  values.transform = from.transform;
  values.transform_origin_x = from.transform_origin_x;
  values.transform_origin_y = from.transform_origin_y;
  values.animation = from.animation;
  values.transition = from.transition;
}

StyleEngine::Change Combine(StyleEngine::Change a, StyleEngine::Change b) { return a > b ? a : b; }

}  // namespace

bool StyleEngine::LayoutDiffers(const ComputedValues& before, const ComputedValues& after) {
  // Reused between calls: its strings keep their capacity, so a steady restyle allocates nothing.
  ComputedValues& painted_like_after = compared_;
  painted_like_after = before;
  painted_like_after.color = after.color;
  painted_like_after.background_color = after.background_color;
  for (int edge = 0; edge < 4; ++edge)
    painted_like_after.border_colour[edge] = after.border_colour[edge];
  painted_like_after.image_color = after.image_color;
  painted_like_after.opacity = after.opacity;
  painted_like_after.decorator = after.decorator;
  painted_like_after.pointer_events = after.pointer_events;
  TakeMotion(painted_like_after, after);
  return !(painted_like_after == after);
}

bool StyleEngine::GeometryDiffers(const ComputedValues& before, const ComputedValues& after) {
  ComputedValues& drawn_like_after = compared_;
  drawn_like_after = before;
  TakeMotion(drawn_like_after, after);
  return !(drawn_like_after == after);
}

StyleEngine::Change StyleEngine::UpdateDocument(ElementDocument& document,
                                                const UnitContext& units) {
  if (!document.style_dirty_ && !document.child_style_dirty_) return Change::None;
  return UpdateElement(document, document.GetStyleSheet(), nullptr, 1.f, units, false);
}

StyleEngine::Change StyleEngine::UpdateElement(Element& element, const StyleSheet& sheet,
                                               const ComputedValues* parent, float parent_opacity,
                                               const UnitContext& units, bool force) {
  Change changed = Change::None;
  const bool restyle = force || element.style_dirty_;
  if (restyle) {
    // This nesting level's slot, reused between calls, so restyling one element does not
    // allocate a copy of its values; a restyle started inside this one takes the next slot.
    if (depth_ == slots_.size()) slots_.emplace_back();
    RestyleSlot& slot = slots_[depth_];
    ++depth_;
    ComputedValues& previous = slot.previous;
    previous = element.computed_;
    const FontFaceHandle previous_face = element.font_face_;
    const float previous_opacity = element.effective_opacity_;
    ComputeElement(element, sheet, parent, units);
    if (UpdateAnimations(element, previous, !element.styled_, parent, units, slot.animation) &&
        element.context_ != nullptr)
      element.context_->ScheduleAnimationFrame(&element);
    element.styled_ = true;
    element.effective_opacity_ = parent_opacity * element.computed_.opacity;
    if (previous_face != element.font_face_ || LayoutDiffers(previous, element.computed_)) {
      changed = Change::Layout;
      element.geometry_dirty_ = true;
    } else if (GeometryDiffers(previous, element.computed_) ||
               previous_opacity != element.effective_opacity_) {
      changed = Change::Paint;
      element.geometry_dirty_ = true;
    }
    // The children's restyles may use the slot again.
    --depth_;
  }
  element.style_dirty_ = false;
  const bool descend = restyle || element.child_style_dirty_;
  element.child_style_dirty_ = false;
  if (!descend) return changed;
  UnitContext child_units = units;
  child_units.parent_font_size = element.computed_.font_size;
  for (auto& child : element.children_)
    changed = Combine(changed, UpdateElement(*child, sheet, &element.computed_,
                                             element.effective_opacity_, child_units, restyle));
  return changed;
}

void StyleEngine::ComputeElement(Element& element, const StyleSheet& sheet,
                                 const ComputedValues* parent, const UnitContext& units) {
  std::array<const Property*, kPropertyCount> specified{};
  if (element.tag_ != "#text") {
    // Reused between calls: restyling allocates only when a bigger match list is needed.
    std::vector<Match>& matches = matches_;
    matches.clear();
    for (const StyleRule& rule : sheet.GetRules()) {
      if (!rule.selector.Matches(element)) continue;
      for (const Declaration& declaration : rule.declarations) {
        const std::uint64_t key =
            (std::uint64_t(declaration.important) << 62) |
            (std::uint64_t(std::min(rule.selector.specificity, 0xFFFFFF)) << 24) |
            std::uint64_t(rule.order & 0xFFFFFF);
        matches.push_back({key, matches.size(), &declaration});
      }
    }
    for (const Declaration& declaration : element.inline_style_)
      matches.push_back({(std::uint64_t(declaration.important) << 62) | (std::uint64_t(1) << 61),
                         matches.size(), &declaration});
    // Equal keys keep the order they were gathered in; std::sort on (key, position) does that
    // without the temporary buffer std::stable_sort would allocate on every restyle.
    std::sort(matches.begin(), matches.end(), [&](const Match& a, const Match& b) {
      return a.key != b.key ? a.key < b.key : a.position < b.position;
    });
    for (const Match& match : matches)
      specified[size_t(match.declaration->id)] = &match.declaration->value;
  }
  ComputeValues(element.computed_, specified.data(), parent, units);
  if (const String* language = element.FindAttribute("lang"))
    element.computed_.language = *language;
  if (const String* direction = element.FindAttribute("dir"))
    element.computed_.direction = *direction;

  element.font_face_ = 0;
  if (FontEngineInterface* engine = GetFontEngineInterface()) {
    const int size = int(std::lround(element.computed_.font_size));
    if (size > 0)
      element.font_face_ = engine->GetFontFaceHandle(
          element.computed_.font_family, element.computed_.font_style == Style::FontStyle::Italic,
          element.computed_.font_weight, size);
  }
}

}  // namespace Rml
