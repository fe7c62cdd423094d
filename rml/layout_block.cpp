// Block flow: block-level children stacked with sibling margins collapsed, runs of inline-level
// children formatted as line boxes between them, and the intrinsic widths of block content.

#include <algorithm>
#include <cmath>

#include "rml/layout_engine.h"

namespace Rml {
namespace {

// Two adjoining margins collapse to the largest positive plus the most negative.
float CollapseMargins(float a, float b) {
  if (a >= 0.f && b >= 0.f) return std::fmax(a, b);
  if (a < 0.f && b < 0.f) return std::fmin(a, b);
  return a + b;
}

}  // namespace

float LayoutEngine::LayoutBlockChildren(Element& container, float content_width,
                                        float content_height) {
  const Vector2f origin = container.box_.GetPosition(BoxArea::Content);
  const int count = int(container.children_.size());
  bool any_block = false;
  for (auto& child : container.children_) {
    const ComputedValues& values = child->computed_;
    if (values.display == Style::Display::None || values.IsOutOfFlow()) continue;
    if (!IsInlineLevel(*child)) any_block = true;
  }
  if (!any_block) return LayoutInline(container, 0, count, origin, content_width);

  float cursor = 0.f;
  float pending_margin = 0.f;
  for (int i = 0; i < count;) {
    Element& child = *container.children_[size_t(i)];
    const ComputedValues& values = child.computed_;
    if (values.display == Style::Display::None) {
      child.box_ = Box();
      ++i;
      continue;
    }
    if (values.IsOutOfFlow()) {
      AddOutOfFlow(child, container, origin + Vector2f{0.f, cursor + pending_margin});
      ++i;
      continue;
    }
    if (IsInlineLevel(child)) {
      // An anonymous block around the run of inline-level children; white space alone makes none.
      int end = i;
      bool has_content = false;
      while (end < count) {
        Element& run_child = *container.children_[size_t(end)];
        if (run_child.computed_.display != Style::Display::None &&
            !run_child.computed_.IsOutOfFlow()) {
          if (!IsInlineLevel(run_child)) break;
          if (!IsWhitespaceText(run_child)) has_content = true;
        }
        ++end;
      }
      if (!has_content) {
        for (int j = i; j < end; ++j) {
          Element& skipped = *container.children_[size_t(j)];
          skipped.text_lines_.clear();
          if (skipped.computed_.IsOutOfFlow())
            AddOutOfFlow(skipped, container, origin + Vector2f{0.f, cursor + pending_margin});
        }
        i = end;
        continue;
      }
      const float y = cursor + pending_margin;
      pending_margin = 0.f;
      cursor = y + LayoutInline(container, i, end, origin + Vector2f{0.f, y}, content_width);
      i = end;
      continue;
    }
    Input input;
    input.containing_width = content_width;
    input.containing_height = content_height;
    input.shrink_to_fit = values.display == Style::Display::Table;
    FormatBox(child, input);
    const float y = cursor + CollapseMargins(pending_margin, child.box_.margin[kTop]);
    child.relative_position_ = origin + Vector2f{child.box_.margin[kLeft], y};
    child.offset_parent_ = &container;
    ApplyRelativeOffset(child, content_width, content_height);
    if (child.has_baseline_) {
      container.baseline_ = y + origin.y + child.baseline_;
      container.has_baseline_ = true;
    }
    cursor = y + child.box_.GetSize(BoxArea::Border).y;
    pending_margin = child.box_.margin[kBottom];
    ++i;
  }
  return std::fmax(0.f, cursor + pending_margin);
}

float LayoutEngine::ContentIntrinsicWidth(Element& element, bool min) {
  if (element.tag_ == "#text") return TextIntrinsicWidth(element, min);
  // Both widths are computed together once per layout pass.
  if (element.intrinsic_pass_ != pass_) {
    element.intrinsic_width_[0] = ComputeContentIntrinsicWidth(element, true);
    element.intrinsic_width_[1] = ComputeContentIntrinsicWidth(element, false);
    element.intrinsic_pass_ = pass_;
  }
  return element.intrinsic_width_[min ? 0 : 1];
}

float LayoutEngine::ComputeContentIntrinsicWidth(Element& element, bool min) {
  const ComputedValues& values = element.computed_;
  float result = 0.f;
  using D = Style::Display;
  if (values.display == D::Flex || values.display == D::InlineFlex) {
    const bool row = values.flex_direction == Style::FlexDirection::Row ||
                     values.flex_direction == Style::FlexDirection::RowReverse;
    int items = 0;
    for (auto& child : element.children_) {
      if (child->computed_.display == D::None || child->computed_.IsOutOfFlow() ||
          IsWhitespaceText(*child))
        continue;
      const float width = OuterIntrinsicWidth(*child, min);
      result = row ? result + width : std::fmax(result, width);
      ++items;
    }
    if (row && items > 1 && values.column_gap.type == Style::LengthPercentageAuto::Length)
      result += values.column_gap.value * float(items - 1);
  } else if (values.display == D::Table || values.display == D::TableRowGroup ||
             values.display == D::TableRow) {
    for (auto& child : element.children_) {
      if (child->computed_.display == D::None || child->tag_ == "#text") continue;
      const float width = OuterIntrinsicWidth(*child, min);
      result = values.display == D::TableRow ? result + width : std::fmax(result, width);
    }
  } else {
    float line = 0.f;
    for (auto& child : element.children_) {
      const ComputedValues& child_values = child->computed_;
      if (child_values.display == D::None || child_values.IsOutOfFlow()) continue;
      if (child->tag_ == "br") {
        result = std::fmax(result, line);
        line = 0.f;
      } else if (IsInlineLevel(*child)) {
        if (min)
          result = std::fmax(result, OuterIntrinsicWidth(*child, true));
        else
          line += OuterIntrinsicWidth(*child, false);
      } else {
        result = std::fmax(result, line);
        line = 0.f;
        result = std::fmax(result, OuterIntrinsicWidth(*child, min));
      }
    }
    result = std::fmax(result, line);
  }
  return result;
}

}  // namespace Rml
