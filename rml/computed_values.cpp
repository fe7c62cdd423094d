#include "rml/computed_values.h"

#include <cmath>

#include "rml/string_utilities.h"

namespace Rml {
namespace {

// Resolves a length property's value to pixels where the unit allows, given the element's own
// font size (for em; font-size itself passes the parent's).
Style::LengthPercentageAuto ToLength(const Property& value, float font_size,
                                     const UnitContext& units) {
  using L = Style::LengthPercentageAuto;
  switch (value.unit) {
    case Unit::Px:
    case Unit::Number:
      return {L::Length, value.number};
    case Unit::Percent:
      return {L::Percentage, value.number};
    case Unit::Em:
      return {L::Length, value.number * font_size};
    case Unit::Rem:
      return {L::Length, value.number * units.root_font_size};
    case Unit::Vw:
      return {L::Length, value.number * units.viewport.x * 0.01f};
    case Unit::Vh:
      return {L::Length, value.number * units.viewport.y * 0.01f};
    case Unit::Dp:
      return {L::Length, value.number * units.dp_ratio};
    default:
      return {L::Auto, 0.f};
  }
}

// The keyword meaning "auto" or "none" for a length property, by the keyword lists.
Style::LengthPercentageAuto KeywordLength(PropertyId id, int keyword) {
  using L = Style::LengthPercentageAuto;
  if (id == PropertyId::MaxWidth || id == PropertyId::MaxHeight) return {L::None, 0.f};
  if (id >= PropertyId::BorderTopWidth && id <= PropertyId::BorderLeftWidth)
    return {L::Length, keyword == 0 ? 1.f : keyword == 1 ? 3.f : 5.f};
  if (id == PropertyId::MinWidth || id == PropertyId::MinHeight) return {L::Length, 0.f};
  if (id == PropertyId::LetterSpacing || id == PropertyId::RowGap || id == PropertyId::ColumnGap)
    return {L::Length, 0.f};
  return {L::Auto, 0.f};
}

// Inherited properties start as the parent's values.
void InheritFromParent(ComputedValues& values, const ComputedValues& parent) {
  values.visibility = parent.visibility;
  values.color = parent.color;
  values.font_family = parent.font_family;
  values.font_size = parent.font_size;
  values.font_weight = parent.font_weight;
  values.font_style = parent.font_style;
  values.text_align = parent.text_align;
  values.text_transform = parent.text_transform;
  values.letter_spacing = parent.letter_spacing;
  values.line_height = parent.line_height;
  values.line_height_factor = parent.line_height_factor;
  values.white_space = parent.white_space;
  values.pointer_events = parent.pointer_events;
  values.language = parent.language;
  values.direction = parent.direction;
}

// The value a property computes from: its declaration, or its initial value when it has none
// (or says initial). Null when the parent's value stands: an inherited property without a
// declaration, or one that says inherit (those are handled per property).
const Property* SpecifiedValue(const Property* const* specified, PropertyId id,
                               const ComputedValues* parent) {
  const Property* property = specified[size_t(id)];
  if (property == nullptr || property->unit == Unit::Initial) {
    // Inherited properties keep the parent's value when nothing is specified.
    if (property == nullptr && GetPropertyDefinition(id).inherited && parent != nullptr)
      return nullptr;
    return &GetDefaultProperty(id);
  }
  if (property->unit == Unit::Inherit) return nullptr;
  return property;
}

// Font size first: em lengths of this element use it. A percentage is of the parent's size; a
// size that is negative or not finite keeps the parent's.
void ComputeFontSize(ComputedValues& values, const Property* size, const ComputedValues* parent,
                     const UnitContext& units) {
  const float parent_size = parent != nullptr ? parent->font_size : units.root_font_size;
  if (size->unit == Unit::Percent)
    values.font_size = parent_size * size->number * 0.01f;
  else
    values.font_size = ToLength(*size, parent_size, units).Resolve(0.f, parent_size);
  if (!(values.font_size >= 0.f) || !std::isfinite(values.font_size))
    values.font_size = parent_size;
}

// Explicit inherit of a non-inherited property copies the parent's computed field.
void InheritExplicitly(ComputedValues& values, PropertyId id, const ComputedValues& parent) {
  switch (id) {
    case PropertyId::Display:
      values.display = parent.display;
      break;
    case PropertyId::Position:
      values.position = parent.position;
      break;
    case PropertyId::Width:
      values.width = parent.width;
      break;
    case PropertyId::Height:
      values.height = parent.height;
      break;
    case PropertyId::BackgroundColor:
      values.background_color = parent.background_color;
      break;
    case PropertyId::Opacity:
      values.opacity = parent.opacity;
      break;
    default:
      break;
  }
}

// One property's value as the appliers below read it.
struct PropertyValue {
  PropertyId id;
  const Property& property;
  float font_size;  // the element's own, for em
  const UnitContext& units;

  int Keyword() const { return property.keyword; }
  bool IsKeyword() const { return property.unit == Unit::Keyword; }
  Style::LengthPercentageAuto Length() const {
    return IsKeyword() ? KeywordLength(id, property.keyword) : ToLength(property, font_size, units);
  }
};

// Each applier sets the computed field of the properties of its group and says whether the
// property was one of them.

// Display, position, offsets, sizes and what else shapes the box.
bool ApplyBoxProperty(ComputedValues& values, const PropertyValue& value) {
  const int keyword = value.Keyword();
  switch (value.id) {
    case PropertyId::Display:
      values.display = Style::Display(keyword);
      break;
    case PropertyId::Position:
      values.position = Style::Position(keyword);
      break;
    case PropertyId::Top:
      values.top = value.Length();
      break;
    case PropertyId::Right:
      values.right = value.Length();
      break;
    case PropertyId::Bottom:
      values.bottom = value.Length();
      break;
    case PropertyId::Left:
      values.left = value.Length();
      break;
    case PropertyId::Width:
      values.width = value.Length();
      break;
    case PropertyId::Height:
      values.height = value.Length();
      break;
    case PropertyId::MinWidth:
      values.min_width = value.Length();
      break;
    case PropertyId::MaxWidth:
      values.max_width = value.Length();
      break;
    case PropertyId::MinHeight:
      values.min_height = value.Length();
      break;
    case PropertyId::MaxHeight:
      values.max_height = value.Length();
      break;
    case PropertyId::BoxSizing:
      values.box_sizing = Style::BoxSizing(keyword);
      break;
    case PropertyId::OverflowX:
      values.overflow_x = Style::Overflow(keyword);
      break;
    case PropertyId::OverflowY:
      values.overflow_y = Style::Overflow(keyword);
      break;
    case PropertyId::ZIndex:
      values.z_index_auto = value.IsKeyword();
      values.z_index = value.IsKeyword() ? 0.f : value.property.number;
      break;
    default:
      return false;
  }
  return true;
}

// Margins, paddings (never negative), border widths (never negative) and border colours.
bool ApplyEdgeProperty(ComputedValues& values, const PropertyValue& value) {
  const int i = int(value.id);
  switch (value.id) {
    case PropertyId::MarginTop:
    case PropertyId::MarginRight:
    case PropertyId::MarginBottom:
    case PropertyId::MarginLeft:
      values.margin[i - int(PropertyId::MarginTop)] = value.Length();
      break;
    case PropertyId::PaddingTop:
    case PropertyId::PaddingRight:
    case PropertyId::PaddingBottom:
    case PropertyId::PaddingLeft: {
      auto padding = value.Length();
      if (padding.type == padding.Length && padding.value < 0.f) padding.value = 0.f;
      values.padding[i - int(PropertyId::PaddingTop)] = padding;
      break;
    }
    case PropertyId::BorderTopWidth:
    case PropertyId::BorderRightWidth:
    case PropertyId::BorderBottomWidth:
    case PropertyId::BorderLeftWidth:
      values.border_width[i - int(PropertyId::BorderTopWidth)] =
          std::fmax(0.f, value.Length().Resolve(0.f));
      break;
    case PropertyId::BorderTopColor:
    case PropertyId::BorderRightColor:
    case PropertyId::BorderBottomColor:
    case PropertyId::BorderLeftColor:
      // Marked (transparent with red 1) and resolved against the final colour at the end when
      // it is currentcolor.
      values.border_colour[i - int(PropertyId::BorderTopColor)] =
          value.IsKeyword() ? Colourb(0, 0, 0, 0) : value.property.colour;
      if (value.IsKeyword()) values.border_colour[i - int(PropertyId::BorderTopColor)].red = 1;
      break;
    case PropertyId::BorderRadius:
      break;
    default:
      return false;
  }
  return true;
}

// The first family of a list, without quotes, in lower case.
String FirstFontFamily(const String& list) {
  StringList families;
  StringUtilities::ExpandString(families, list, ',');
  String family = families.empty() ? String() : families[0];
  if (family.size() >= 2 && (family[0] == '"' || family[0] == '\''))
    family = family.substr(1, family.size() - 2);
  return StringUtilities::ToLower(family);
}

// Fonts and text.
bool ApplyTextProperty(ComputedValues& values, const PropertyValue& value) {
  const int keyword = value.Keyword();
  const Property& property = value.property;
  switch (value.id) {
    case PropertyId::Color:
      values.color = property.colour;
      break;
    case PropertyId::FontFamily:
      values.font_family = FirstFontFamily(property.string);
      break;
    case PropertyId::FontSize:
      break;
    case PropertyId::FontWeight:
      values.font_weight = value.IsKeyword() ? (keyword == 0 ? 400 : 700) : int(property.number);
      break;
    case PropertyId::FontStyle:
      values.font_style = Style::FontStyle(keyword);
      break;
    case PropertyId::TextAlign:
      values.text_align = Style::TextAlign(keyword);
      break;
    case PropertyId::TextTransform:
      values.text_transform = Style::TextTransform(keyword);
      break;
    case PropertyId::LetterSpacing:
      values.letter_spacing = value.Length().Resolve(value.font_size);
      break;
    case PropertyId::LineHeight:
      // normal and numbers scale with the font size (at the end); lengths are fixed.
      if (value.IsKeyword()) {
        values.line_height_factor = 1.2f;
      } else if (property.unit == Unit::Number) {
        values.line_height_factor = property.number;
      } else {
        values.line_height_factor = 0.f;
        values.line_height = value.Length().Resolve(value.font_size);
      }
      break;
    case PropertyId::WhiteSpace:
      values.white_space = Style::WhiteSpace(keyword);
      break;
    case PropertyId::VerticalAlign:
      values.vertical_align = Style::VerticalAlign(keyword);
      break;
    default:
      return false;
  }
  return true;
}

bool ApplyFlexProperty(ComputedValues& values, const PropertyValue& value) {
  const int keyword = value.Keyword();
  switch (value.id) {
    case PropertyId::FlexDirection:
      values.flex_direction = Style::FlexDirection(keyword);
      break;
    case PropertyId::JustifyContent:
      values.justify_content = Style::JustifyContent(keyword);
      break;
    case PropertyId::AlignItems:
      values.align_items = Style::AlignItems(keyword);
      break;
    case PropertyId::AlignSelf:
      values.align_self = Style::AlignSelf(keyword);
      break;
    case PropertyId::FlexGrow:
      values.flex_grow = value.property.number;
      break;
    case PropertyId::FlexShrink:
      values.flex_shrink = value.property.number;
      break;
    case PropertyId::FlexBasis:
      values.flex_basis = value.Length();
      break;
    case PropertyId::RowGap:
      values.row_gap = value.Length();
      break;
    case PropertyId::ColumnGap:
      values.column_gap = value.Length();
      break;
    default:
      return false;
  }
  return true;
}

// How the box is drawn: visibility, opacity, colours, decorators, transforms, animations.
bool ApplyPaintProperty(ComputedValues& values, const PropertyValue& value) {
  const int keyword = value.Keyword();
  const Property& property = value.property;
  switch (value.id) {
    case PropertyId::Visibility:
      values.visibility = Style::Visibility(keyword);
      break;
    case PropertyId::Opacity:
      values.opacity = property.number;
      break;
    case PropertyId::BackgroundColor:
      values.background_color = property.colour;
      break;
    case PropertyId::ImageColor:
      values.image_color = property.colour;
      break;
    case PropertyId::PointerEvents:
      values.pointer_events = Style::PointerEvents(keyword);
      break;
    case PropertyId::Decorator:
      values.decorator = property.string;
      break;
    case PropertyId::Transform: {
      // Checked when declared; relative units are resolved here.
      String error;
      ParseTransform(property.string, value.font_size, value.units, values.transform, error);
      break;
    }
    case PropertyId::TransformOriginX:
    case PropertyId::TransformOriginY:
      (value.id == PropertyId::TransformOriginX ? values.transform_origin_x
                                                : values.transform_origin_y) =
          value.IsKeyword() ? Style::LengthPercentageAuto{Style::LengthPercentageAuto::Percentage,
                                                          50.f * float(keyword)}
                            : value.Length();
      break;
    case PropertyId::Animation:
      values.animation = property.string;
      break;
    case PropertyId::Transition:
      values.transition = property.string;
      break;
    default:
      return false;
  }
  return true;
}

void ApplyProperty(ComputedValues& values, const PropertyValue& value) {
  if (ApplyBoxProperty(values, value) || ApplyEdgeProperty(values, value)) return;
  if (ApplyTextProperty(values, value) || ApplyFlexProperty(values, value)) return;
  ApplyPaintProperty(values, value);
}

// What depends on the final values: line heights that scale with the font, currentcolor
// borders, and absolute and fixed boxes blockified as CSS requires (blocks inside inline-level
// parents, and floats, are not handled).
void FinishValues(ComputedValues& values) {
  if (values.line_height_factor > 0.f)
    values.line_height = values.line_height_factor * values.font_size;
  for (Colourb& colour : values.border_colour)
    if (colour.alpha == 0 && colour.red == 1) colour = values.color;
  if (values.IsOutOfFlow() && values.display == Style::Display::Inline)
    values.display = Style::Display::Block;
}

}  // namespace

void ComputeValues(ComputedValues& values, const Property* const* specified,
                   const ComputedValues* parent, const UnitContext& units) {
  static const ComputedValues kInitial;
  values = kInitial;
  if (parent != nullptr) InheritFromParent(values, *parent);
  if (const Property* size = SpecifiedValue(specified, PropertyId::FontSize, parent))
    ComputeFontSize(values, size, parent, units);
  const float font_size = values.font_size;

  for (int i = 0; i < kPropertyCount; ++i) {
    const PropertyId id = PropertyId(i);
    const Property* raw = specified[size_t(i)];
    if (raw != nullptr && raw->unit == Unit::Inherit) {
      if (parent == nullptr) raw = &GetDefaultProperty(id);
    }
    const Property* property = SpecifiedValue(specified, id, parent);
    if (raw != nullptr && raw->unit == Unit::Inherit && parent != nullptr) {
      InheritExplicitly(values, id, *parent);
      continue;
    }
    if (property == nullptr || id == PropertyId::FontSize) continue;
    ApplyProperty(values, {id, *property, font_size, units});
  }
  FinishValues(values);
}

}  // namespace Rml
