#include "rml/computed_values.h"

#include "rml/string_utilities.h"

#include <cmath>

namespace Rml {
namespace {

// Resolves a length property's value to pixels where the unit allows, given the element's own
// font size (for em; font-size itself passes the parent's).
Style::LengthPercentageAuto ToLength(const Property& value, float font_size, const UnitContext& units) {
  using L = Style::LengthPercentageAuto;
  switch (value.unit) {
    case Unit::Px:
    case Unit::Number: return {L::Length, value.number};
    case Unit::Percent: return {L::Percentage, value.number};
    case Unit::Em: return {L::Length, value.number * font_size};
    case Unit::Rem: return {L::Length, value.number * units.root_font_size};
    case Unit::Vw: return {L::Length, value.number * units.viewport.x * 0.01f};
    case Unit::Vh: return {L::Length, value.number * units.viewport.y * 0.01f};
    case Unit::Dp: return {L::Length, value.number * units.dp_ratio};
    default: return {L::Auto, 0.f};
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

}  // namespace

void ComputeValues(ComputedValues& values, const Property* const* specified,
                   const ComputedValues* parent, const UnitContext& units) {
  static const ComputedValues kInitial;
  values = kInitial;
  // Inherited properties start as the parent's values.
  if (parent != nullptr) {
    values.visibility = parent->visibility;
    values.color = parent->color;
    values.font_family = parent->font_family;
    values.font_size = parent->font_size;
    values.font_weight = parent->font_weight;
    values.font_style = parent->font_style;
    values.text_align = parent->text_align;
    values.text_transform = parent->text_transform;
    values.letter_spacing = parent->letter_spacing;
    values.line_height = parent->line_height;
    values.line_height_factor = parent->line_height_factor;
    values.white_space = parent->white_space;
    values.pointer_events = parent->pointer_events;
    values.language = parent->language;
    values.direction = parent->direction;
  }

  auto value_of = [&](PropertyId id) -> const Property* {
    const Property* property = specified[size_t(id)];
    if (property == nullptr || property->unit == Unit::Initial) {
      // Inherited properties keep the parent's value when nothing is specified.
      if (property == nullptr && GetPropertyDefinition(id).inherited && parent != nullptr) return nullptr;
      return &GetDefaultProperty(id);
    }
    if (property->unit == Unit::Inherit) return nullptr;  // handled per property below
    return property;
  };

  // Font size first: em lengths of this element use it.
  if (const Property* size = value_of(PropertyId::FontSize)) {
    const float parent_size = parent != nullptr ? parent->font_size : units.root_font_size;
    if (size->unit == Unit::Percent)
      values.font_size = parent_size * size->number * 0.01f;
    else
      values.font_size = ToLength(*size, parent_size, units).Resolve(0.f, parent_size);
    if (!(values.font_size >= 0.f) || !std::isfinite(values.font_size)) values.font_size = parent_size;
  }
  const float font_size = values.font_size;

  for (int i = 0; i < kPropertyCount; ++i) {
    const PropertyId id = PropertyId(i);
    const Property* raw = specified[size_t(i)];
    if (raw != nullptr && raw->unit == Unit::Inherit) {
      if (parent == nullptr) raw = &GetDefaultProperty(id);
    }
    const Property* property = value_of(id);
    if (raw != nullptr && raw->unit == Unit::Inherit && parent != nullptr) {
      // Explicit inherit of a non-inherited property copies the parent's computed field.
      switch (id) {
        case PropertyId::Display: values.display = parent->display; break;
        case PropertyId::Position: values.position = parent->position; break;
        case PropertyId::Width: values.width = parent->width; break;
        case PropertyId::Height: values.height = parent->height; break;
        case PropertyId::BackgroundColor: values.background_color = parent->background_color; break;
        case PropertyId::Opacity: values.opacity = parent->opacity; break;
        default: break;
      }
      continue;
    }
    if (property == nullptr || id == PropertyId::FontSize) continue;
    const int keyword = property->keyword;
    const bool is_keyword = property->unit == Unit::Keyword;
    auto length = [&]() {
      return is_keyword ? KeywordLength(id, keyword) : ToLength(*property, font_size, units);
    };
    switch (id) {
      case PropertyId::Display: values.display = Style::Display(keyword); break;
      case PropertyId::Position: values.position = Style::Position(keyword); break;
      case PropertyId::Top: values.top = length(); break;
      case PropertyId::Right: values.right = length(); break;
      case PropertyId::Bottom: values.bottom = length(); break;
      case PropertyId::Left: values.left = length(); break;
      case PropertyId::Width: values.width = length(); break;
      case PropertyId::Height: values.height = length(); break;
      case PropertyId::MinWidth: values.min_width = length(); break;
      case PropertyId::MaxWidth: values.max_width = length(); break;
      case PropertyId::MinHeight: values.min_height = length(); break;
      case PropertyId::MaxHeight: values.max_height = length(); break;
      case PropertyId::MarginTop:
      case PropertyId::MarginRight:
      case PropertyId::MarginBottom:
      case PropertyId::MarginLeft:
        values.margin[i - int(PropertyId::MarginTop)] = length();
        break;
      case PropertyId::PaddingTop:
      case PropertyId::PaddingRight:
      case PropertyId::PaddingBottom:
      case PropertyId::PaddingLeft: {
        auto padding = length();
        if (padding.type == padding.Length && padding.value < 0.f) padding.value = 0.f;
        values.padding[i - int(PropertyId::PaddingTop)] = padding;
        break;
      }
      case PropertyId::BorderTopWidth:
      case PropertyId::BorderRightWidth:
      case PropertyId::BorderBottomWidth:
      case PropertyId::BorderLeftWidth:
        values.border_width[i - int(PropertyId::BorderTopWidth)] = std::fmax(0.f, length().Resolve(0.f));
        break;
      case PropertyId::BorderTopColor:
      case PropertyId::BorderRightColor:
      case PropertyId::BorderBottomColor:
      case PropertyId::BorderLeftColor:
        // Resolved against the final colour below when it is currentcolor.
        values.border_colour[i - int(PropertyId::BorderTopColor)] =
            is_keyword ? Colourb(0, 0, 0, 0) : property->colour;
        if (is_keyword) values.border_colour[i - int(PropertyId::BorderTopColor)].red = 1;
        break;
      case PropertyId::BorderRadius: break;
      case PropertyId::BoxSizing: values.box_sizing = Style::BoxSizing(keyword); break;
      case PropertyId::OverflowX: values.overflow_x = Style::Overflow(keyword); break;
      case PropertyId::OverflowY: values.overflow_y = Style::Overflow(keyword); break;
      case PropertyId::ZIndex:
        values.z_index_auto = is_keyword;
        values.z_index = is_keyword ? 0.f : property->number;
        break;
      case PropertyId::Visibility: values.visibility = Style::Visibility(keyword); break;
      case PropertyId::Opacity: values.opacity = property->number; break;
      case PropertyId::Color: values.color = property->colour; break;
      case PropertyId::BackgroundColor: values.background_color = property->colour; break;
      case PropertyId::FontFamily: {
        // The first family of a list, without quotes.
        StringList families;
        StringUtilities::ExpandString(families, property->string, ',');
        String family = families.empty() ? String() : families[0];
        if (family.size() >= 2 && (family[0] == '"' || family[0] == '\'')) family = family.substr(1, family.size() - 2);
        values.font_family = StringUtilities::ToLower(family);
        break;
      }
      case PropertyId::FontSize: break;
      case PropertyId::FontWeight:
        values.font_weight = is_keyword ? (keyword == 0 ? 400 : 700) : int(property->number);
        break;
      case PropertyId::FontStyle: values.font_style = Style::FontStyle(keyword); break;
      case PropertyId::TextAlign: values.text_align = Style::TextAlign(keyword); break;
      case PropertyId::TextTransform: values.text_transform = Style::TextTransform(keyword); break;
      case PropertyId::LetterSpacing: values.letter_spacing = length().Resolve(font_size); break;
      case PropertyId::LineHeight:
        if (is_keyword) {
          values.line_height_factor = 1.2f;
        } else if (property->unit == Unit::Number) {
          values.line_height_factor = property->number;
        } else {
          values.line_height_factor = 0.f;
          values.line_height = length().Resolve(font_size);
        }
        break;
      case PropertyId::WhiteSpace: values.white_space = Style::WhiteSpace(keyword); break;
      case PropertyId::VerticalAlign: values.vertical_align = Style::VerticalAlign(keyword); break;
      case PropertyId::ImageColor: values.image_color = property->colour; break;
      case PropertyId::PointerEvents: values.pointer_events = Style::PointerEvents(keyword); break;
      case PropertyId::Decorator: values.decorator = property->string; break;
      case PropertyId::FlexDirection: values.flex_direction = Style::FlexDirection(keyword); break;
      case PropertyId::JustifyContent: values.justify_content = Style::JustifyContent(keyword); break;
      case PropertyId::AlignItems: values.align_items = Style::AlignItems(keyword); break;
      case PropertyId::AlignSelf: values.align_self = Style::AlignSelf(keyword); break;
      case PropertyId::FlexGrow: values.flex_grow = property->number; break;
      case PropertyId::FlexShrink: values.flex_shrink = property->number; break;
      case PropertyId::FlexBasis: values.flex_basis = length(); break;
      case PropertyId::RowGap: values.row_gap = length(); break;
      case PropertyId::ColumnGap: values.column_gap = length(); break;
      case PropertyId::Transform: {
        // Checked when declared; relative units are resolved here.
        String error;
        ParseTransform(property->string, font_size, units, values.transform, error);
        break;
      }
      case PropertyId::TransformOriginX:
      case PropertyId::TransformOriginY:
        (id == PropertyId::TransformOriginX ? values.transform_origin_x : values.transform_origin_y) =
            is_keyword ? Style::LengthPercentageAuto{Style::LengthPercentageAuto::Percentage, 50.f * float(keyword)}
                       : length();
        break;
      case PropertyId::Animation: values.animation = property->string; break;
      case PropertyId::Transition: values.transition = property->string; break;
      case PropertyId::Count: break;
    }
  }
  if (values.line_height_factor > 0.f) values.line_height = values.line_height_factor * font_size;
  for (Colourb& colour : values.border_colour)
    if (colour.alpha == 0 && colour.red == 1) colour = values.color;
  // Blocks inside inline-level parents, and floats, are not handled: absolute and fixed boxes
  // are blockified as CSS requires.
  if (values.IsOutOfFlow() && values.display == Style::Display::Inline)
    values.display = Style::Display::Block;
}

}  // namespace Rml
