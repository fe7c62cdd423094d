#pragma once
// ComputedValues: an element's style after the cascade, with relative units resolved. Lengths
// that depend on the containing block (percentages, auto) stay unresolved until layout.
// Enum orders follow the keyword lists of property_definitions.cpp.

#include "rml/property.h"
#include "rml/transform.h"

namespace Rml {

namespace Style {
enum class Display : std::uint8_t {
  None,
  Block,
  Inline,
  InlineBlock,
  Flex,
  Table,
  TableRow,
  TableCell,
  TableRowGroup,
  InlineFlex
};
enum class Position : std::uint8_t { Static, Relative, Absolute, Fixed };
enum class BoxSizing : std::uint8_t { ContentBox, BorderBox };
enum class Overflow : std::uint8_t { Visible, Hidden, Auto, Scroll };
enum class Visibility : std::uint8_t { Visible, Hidden };
enum class FontStyle : std::uint8_t { Normal, Italic };
enum class TextAlign : std::uint8_t { Left, Right, Center, Justify };
enum class TextTransform : std::uint8_t { None, Capitalize, Uppercase, Lowercase };
enum class WhiteSpace : std::uint8_t { Normal, Pre, Nowrap, Prewrap, Preline };
enum class VerticalAlign : std::uint8_t {
  Baseline,
  Middle,
  Top,
  Bottom,
  TextTop,
  TextBottom,
  Sub,
  Super
};
enum class PointerEvents : std::uint8_t { Auto, None };
enum class FlexDirection : std::uint8_t { Row, RowReverse, Column, ColumnReverse };
enum class JustifyContent : std::uint8_t {
  FlexStart,
  FlexEnd,
  Center,
  SpaceBetween,
  SpaceAround,
  SpaceEvenly,
  Start,
  End,
  Normal
};
enum class AlignItems : std::uint8_t {
  Stretch,
  FlexStart,
  FlexEnd,
  Center,
  Baseline,
  Start,
  End,
  Normal
};
enum class AlignSelf : std::uint8_t {
  Auto,
  Stretch,
  FlexStart,
  FlexEnd,
  Center,
  Baseline,
  Start,
  End,
  Normal
};

// A length that may still depend on layout: auto, a length in pixels, a percentage, or none.
struct LengthPercentageAuto {
  enum Type : std::uint8_t { Auto, Length, Percentage, None };
  Type type = Length;
  float value = 0.f;
  bool operator==(const LengthPercentageAuto&) const = default;
  // Pixels against a base (for percentages); auto and none give fallback.
  float Resolve(float base, float fallback = 0.f) const {
    return type == Length ? value : type == Percentage ? base * value * 0.01f : fallback;
  }
  bool IsAuto() const { return type == Auto; }
  bool IsDefinite(bool base_known) const {
    return type == Length || (type == Percentage && base_known);
  }
};
}  // namespace Style

struct ComputedValues {
  using Length = Style::LengthPercentageAuto;

  Style::Display display = Style::Display::Inline;
  Style::Position position = Style::Position::Static;
  Length top{Length::Auto}, right{Length::Auto}, bottom{Length::Auto}, left{Length::Auto};
  Length width{Length::Auto}, height{Length::Auto};
  Length min_width, max_width{Length::None}, min_height, max_height{Length::None};
  Length margin[4];   // top, right, bottom, left
  Length padding[4];  // percentages resolve against the containing block's width
  float border_width[4] = {0, 0, 0, 0};
  Colourb border_colour[4];
  Style::BoxSizing box_sizing = Style::BoxSizing::ContentBox;
  Style::Overflow overflow_x = Style::Overflow::Visible, overflow_y = Style::Overflow::Visible;
  bool z_index_auto = true;
  float z_index = 0.f;
  Style::Visibility visibility = Style::Visibility::Visible;
  float opacity = 1.f;
  Colourb color{0, 0, 0, 255};
  Colourb background_color{0, 0, 0, 0};
  String font_family;
  float font_size = 16.f;
  int font_weight = 400;
  Style::FontStyle font_style = Style::FontStyle::Normal;
  Style::TextAlign text_align = Style::TextAlign::Left;
  Style::TextTransform text_transform = Style::TextTransform::None;
  float letter_spacing = 0.f;
  // Line height in pixels; line_height_factor > 0 when it was given as a factor of the font
  // size (or normal), which descendants apply to their own font size.
  float line_height = 19.f;
  float line_height_factor = 0.f;
  Style::WhiteSpace white_space = Style::WhiteSpace::Normal;
  Style::VerticalAlign vertical_align = Style::VerticalAlign::Baseline;
  Colourb image_color{255, 255, 255, 255};
  Style::PointerEvents pointer_events = Style::PointerEvents::Auto;
  String decorator;
  Style::FlexDirection flex_direction = Style::FlexDirection::Row;
  Style::JustifyContent justify_content = Style::JustifyContent::FlexStart;
  Style::AlignItems align_items = Style::AlignItems::Stretch;
  Style::AlignSelf align_self = Style::AlignSelf::Auto;
  float flex_grow = 0.f, flex_shrink = 1.f;
  Length flex_basis{Length::Auto};
  Length row_gap, column_gap;
  TransformList transform;
  Length transform_origin_x{Length::Percentage, 50.f}, transform_origin_y{Length::Percentage, 50.f};
  // Kept as written; animation and transition parse them when they change.
  String animation, transition;

  // The text shaping inputs that come from attributes rather than properties.
  String language;
  String direction;

  bool operator==(const ComputedValues&) const = default;

  bool IsInlineLevel() const {
    return display == Style::Display::Inline || display == Style::Display::InlineBlock ||
           display == Style::Display::InlineFlex;
  }
  bool IsOutOfFlow() const {
    return position == Style::Position::Absolute || position == Style::Position::Fixed;
  }
};

// What the units of a value resolve against when the style is computed.
struct UnitContext {
  float parent_font_size = 16.f;
  float root_font_size = 16.f;
  Vector2f viewport{0, 0};
  float dp_ratio = 1.f;
};

// Computes an element's values: specified[i] is the winning declaration of property i or null,
// parent the parent's computed values (null at the root).
void ComputeValues(ComputedValues& values, const Property* const* specified,
                   const ComputedValues* parent, const UnitContext& units);

}  // namespace Rml
