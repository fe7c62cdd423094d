// Single-line flex layout: flex base sizes from flex-basis, width or height, or content; free
// space shared by flex-grow or taken by flex-shrink (weighted by base size) with min/max limits
// frozen in turn; auto margins and justify-content along the main axis; align-items and
// align-self (stretch included) across it; gaps between items.

#include "rml/layout_engine.h"

#include "rml/math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Rml {
namespace {

struct FlexItem {
  Element* element = nullptr;
  bool is_text = false;
  float base = 0.f;          // flex base size, border box
  float hypothetical = 0.f;  // base clamped by min and max
  float min = 0.f, max = std::numeric_limits<float>::infinity();
  float target = 0.f;        // resolved main size, border box
  bool frozen = false;
  float margin_main_start = 0.f, margin_main_end = 0.f;
  bool auto_main_start = false, auto_main_end = false;
  float margin_cross_start = 0.f, margin_cross_end = 0.f;
  bool auto_cross_start = false, auto_cross_end = false;
  float cross = 0.f;         // border box
  float main_position = 0.f, cross_position = 0.f;
};

}  // namespace

float LayoutEngine::LayoutFlex(Element& container, float content_width, float content_height) {
  const ComputedValues& style = container.computed_;
  const Vector2f origin = container.box_.GetPosition(BoxArea::Content);
  const bool row = style.flex_direction == Style::FlexDirection::Row || style.flex_direction == Style::FlexDirection::RowReverse;
  const bool reverse = style.flex_direction == Style::FlexDirection::RowReverse ||
                       style.flex_direction == Style::FlexDirection::ColumnReverse;
  const float main_available = row ? content_width : content_height;  // may be -1
  const float gap = row ? style.column_gap.Resolve(content_width, 0.f)
                        : style.row_gap.Resolve(content_height >= 0.f ? content_height : 0.f, 0.f);

  std::vector<FlexItem> items;
  for (auto& child_pointer : container.children_) {
    Element& child = *child_pointer;
    const ComputedValues& values = child.computed_;
    if (child.tag_ == "#text") {
      child.text_lines_.clear();
      if (IsWhitespaceText(child)) continue;
    } else if (values.display == Style::Display::None) {
      child.box_ = Box();
      continue;
    } else if (values.IsOutOfFlow()) {
      AddOutOfFlow(child, container, origin);
      continue;
    }
    FlexItem item;
    item.element = &child;
    item.is_text = child.tag_ == "#text";
    items.push_back(item);
  }

  auto text_height = [&](FlexItem& item, float width) {
    const int index = int(std::find_if(container.children_.begin(), container.children_.end(),
                                       [&](const ElementPtr& e) { return e.get() == item.element; }) -
                          container.children_.begin());
    item.element->text_lines_.clear();
    return LayoutInline(container, index, index + 1, {0, 0}, width);
  };

  // Base and hypothetical main sizes.
  for (FlexItem& item : items) {
    Element& child = *item.element;
    if (item.is_text) {
      const float width = TextIntrinsicWidth(child, false);
      item.base = row ? width : text_height(item, content_width);
      item.hypothetical = item.base;
      item.min = row ? TextIntrinsicWidth(child, true) : 0.f;
      continue;
    }
    const ComputedValues& values = child.computed_;
    Input edges_input;
    edges_input.containing_width = content_width;
    ResolveEdges(child, edges_input);
    const Box& box = child.box_;
    const float edges_main = row ? box.padding[kLeft] + box.padding[kRight] + box.border[kLeft] + box.border[kRight]
                                 : box.padding[kTop] + box.padding[kBottom] + box.border[kTop] + box.border[kBottom];
    const bool border_box = values.box_sizing == Style::BoxSizing::BorderBox;
    auto to_border = [&](float size) { return border_box ? std::fmax(size, edges_main) : size + edges_main; };
    const int start = row ? kLeft : kTop, end = row ? kRight : kBottom;
    item.margin_main_start = box.margin[start];
    item.margin_main_end = box.margin[end];
    item.auto_main_start = values.margin[start].IsAuto();
    item.auto_main_end = values.margin[end].IsAuto();
    const int cross_start = row ? kTop : kLeft, cross_end = row ? kBottom : kRight;
    item.margin_cross_start = box.margin[cross_start];
    item.margin_cross_end = box.margin[cross_end];
    item.auto_cross_start = values.margin[cross_start].IsAuto();
    item.auto_cross_end = values.margin[cross_end].IsAuto();

    const bool main_known = main_available >= 0.f;
    const auto& size_property = row ? values.width : values.height;
    if (values.flex_basis.IsDefinite(main_known)) {
      item.base = to_border(values.flex_basis.Resolve(main_available));
    } else if (size_property.IsDefinite(main_known)) {
      item.base = to_border(size_property.Resolve(main_available));
    } else if (row) {
      // The max-content width, before min-width and max-width apply.
      item.base = child.tag_ == "img" ? OuterIntrinsicWidth(child, false) - box.margin[kLeft] - box.margin[kRight]
                                      : ContentIntrinsicWidth(child, false) + edges_main;
    } else {
      Input input;
      input.containing_width = content_width;
      input.containing_height = content_height;
      const auto align = values.align_self == Style::AlignSelf::Auto ? Style::AlignSelf(int(style.align_items) + 1)
                                                                      : values.align_self;
      if ((align == Style::AlignSelf::Stretch || align == Style::AlignSelf::Normal) && values.width.IsAuto() &&
          !item.auto_cross_start && !item.auto_cross_end)
        input.override_width = std::fmax(0.f, content_width - box.margin[kLeft] - box.margin[kRight]);
      else
        input.shrink_to_fit = true;
      FormatBox(child, input);
      item.base = child.box_.GetSize(BoxArea::Border).y;
    }
    const auto& min_property = row ? values.min_width : values.min_height;
    const auto& max_property = row ? values.max_width : values.max_height;
    item.min = std::fmax(edges_main, min_property.IsDefinite(main_known) ? to_border(min_property.Resolve(main_available)) : 0.f);
    item.max = max_property.IsDefinite(main_known) ? to_border(max_property.Resolve(main_available))
                                                   : std::numeric_limits<float>::infinity();
    item.hypothetical = Math::Clamp(item.base, item.min, item.max);
  }

  // Resolve flexible lengths.
  const float gaps = items.size() > 1 ? gap * float(items.size() - 1) : 0.f;
  float main_size = main_available;
  if (main_size < 0.f) {
    main_size = gaps;
    for (const FlexItem& item : items) main_size += item.hypothetical + item.margin_main_start + item.margin_main_end;
  }
  float used = gaps;
  for (const FlexItem& item : items) used += item.hypothetical + item.margin_main_start + item.margin_main_end;
  const bool grow = main_size - used > 0.f;
  for (FlexItem& item : items) {
    const ComputedValues& values = item.element->computed_;
    const float factor = item.is_text ? (grow ? 0.f : 1.f) : (grow ? values.flex_grow : values.flex_shrink);
    item.target = item.hypothetical;
    item.frozen = factor == 0.f || (grow && item.base > item.hypothetical) || (!grow && item.base < item.hypothetical);
  }
  const float initial_free = main_size - used;
  for (int round = 0; round < 32; ++round) {
    float occupied = gaps, factors = 0.f, scaled = 0.f;
    bool any_unfrozen = false;
    for (const FlexItem& item : items) {
      occupied += item.margin_main_start + item.margin_main_end + (item.frozen ? item.target : item.base);
      if (item.frozen) continue;
      any_unfrozen = true;
      const ComputedValues& values = item.element->computed_;
      const float factor = item.is_text ? 1.f : (grow ? values.flex_grow : values.flex_shrink);
      factors += factor;
      scaled += factor * item.base;
    }
    if (!any_unfrozen) break;
    float remaining = main_size - occupied;
    if (factors < 1.f && std::fabs(initial_free * factors) < std::fabs(remaining)) remaining = initial_free * factors;
    float violation = 0.f;
    for (FlexItem& item : items) {
      if (item.frozen) continue;
      const ComputedValues& values = item.element->computed_;
      const float factor = item.is_text ? 1.f : (grow ? values.flex_grow : values.flex_shrink);
      float size = item.base;
      if (grow && factors > 0.f) size += remaining * factor / factors;
      if (!grow && scaled > 0.f) size += remaining * factor * item.base / scaled;
      const float clamped = Math::Clamp(size, item.min, item.max);
      violation += clamped - size;
      item.target = clamped;
    }
    for (FlexItem& item : items) {
      if (item.frozen) continue;
      const bool min_violation = item.target <= item.min && violation > 0.f;
      const bool max_violation = item.target >= item.max && violation < 0.f;
      if (violation == 0.f || min_violation || max_violation) item.frozen = true;
    }
  }

  // Cross sizes: lay every item out at its main size.
  auto align_of = [&](const FlexItem& item) {
    if (item.is_text) return Style::AlignSelf(int(style.align_items) + 1);
    const auto self = item.element->computed_.align_self;
    return self == Style::AlignSelf::Auto ? Style::AlignSelf(int(style.align_items) + 1) : self;
  };
  auto lay_out = [&](FlexItem& item, float cross_override) {
    Element& child = *item.element;
    if (item.is_text) {
      const float height = text_height(item, row ? item.target : content_width);
      item.cross = row ? height : TextIntrinsicWidth(child, false);
      return;
    }
    Input input;
    input.containing_width = content_width;
    input.containing_height = content_height;
    if (row) {
      input.override_width = item.target;
      input.override_height = cross_override;
    } else {
      input.override_height = item.target;
      if (cross_override >= 0.f)
        input.override_width = cross_override;
      else
        input.shrink_to_fit = true;
    }
    FormatBox(child, input);
    item.cross = row ? child.box_.GetSize(BoxArea::Border).y : child.box_.GetSize(BoxArea::Border).x;
  };
  auto stretches = [&](const FlexItem& item) {
    if (item.is_text || item.auto_cross_start || item.auto_cross_end) return false;
    const auto align = align_of(item);
    const auto& cross_size = row ? item.element->computed_.height : item.element->computed_.width;
    return (align == Style::AlignSelf::Stretch || align == Style::AlignSelf::Normal) && cross_size.IsAuto();
  };
  float cross_size = row ? content_height : content_width;
  float line_cross = 0.f;
  for (FlexItem& item : items) {
    const bool stretch_column = !row && stretches(item);
    lay_out(item, stretch_column ? std::fmax(0.f, content_width - item.margin_cross_start - item.margin_cross_end) : -1.f);
    line_cross = std::fmax(line_cross, item.cross + item.margin_cross_start + item.margin_cross_end);
  }
  if (cross_size < 0.f) cross_size = line_cross;
  if (row) {
    for (FlexItem& item : items) {
      if (!stretches(item)) continue;
      const ComputedValues& values = item.element->computed_;
      float stretched = cross_size - item.margin_cross_start - item.margin_cross_end;
      const Box& box = item.element->box_;
      const float edges = box.padding[kTop] + box.padding[kBottom] + box.border[kTop] + box.border[kBottom];
      const bool border_box = values.box_sizing == Style::BoxSizing::BorderBox;
      auto to_border = [&](float size) { return border_box ? size : size + edges; };
      const float max_height = values.max_height.IsDefinite(content_height >= 0.f)
                                   ? to_border(values.max_height.Resolve(content_height))
                                   : std::numeric_limits<float>::infinity();
      const float min_height = values.min_height.IsDefinite(content_height >= 0.f)
                                   ? to_border(values.min_height.Resolve(content_height))
                                   : 0.f;
      stretched = std::fmax(edges, Math::Clamp(stretched, min_height, max_height));
      if (std::fabs(stretched - item.cross) > 0.001f) lay_out(item, stretched);
    }
  }

  // Main axis placement.
  float occupied = gaps;
  int auto_margins = 0;
  for (const FlexItem& item : items) {
    occupied += item.target + item.margin_main_start + item.margin_main_end;
    auto_margins += int(item.auto_main_start) + int(item.auto_main_end);
  }
  float free_space = main_size - occupied;
  float start = 0.f, between = gap;
  if (auto_margins > 0 && free_space > 0.f) {
    const float share = free_space / float(auto_margins);
    for (FlexItem& item : items) {
      if (item.auto_main_start) item.margin_main_start += share;
      if (item.auto_main_end) item.margin_main_end += share;
    }
    free_space = 0.f;
  }
  const size_t count = items.size();
  using J = Style::JustifyContent;
  switch (style.justify_content) {
    case J::FlexEnd:
    case J::End: start = free_space; break;
    case J::Center: start = free_space * 0.5f; break;
    case J::SpaceBetween:
      if (free_space > 0.f && count > 1) between += free_space / float(count - 1);
      break;
    case J::SpaceAround:
      if (free_space > 0.f && count > 0) {
        between += free_space / float(count);
        start = free_space / float(count) * 0.5f;
      } else {
        start = free_space * 0.5f;
      }
      break;
    case J::SpaceEvenly:
      if (free_space > 0.f && count > 0) {
        between += free_space / float(count + 1);
        start = free_space / float(count + 1);
      } else {
        start = free_space * 0.5f;
      }
      break;
    default: break;
  }
  float cursor = start;
  for (FlexItem& item : items) {
    item.main_position = cursor + item.margin_main_start;
    cursor = item.main_position + item.target + item.margin_main_end + between;
    if (reverse) item.main_position = main_size - item.main_position - item.target;

    const float cross_free = cross_size - item.cross - item.margin_cross_start - item.margin_cross_end;
    float offset = 0.f;
    if (item.auto_cross_start && item.auto_cross_end) {
      offset = cross_free * 0.5f;
    } else if (item.auto_cross_start) {
      offset = cross_free;
    } else if (!item.auto_cross_end) {
      switch (align_of(item)) {
        case Style::AlignSelf::FlexEnd:
        case Style::AlignSelf::End: offset = cross_free; break;
        case Style::AlignSelf::Center: offset = cross_free * 0.5f; break;
        default: break;
      }
    }
    item.cross_position = item.margin_cross_start + offset;

    Element& child = *item.element;
    const Vector2f position = row ? Vector2f{item.main_position, item.cross_position}
                                  : Vector2f{item.cross_position, item.main_position};
    if (item.is_text) {
      const int index = int(std::find_if(container.children_.begin(), container.children_.end(),
                                         [&](const ElementPtr& e) { return e.get() == &child; }) -
                            container.children_.begin());
      child.text_lines_.clear();
      LayoutInline(container, index, index + 1, origin + position, row ? item.target : content_width);
      continue;
    }
    child.relative_position_ = origin + position;
    child.offset_parent_ = &container;
    ApplyRelativeOffset(child, content_width, content_height);
  }
  if (!items.empty() && items.front().element->has_baseline_ && !items.front().is_text) {
    container.baseline_ = items.front().element->relative_position_.y + items.front().element->baseline_;
    container.has_baseline_ = true;
  }
  return row ? cross_size : main_size;
}

}  // namespace Rml
