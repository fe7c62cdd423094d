#pragma once
// Style properties: the ids the library knows, a parsed value (Property) and the declarations a
// style sheet or an inline style holds. Each id has one definition in property_definitions.cpp
// (name, inherited or not, default, value kind); shorthands expand into several declarations.

#include <cstdint>
#include <string_view>

#include "rml/types.h"

namespace Rml {

enum class PropertyId : std::uint8_t {
  Display,
  Position,
  Top,
  Right,
  Bottom,
  Left,
  Width,
  Height,
  MinWidth,
  MaxWidth,
  MinHeight,
  MaxHeight,
  MarginTop,
  MarginRight,
  MarginBottom,
  MarginLeft,
  PaddingTop,
  PaddingRight,
  PaddingBottom,
  PaddingLeft,
  BorderTopWidth,
  BorderRightWidth,
  BorderBottomWidth,
  BorderLeftWidth,
  BorderTopColor,
  BorderRightColor,
  BorderBottomColor,
  BorderLeftColor,
  BorderRadius,
  BoxSizing,
  OverflowX,
  OverflowY,
  ZIndex,
  Visibility,
  Opacity,
  Color,
  BackgroundColor,
  FontFamily,
  FontSize,
  FontWeight,
  FontStyle,
  TextAlign,
  TextTransform,
  LetterSpacing,
  LineHeight,
  WhiteSpace,
  VerticalAlign,
  ImageColor,
  PointerEvents,
  Decorator,
  FlexDirection,
  JustifyContent,
  AlignItems,
  AlignSelf,
  FlexGrow,
  FlexShrink,
  FlexBasis,
  RowGap,
  ColumnGap,
  Transform,
  TransformOriginX,
  TransformOriginY,
  Animation,
  Transition,
  Count
};
constexpr int kPropertyCount = int(PropertyId::Count);

// The unit of a parsed value. Keywords carry their index in the property's keyword list.
enum class Unit : std::uint8_t {
  Unknown,
  Keyword,
  Number,
  Px,
  Percent,
  Em,
  Rem,
  Vw,
  Vh,
  Dp,
  Deg,
  S,
  Colour,
  String,
  Inherit,
  Initial
};

struct Property {
  Unit unit = Unit::Unknown;
  int keyword = 0;
  float number = 0.f;
  Colourb colour;
  String string;
  // Where the value came from, for messages ("file:line"); empty for run-time values.
  bool operator==(const Property& other) const {
    return unit == other.unit && keyword == other.keyword && number == other.number &&
           colour == other.colour && string == other.string;
  }
};

struct Declaration {
  PropertyId id;
  bool important = false;
  Property value;
};
using DeclarationList = std::vector<Declaration>;

// What kind of value a property takes.
enum class PropertyKind : std::uint8_t {
  Keyword,  // one of the definition's keywords
  Length,   // length or percentage, or one of the keywords (auto, none, normal...)
  Number,   // a plain number, or one of the keywords
  Colour,
  Text,  // kept as written (font-family, decorator)
};

struct PropertyDefinition {
  const char* name;
  bool inherited;
  PropertyKind kind;
  const char* keywords;       // comma-separated; a keyword's index is its position
  const char* default_value;  // parsed once at start-up
};

const PropertyDefinition& GetPropertyDefinition(PropertyId id);
// The id of a longhand property name, or false when it is not one (shorthands are not ids).
bool FindPropertyId(std::string_view name, PropertyId& id);
// The parsed default value of a property.
const Property& GetDefaultProperty(PropertyId id);
// The keyword index of a word in a property's list, or -1.
int FindKeyword(PropertyId id, std::string_view word);

// Parses "name: value" into one or more declarations (shorthands expand). On failure returns
// false and writes a reason into error ("unknown property 'x'", "invalid value 'y' for 'x'").
bool ParseDeclaration(std::string_view name, std::string_view value, bool important,
                      DeclarationList& out, String& error);
// Parses a number with an optional unit (px, %, em, rem, vw, vh, dp, deg, s, ms); a bare
// number gets Unit::Number. False for anything else or a number that is not finite.
bool ParseLength(std::string_view text, Property& property);
// Parses a colour: #rgb, #rgba, #rrggbb, #rrggbbaa, rgb(), rgba(), or a named colour.
bool ParseColour(std::string_view text, Colourb& colour);

}  // namespace Rml
