#include "rml/layout_engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "rml/core.h"
#include "rml/element_document.h"
#include "rml/font_engine.h"
#include "rml/math.h"

namespace Rml {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
unsigned g_layout_pass = 0;

// A box's padding and border along one axis, and how its specified sizes become content sizes.
struct BoxEdges {
  float x = 0.f, y = 0.f;
  bool border_box = false;
  float ToContentX(float specified) const { return border_box ? specified - x : specified; }
  float ToContentY(float specified) const { return border_box ? specified - y : specified; }
};

// The content-box limits from min- and max-width and -height; a percentage of an indefinite
// height limits nothing.
struct SizeLimits {
  float min_width, max_width, min_height, max_height;
};

SizeLimits LimitsOf(const ComputedValues& values, const LayoutEngine::Input& input,
                    const BoxEdges& edges) {
  SizeLimits limits;
  limits.min_width = edges.ToContentX(values.min_width.Resolve(input.containing_width, 0.f));
  limits.max_width =
      values.max_width.type == Style::LengthPercentageAuto::None
          ? kInfinity
          : edges.ToContentX(values.max_width.Resolve(input.containing_width, kInfinity));
  const bool height_base_known = input.containing_height >= 0.f;
  limits.min_height =
      values.min_height.type == Style::LengthPercentageAuto::Percentage && !height_base_known
          ? 0.f
          : edges.ToContentY(values.min_height.Resolve(input.containing_height, 0.f));
  limits.max_height =
      values.max_height.type == Style::LengthPercentageAuto::None ||
              (values.max_height.type == Style::LengthPercentageAuto::Percentage &&
               !height_base_known)
          ? kInfinity
          : edges.ToContentY(values.max_height.Resolve(input.containing_height, kInfinity));
  return limits;
}

// Auto margins centre a block-level box of known width in what `remaining` leaves of its
// containing block (or push it to the other side).
void ResolveAutoMargins(Box& box, const ComputedValues& values, float remaining) {
  const bool auto_left = values.margin[kLeft].IsAuto(), auto_right = values.margin[kRight].IsAuto();
  if (auto_left && auto_right) {
    box.margin[kLeft] = box.margin[kRight] = std::fmax(0.f, remaining * 0.5f);
  } else if (auto_left) {
    box.margin[kLeft] = std::fmax(0.f, remaining);
  } else if (auto_right) {
    box.margin[kRight] = std::fmax(0.f, remaining);
  }
}

}  // namespace

bool IsInlineLevel(const Element& element) {
  if (element.GetTagName() == "#text" || element.GetTagName() == "br") return true;
  return element.GetComputedValues().IsInlineLevel();
}

LayoutEngine::LayoutEngine(Vector2f viewport) : viewport_(viewport), pass_(++g_layout_pass) {}

void LayoutEngine::LayoutDocument(ElementDocument& document) {
  out_of_flow_.clear();
  Input input;
  input.containing_width = viewport_.x;
  input.containing_height = viewport_.y;
  FormatBox(document, input);
  document.relative_position_ = {document.box_.margin[kLeft], document.box_.margin[kTop]};
  document.offset_parent_ = nullptr;
  PlaceOutOfFlow(nullptr);
  UpdateAbsoluteOffsets(document);
}

void LayoutEngine::UpdateAbsoluteOffsets(Element& element) {
  Vector2f base =
      element.offset_parent_ != nullptr ? element.offset_parent_->absolute_offset_ : Vector2f{0, 0};
  // Scrolled ancestors up to the containing block move the element with their content.
  for (const Element* ancestor = element.parent_; ancestor != nullptr;
       ancestor = ancestor->parent_) {
    base -= ancestor->scroll_offset_;
    if (ancestor == element.offset_parent_) break;
  }
  element.absolute_offset_ = base + element.relative_position_;
  for (auto& child : element.children_) UpdateAbsoluteOffsets(*child);
}

void LayoutEngine::ResolveEdges(Element& element, const Input& input) {
  const ComputedValues& values = element.computed_;
  Box& box = element.box_;
  for (int edge = 0; edge < 4; ++edge) {
    box.margin[edge] = values.margin[edge].Resolve(input.containing_width, 0.f);
    box.padding[edge] = std::fmax(0.f, values.padding[edge].Resolve(input.containing_width, 0.f));
    box.border[edge] = values.border_width[edge];
  }
}

void LayoutEngine::FormatBox(Element& element, const Input& input) {
  const ComputedValues& values = element.computed_;
  Box& box = element.box_;
  element.has_baseline_ = false;
  element.baseline_ = 0.f;
  ResolveEdges(element, input);
  BoxEdges edges;
  edges.x = box.padding[kLeft] + box.padding[kRight] + box.border[kLeft] + box.border[kRight];
  edges.y = box.padding[kTop] + box.padding[kBottom] + box.border[kTop] + box.border[kBottom];
  edges.border_box = values.box_sizing == Style::BoxSizing::BorderBox;
  const bool is_image = element.tag_ == "img";
  const float margins_x = box.margin[kLeft] + box.margin[kRight];
  const SizeLimits limits = LimitsOf(values, input, edges);

  const Vector2f image_size = is_image ? ImageSize(element) : Vector2f{0, 0};
  float width = UsedWidth(element, input, image_size, edges.x, edges.y, margins_x);
  if (input.override_width < 0.f) width = Math::Clamp(width, limits.min_width, limits.max_width);
  width = std::fmax(0.f, width);
  if (!input.shrink_to_fit && input.override_width < 0.f && !values.IsInlineLevel())
    ResolveAutoMargins(box, values, input.containing_width - width - edges.x - margins_x);
  box.content.x = width;

  // Height, when it is known before the content.
  float definite_height = -1.f;
  if (input.override_height >= 0.f) {
    definite_height = std::fmax(0.f, input.override_height - edges.y);
  } else if (values.height.IsDefinite(input.containing_height >= 0.f)) {
    definite_height =
        std::fmax(0.f, Math::Clamp(edges.ToContentY(values.height.Resolve(input.containing_height)),
                                   limits.min_height, limits.max_height));
  }

  float content_height = 0.f;
  switch (values.display) {
    case Style::Display::Flex:
    case Style::Display::InlineFlex:
      content_height = LayoutFlex(element, width, definite_height);
      break;
    case Style::Display::Table:
      content_height = LayoutTable(element, width, definite_height);
      break;
    default:
      content_height = LayoutBlockChildren(element, width, definite_height);
      break;
  }
  if (is_image) {
    content_height = image_size.y;
    if (!values.width.IsAuto() && image_size.x > 0.f)
      content_height = width * image_size.y / image_size.x;
  }
  element.content_extent_ = content_height;
  box.content.y =
      definite_height >= 0.f
          ? definite_height
          : std::fmax(0.f, Math::Clamp(content_height, limits.min_height, limits.max_height));
  if (!element.has_baseline_) element.baseline_ = box.GetSize(BoxArea::Border).y;

  if (values.position != Style::Position::Static) PlaceOutOfFlow(&element);
}

float LayoutEngine::UsedWidth(Element& element, const Input& input, Vector2f image_size,
                              float edges_x, float edges_y, float margins_x) {
  const ComputedValues& values = element.computed_;
  const BoxEdges edges{edges_x, edges_y, values.box_sizing == Style::BoxSizing::BorderBox};
  if (input.override_width >= 0.f) return input.override_width - edges_x;
  if (!values.width.IsAuto()) return edges.ToContentX(values.width.Resolve(input.containing_width));
  if (element.tag_ == "img") {
    if (values.height.IsDefinite(input.containing_height >= 0.f) && image_size.y > 0.f)
      return edges.ToContentY(values.height.Resolve(input.containing_height)) * image_size.x /
             image_size.y;
    return image_size.x;
  }
  if (input.shrink_to_fit) {
    const float available =
        (input.available_width >= 0.f ? input.available_width : input.containing_width) -
        margins_x - edges_x;
    const float min_content = ContentIntrinsicWidth(element, true);
    const float max_content = ContentIntrinsicWidth(element, false);
    return std::fmin(std::fmax(min_content, available), max_content);
  }
  return input.containing_width - margins_x - edges_x;
}

void LayoutEngine::ApplyRelativeOffset(Element& element, float containing_width,
                                       float containing_height) {
  const ComputedValues& values = element.computed_;
  if (values.position != Style::Position::Relative) return;
  const float height_base = containing_height >= 0.f ? containing_height : 0.f;
  float dx = 0.f, dy = 0.f;
  if (!values.left.IsAuto())
    dx = values.left.Resolve(containing_width);
  else if (!values.right.IsAuto())
    dx = -values.right.Resolve(containing_width);
  if (!values.top.IsAuto())
    dy = values.top.Resolve(height_base);
  else if (!values.bottom.IsAuto())
    dy = -values.bottom.Resolve(height_base);
  element.relative_position_ += Vector2f{dx, dy};
}

Element* LayoutEngine::FindContainingBlock(Element& element) const {
  if (element.computed_.position == Style::Position::Fixed) return nullptr;
  for (Element* ancestor = element.parent_; ancestor != nullptr; ancestor = ancestor->parent_)
    if (ancestor->computed_.position != Style::Position::Static) return ancestor;
  return nullptr;
}

void LayoutEngine::AddOutOfFlow(Element& element, Element& static_parent,
                                Vector2f static_position) {
  Element* containing_block = FindContainingBlock(element);
  for (OutOfFlow& entry : out_of_flow_) {
    if (entry.element == &element) {
      entry = {&element, containing_block, &static_parent, static_position};
      return;
    }
  }
  out_of_flow_.push_back({&element, containing_block, &static_parent, static_position});
}

void LayoutEngine::PlaceOutOfFlow(Element* containing_block) {
  for (size_t i = 0; i < out_of_flow_.size();) {
    if (out_of_flow_[i].containing_block != containing_block) {
      ++i;
      continue;
    }
    const OutOfFlow entry = out_of_flow_[i];
    out_of_flow_.erase(out_of_flow_.begin() + long(i));
    Element& element = *entry.element;
    const ComputedValues& values = element.computed_;

    // The static position relative to the containing block's border box.
    Vector2f static_position = entry.static_position;
    for (Element* step = entry.static_parent; step != nullptr && step != containing_block;
         step = step->offset_parent_)
      static_position += step->relative_position_;

    Vector2f origin{0, 0}, size = viewport_;
    if (containing_block != nullptr) {
      origin = containing_block->box_.GetPosition(BoxArea::Padding);
      size = containing_block->box_.GetSize(BoxArea::Padding);
    }
    Input input;
    input.containing_width = size.x;
    input.containing_height = size.y;
    ResolveEdges(element, input);
    const Box& box = element.box_;
    const float left = values.left.Resolve(size.x), right = values.right.Resolve(size.x);
    const float top = values.top.Resolve(size.y), bottom = values.bottom.Resolve(size.y);
    const float margins_x = box.margin[kLeft] + box.margin[kRight];
    const float margins_y = box.margin[kTop] + box.margin[kBottom];
    const float static_x = static_position.x - origin.x, static_y = static_position.y - origin.y;
    if (values.width.IsAuto()) {
      if (!values.left.IsAuto() && !values.right.IsAuto()) {
        input.override_width = std::fmax(0.f, size.x - left - right - margins_x);
      } else {
        input.shrink_to_fit = true;
        input.available_width =
            size.x - (values.left.IsAuto() ? (values.right.IsAuto() ? static_x : 0.f) : left) -
            (values.right.IsAuto() ? 0.f : right);
      }
    }
    if (values.height.IsAuto() && !values.top.IsAuto() && !values.bottom.IsAuto())
      input.override_height = std::fmax(0.f, size.y - top - bottom - margins_y);
    FormatBox(element, input);

    const Vector2f border_size = element.box_.GetSize(BoxArea::Border);
    float x, y;
    float margin_left = element.box_.margin[kLeft], margin_top = element.box_.margin[kTop];
    if (!values.left.IsAuto() && !values.right.IsAuto() && !values.width.IsAuto() &&
        values.margin[kLeft].IsAuto() && values.margin[kRight].IsAuto()) {
      margin_left = std::fmax(0.f, (size.x - left - right - border_size.x) * 0.5f);
    }
    if (!values.top.IsAuto() && !values.bottom.IsAuto() && !values.height.IsAuto() &&
        values.margin[kTop].IsAuto() && values.margin[kBottom].IsAuto()) {
      margin_top = std::fmax(0.f, (size.y - top - bottom - border_size.y) * 0.5f);
    }
    if (!values.left.IsAuto())
      x = left + margin_left;
    else if (!values.right.IsAuto())
      x = size.x - right - element.box_.margin[kRight] - border_size.x;
    else
      x = static_x + margin_left;
    if (!values.top.IsAuto())
      y = top + margin_top;
    else if (!values.bottom.IsAuto())
      y = size.y - bottom - element.box_.margin[kBottom] - border_size.y;
    else
      y = static_y + margin_top;
    element.relative_position_ = origin + Vector2f{x, y};
    element.offset_parent_ = containing_block;
    i = 0;  // placing may have added or removed entries
  }
}

bool LayoutEngine::IsWhitespaceText(const Element& element) const {
  if (element.tag_ != "#text") return false;
  if (element.parent_ != nullptr) {
    const auto white_space = element.parent_->computed_.white_space;
    if (white_space == Style::WhiteSpace::Pre || white_space == Style::WhiteSpace::Prewrap)
      return element.text_.empty();
  }
  return element.text_.find_first_not_of(" \t\r\n") == String::npos;
}

float LayoutEngine::TextWidth(const Element& text_parent, const String& text) const {
  FontEngineInterface* engine = GetFontEngineInterface();
  if (engine == nullptr || text_parent.font_face_ == 0) return 0.f;
  TextShapingContext shaping;
  shaping.letter_spacing = text_parent.computed_.letter_spacing;
  return float(engine->GetStringWidth(text_parent.font_face_, text, shaping));
}

Vector2f LayoutEngine::ImageSize(Element& element) {
  Vector2f size{0, 0};
  RenderManager* manager = element.GetRenderManager();
  if (!element.image_texture_ && manager != nullptr) {
    const String* source = element.FindAttribute("src");
    const ElementDocument* document = element.GetOwnerDocument();
    if (source != nullptr && !source->empty())
      element.image_texture_ =
          manager->LoadTexture(document != nullptr ? document->JoinPath(*source) : *source);
  }
  if (element.image_texture_) {
    const Vector2i dimensions = element.image_texture_.GetDimensions();
    size = {float(dimensions.x), float(dimensions.y)};
  }
  const float width = element.GetAttribute<float>("width", -1.f),
              height = element.GetAttribute<float>("height", -1.f);
  if (width >= 0.f && height >= 0.f) return {width, height};
  if (width >= 0.f) return {width, size.x > 0.f ? width * size.y / size.x : 0.f};
  if (height >= 0.f) return {size.y > 0.f ? height * size.x / size.y : 0.f, height};
  return size;
}

float LayoutEngine::OuterIntrinsicWidth(Element& element, bool min) {
  const ComputedValues& values = element.computed_;
  if (element.tag_ == "#text") return ContentIntrinsicWidth(element, min);
  if (values.display == Style::Display::None || values.IsOutOfFlow()) return 0.f;
  float edges = values.border_width[kLeft] + values.border_width[kRight];
  float margins = 0.f;
  for (int edge : {kLeft, kRight}) {
    if (values.padding[edge].type == Style::LengthPercentageAuto::Length)
      edges += values.padding[edge].value;
    if (values.margin[edge].type == Style::LengthPercentageAuto::Length)
      margins += values.margin[edge].value;
  }
  const bool border_box = values.box_sizing == Style::BoxSizing::BorderBox;
  float width;
  if (values.width.type == Style::LengthPercentageAuto::Length) {
    width = border_box ? values.width.value : values.width.value + edges;
  } else if (element.tag_ == "img") {
    width = ImageSize(element).x + edges;
  } else {
    width = ContentIntrinsicWidth(element, min) + edges;
  }
  if (values.max_width.type == Style::LengthPercentageAuto::Length)
    width = std::fmin(width, border_box ? values.max_width.value : values.max_width.value + edges);
  if (values.min_width.type == Style::LengthPercentageAuto::Length)
    width = std::fmax(width, border_box ? values.min_width.value : values.min_width.value + edges);
  return std::fmax(width, edges) + margins;
}

}  // namespace Rml
