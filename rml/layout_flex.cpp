// Single-line flex layout: flex base sizes from flex-basis, width or height, or content; free
// space shared by flex-grow or taken by flex-shrink (weighted by base size) with min/max limits
// frozen in turn; auto margins and justify-content along the main axis; align-items and
// align-self (stretch included) across it; gaps between items.

#include <algorithm>
#include <cmath>
#include <limits>

#include "rml/layout_engine.h"
#include "rml/math.h"

namespace Rml {
namespace {

struct FlexItem {
  Element* element = nullptr;
  bool is_text = false;
  float base = 0.f;          // flex base size, border box
  float hypothetical = 0.f;  // base clamped by min and max
  float min = 0.f, max = std::numeric_limits<float>::infinity();
  float target = 0.f;  // resolved main size, border box
  bool frozen = false;
  float margin_main_start = 0.f, margin_main_end = 0.f;
  bool auto_main_start = false, auto_main_end = false;
  float margin_cross_start = 0.f, margin_cross_end = 0.f;
  bool auto_cross_start = false, auto_cross_end = false;
  float cross = 0.f;  // border box
  float main_position = 0.f, cross_position = 0.f;
};

}  // namespace

// One flex container's layout, in the steps of the flex algorithm: collect the items, find their
// base sizes, resolve their flexible main sizes, lay them out for their cross sizes (stretching
// those that stretch), then place them along both axes.
struct FlexLayout {
  FlexLayout(LayoutEngine& engine, Element& container, float content_width, float content_height);
  // Runs every step; returns the content height the container needs (its cross size in a row,
  // its main size in a column).
  float Run();

  void CollectItems();
  // Lays a text item out as its own inline run at `at`, `width` wide; returns its height.
  float LayOutText(Element& text, Vector2f at, float width);
  void FindBaseSize(FlexItem& item);
  void FindTextBaseSize(FlexItem& item);
  void ReadMargins(FlexItem& item, const Box& box, const ComputedValues& values) const;
  // The base size of an item sized by its content: its max-content width in a row, its laid-out
  // height in a column.
  float ContentBaseSize(FlexItem& item, float edges_main);
  void ResolveFlexibleLengths();
  float FlexFactor(const FlexItem& item, bool grow) const;
  // One round of sharing the free space among the unfrozen items and freezing those that hit a
  // limit; false when no item was left unfrozen.
  bool FlexRound(bool grow, float initial_free);
  Style::AlignSelf AlignOf(const FlexItem& item) const;
  bool Stretches(const FlexItem& item) const;
  // Lays an item out at its main size (and `cross_override`, border box, when not negative).
  void LayOut(FlexItem& item, float cross_override);
  void FindCrossSizes();
  // A stretched item in a row takes the line's height within its min and max heights.
  void StretchInRow(FlexItem& item);
  void PlaceItems();
  // Where the first item starts and what lies between items, from justify-content.
  void Justify(float free_space, float& start, float& between) const;
  float CrossOffset(const FlexItem& item) const;
  void Place(FlexItem& item, float& cursor, float between);

  LayoutEngine& engine;
  Element& container;
  const ComputedValues& style;
  const float content_width, content_height;
  const Vector2f origin;
  const bool row, reverse;
  const float main_available;  // may be -1
  const float gap;
  std::vector<FlexItem> items;
  float gaps = 0.f;  // every gap between the items together
  float main_size = 0.f, cross_size = 0.f;
};

FlexLayout::FlexLayout(LayoutEngine& engine, Element& container, float content_width,
                       float content_height)
    : engine(engine),
      container(container),
      style(container.computed_),
      content_width(content_width),
      content_height(content_height),
      origin(container.box_.GetPosition(BoxArea::Content)),
      row(style.flex_direction == Style::FlexDirection::Row ||
          style.flex_direction == Style::FlexDirection::RowReverse),
      reverse(style.flex_direction == Style::FlexDirection::RowReverse ||
              style.flex_direction == Style::FlexDirection::ColumnReverse),
      main_available(row ? content_width : content_height),
      gap(row ? style.column_gap.Resolve(content_width, 0.f)
              : style.row_gap.Resolve(content_height >= 0.f ? content_height : 0.f, 0.f)) {}

float FlexLayout::Run() {
  CollectItems();
  for (FlexItem& item : items) FindBaseSize(item);
  ResolveFlexibleLengths();
  FindCrossSizes();
  PlaceItems();
  if (!items.empty() && items.front().element->has_baseline_ && !items.front().is_text) {
    container.baseline_ =
        items.front().element->relative_position_.y + items.front().element->baseline_;
    container.has_baseline_ = true;
  }
  return row ? cross_size : main_size;
}

void FlexLayout::CollectItems() {
  for (auto& child_pointer : container.children_) {
    Element& child = *child_pointer;
    const ComputedValues& values = child.computed_;
    if (child.tag_ == "#text") {
      child.text_lines_.clear();
      if (engine.IsWhitespaceText(child)) continue;
    } else if (values.display == Style::Display::None) {
      child.box_ = Box();
      continue;
    } else if (values.IsOutOfFlow()) {
      engine.AddOutOfFlow(child, container, origin);
      continue;
    }
    FlexItem item;
    item.element = &child;
    item.is_text = child.tag_ == "#text";
    items.push_back(item);
  }
}

float FlexLayout::LayOutText(Element& text, Vector2f at, float width) {
  const int index = int(std::find_if(container.children_.begin(), container.children_.end(),
                                     [&](const ElementPtr& e) { return e.get() == &text; }) -
                        container.children_.begin());
  text.text_lines_.clear();
  return engine.LayoutInline(container, index, index + 1, at, width);
}

void FlexLayout::FindTextBaseSize(FlexItem& item) {
  Element& child = *item.element;
  const float width = engine.TextIntrinsicWidth(child, false);
  item.base = row ? width : LayOutText(child, {0, 0}, content_width);
  item.hypothetical = item.base;
  item.min = row ? engine.TextIntrinsicWidth(child, true) : 0.f;
}

void FlexLayout::ReadMargins(FlexItem& item, const Box& box, const ComputedValues& values) const {
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
}

void FlexLayout::FindBaseSize(FlexItem& item) {
  if (item.is_text) {
    FindTextBaseSize(item);
    return;
  }
  Element& child = *item.element;
  const ComputedValues& values = child.computed_;
  LayoutEngine::Input edges_input;
  edges_input.containing_width = content_width;
  engine.ResolveEdges(child, edges_input);
  const Box& box = child.box_;
  const float edges_main =
      row ? box.padding[kLeft] + box.padding[kRight] + box.border[kLeft] + box.border[kRight]
          : box.padding[kTop] + box.padding[kBottom] + box.border[kTop] + box.border[kBottom];
  const bool border_box = values.box_sizing == Style::BoxSizing::BorderBox;
  auto to_border = [&](float size) {
    return border_box ? std::fmax(size, edges_main) : size + edges_main;
  };
  ReadMargins(item, box, values);

  const bool main_known = main_available >= 0.f;
  const auto& size_property = row ? values.width : values.height;
  if (values.flex_basis.IsDefinite(main_known))
    item.base = to_border(values.flex_basis.Resolve(main_available));
  else if (size_property.IsDefinite(main_known))
    item.base = to_border(size_property.Resolve(main_available));
  else
    item.base = ContentBaseSize(item, edges_main);
  const auto& min_property = row ? values.min_width : values.min_height;
  const auto& max_property = row ? values.max_width : values.max_height;
  item.min = std::fmax(edges_main, min_property.IsDefinite(main_known)
                                       ? to_border(min_property.Resolve(main_available))
                                       : 0.f);
  item.max = max_property.IsDefinite(main_known) ? to_border(max_property.Resolve(main_available))
                                                 : std::numeric_limits<float>::infinity();
  item.hypothetical = Math::Clamp(item.base, item.min, item.max);
}

float FlexLayout::ContentBaseSize(FlexItem& item, float edges_main) {
  Element& child = *item.element;
  const ComputedValues& values = child.computed_;
  const Box& box = child.box_;
  if (row) {
    // The max-content width, before min-width and max-width apply.
    return child.tag_ == "img"
               ? engine.OuterIntrinsicWidth(child, false) - box.margin[kLeft] - box.margin[kRight]
               : engine.ContentIntrinsicWidth(child, false) + edges_main;
  }
  LayoutEngine::Input input;
  input.containing_width = content_width;
  input.containing_height = content_height;
  const auto align = values.align_self == Style::AlignSelf::Auto
                         ? Style::AlignSelf(int(style.align_items) + 1)
                         : values.align_self;
  if ((align == Style::AlignSelf::Stretch || align == Style::AlignSelf::Normal) &&
      values.width.IsAuto() && !item.auto_cross_start && !item.auto_cross_end)
    input.override_width = std::fmax(0.f, content_width - box.margin[kLeft] - box.margin[kRight]);
  else
    input.shrink_to_fit = true;
  engine.FormatBox(child, input);
  return child.box_.GetSize(BoxArea::Border).y;
}

float FlexLayout::FlexFactor(const FlexItem& item, bool grow) const {
  // Text grows never and shrinks with a factor of 1.
  const ComputedValues& values = item.element->computed_;
  return item.is_text ? (grow ? 0.f : 1.f) : (grow ? values.flex_grow : values.flex_shrink);
}

void FlexLayout::ResolveFlexibleLengths() {
  gaps = items.size() > 1 ? gap * float(items.size() - 1) : 0.f;
  main_size = main_available;
  if (main_size < 0.f) {
    main_size = gaps;
    for (const FlexItem& item : items)
      main_size += item.hypothetical + item.margin_main_start + item.margin_main_end;
  }
  float used = gaps;
  for (const FlexItem& item : items)
    used += item.hypothetical + item.margin_main_start + item.margin_main_end;
  const bool grow = main_size - used > 0.f;
  // Items that cannot flex, and those whose limit already moves them against the flex, are
  // frozen at their hypothetical size.
  for (FlexItem& item : items) {
    item.target = item.hypothetical;
    item.frozen = FlexFactor(item, grow) == 0.f || (grow && item.base > item.hypothetical) ||
                  (!grow && item.base < item.hypothetical);
  }
  const float initial_free = main_size - used;
  for (int round = 0; round < 32; ++round) {
    if (!FlexRound(grow, initial_free)) break;
  }
}

bool FlexLayout::FlexRound(bool grow, float initial_free) {
  float occupied = gaps, factors = 0.f, scaled = 0.f;
  bool any_unfrozen = false;
  for (const FlexItem& item : items) {
    occupied +=
        item.margin_main_start + item.margin_main_end + (item.frozen ? item.target : item.base);
    if (item.frozen) continue;
    any_unfrozen = true;
    const float factor = FlexFactor(item, grow);
    factors += factor;
    scaled += factor * item.base;
  }
  if (!any_unfrozen) return false;
  float remaining = main_size - occupied;
  // Factors that add up to less than 1 share only that part of the free space.
  if (factors < 1.f && std::fabs(initial_free * factors) < std::fabs(remaining))
    remaining = initial_free * factors;
  float violation = 0.f;
  for (FlexItem& item : items) {
    if (item.frozen) continue;
    const float factor = FlexFactor(item, grow);
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
  return true;
}

Style::AlignSelf FlexLayout::AlignOf(const FlexItem& item) const {
  if (item.is_text) return Style::AlignSelf(int(style.align_items) + 1);
  const auto self = item.element->computed_.align_self;
  return self == Style::AlignSelf::Auto ? Style::AlignSelf(int(style.align_items) + 1) : self;
}

bool FlexLayout::Stretches(const FlexItem& item) const {
  if (item.is_text || item.auto_cross_start || item.auto_cross_end) return false;
  const auto align = AlignOf(item);
  const auto& item_cross_size =
      row ? item.element->computed_.height : item.element->computed_.width;
  return (align == Style::AlignSelf::Stretch || align == Style::AlignSelf::Normal) &&
         item_cross_size.IsAuto();
}

void FlexLayout::LayOut(FlexItem& item, float cross_override) {
  Element& child = *item.element;
  if (item.is_text) {
    const float height = LayOutText(child, {0, 0}, row ? item.target : content_width);
    item.cross = row ? height : engine.TextIntrinsicWidth(child, false);
    return;
  }
  LayoutEngine::Input input;
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
  engine.FormatBox(child, input);
  item.cross = row ? child.box_.GetSize(BoxArea::Border).y : child.box_.GetSize(BoxArea::Border).x;
}

void FlexLayout::FindCrossSizes() {
  cross_size = row ? content_height : content_width;
  float line_cross = 0.f;
  for (FlexItem& item : items) {
    // In a column a stretched item is laid out at the container's width at once.
    const bool stretch_column = !row && Stretches(item);
    LayOut(item, stretch_column ? std::fmax(0.f, content_width - item.margin_cross_start -
                                                     item.margin_cross_end)
                                : -1.f);
    line_cross =
        std::fmax(line_cross, item.cross + item.margin_cross_start + item.margin_cross_end);
  }
  if (cross_size < 0.f) cross_size = line_cross;
  if (!row) return;
  for (FlexItem& item : items) {
    if (Stretches(item)) StretchInRow(item);
  }
}

void FlexLayout::StretchInRow(FlexItem& item) {
  const ComputedValues& values = item.element->computed_;
  float stretched = cross_size - item.margin_cross_start - item.margin_cross_end;
  const Box& box = item.element->box_;
  const float edges =
      box.padding[kTop] + box.padding[kBottom] + box.border[kTop] + box.border[kBottom];
  const bool border_box = values.box_sizing == Style::BoxSizing::BorderBox;
  auto to_border = [&](float size) { return border_box ? size : size + edges; };
  const float max_height = values.max_height.IsDefinite(content_height >= 0.f)
                               ? to_border(values.max_height.Resolve(content_height))
                               : std::numeric_limits<float>::infinity();
  const float min_height = values.min_height.IsDefinite(content_height >= 0.f)
                               ? to_border(values.min_height.Resolve(content_height))
                               : 0.f;
  stretched = std::fmax(edges, Math::Clamp(stretched, min_height, max_height));
  if (std::fabs(stretched - item.cross) > 0.001f) LayOut(item, stretched);
}

void FlexLayout::PlaceItems() {
  float occupied = gaps;
  int auto_margins = 0;
  for (const FlexItem& item : items) {
    occupied += item.target + item.margin_main_start + item.margin_main_end;
    auto_margins += int(item.auto_main_start) + int(item.auto_main_end);
  }
  float free_space = main_size - occupied;
  // Auto margins take the free space first, in equal shares.
  if (auto_margins > 0 && free_space > 0.f) {
    const float share = free_space / float(auto_margins);
    for (FlexItem& item : items) {
      if (item.auto_main_start) item.margin_main_start += share;
      if (item.auto_main_end) item.margin_main_end += share;
    }
    free_space = 0.f;
  }
  float start = 0.f, between = gap;
  Justify(free_space, start, between);
  float cursor = start;
  for (FlexItem& item : items) Place(item, cursor, between);
}

void FlexLayout::Justify(float free_space, float& start, float& between) const {
  const size_t count = items.size();
  using J = Style::JustifyContent;
  switch (style.justify_content) {
    case J::FlexEnd:
    case J::End:
      start = free_space;
      break;
    case J::Center:
      start = free_space * 0.5f;
      break;
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
    default:
      break;
  }
}

float FlexLayout::CrossOffset(const FlexItem& item) const {
  const float cross_free =
      cross_size - item.cross - item.margin_cross_start - item.margin_cross_end;
  if (item.auto_cross_start && item.auto_cross_end) return cross_free * 0.5f;
  if (item.auto_cross_start) return cross_free;
  if (item.auto_cross_end) return 0.f;
  switch (AlignOf(item)) {
    case Style::AlignSelf::FlexEnd:
    case Style::AlignSelf::End:
      return cross_free;
    case Style::AlignSelf::Center:
      return cross_free * 0.5f;
    default:
      return 0.f;
  }
}

void FlexLayout::Place(FlexItem& item, float& cursor, float between) {
  item.main_position = cursor + item.margin_main_start;
  cursor = item.main_position + item.target + item.margin_main_end + between;
  if (reverse) item.main_position = main_size - item.main_position - item.target;
  item.cross_position = item.margin_cross_start + CrossOffset(item);

  Element& child = *item.element;
  const Vector2f position = row ? Vector2f{item.main_position, item.cross_position}
                                : Vector2f{item.cross_position, item.main_position};
  if (item.is_text) {
    LayOutText(child, origin + position, row ? item.target : content_width);
    return;
  }
  child.relative_position_ = origin + position;
  child.offset_parent_ = &container;
  engine.ApplyRelativeOffset(child, content_width, content_height);
}

float LayoutEngine::LayoutFlex(Element& container, float content_width, float content_height) {
  return FlexLayout(*this, container, content_width, content_height).Run();
}

}  // namespace Rml
