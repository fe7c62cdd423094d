// Parsing property values: lengths with units, numbers, keywords, colours and text, and the
// shorthands (margin, padding, border..., overflow, flex, gap) that expand into longhands.

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "rml/animation.h"
#include "rml/property.h"
#include "rml/string_utilities.h"
#include "rml/transform.h"

namespace Rml {
namespace {

struct NamedColour {
  const char* name;
  Colourb colour;
};
constexpr NamedColour kNamedColours[] = {
    {"transparent", {0, 0, 0, 0}}, {"black", {0, 0, 0}},           {"white", {255, 255, 255}},
    {"red", {255, 0, 0}},          {"lime", {0, 255, 0}},          {"green", {0, 128, 0}},
    {"blue", {0, 0, 255}},         {"yellow", {255, 255, 0}},      {"cyan", {0, 255, 255}},
    {"aqua", {0, 255, 255}},       {"magenta", {255, 0, 255}},     {"fuchsia", {255, 0, 255}},
    {"gray", {128, 128, 128}},     {"grey", {128, 128, 128}},      {"silver", {192, 192, 192}},
    {"maroon", {128, 0, 0}},       {"olive", {128, 128, 0}},       {"purple", {128, 0, 128}},
    {"teal", {0, 128, 128}},       {"navy", {0, 0, 128}},          {"orange", {255, 165, 0}},
    {"gold", {255, 215, 0}},       {"pink", {255, 192, 203}},      {"brown", {165, 42, 42}},
    {"darkgray", {169, 169, 169}}, {"lightgray", {211, 211, 211}}, {"darkred", {139, 0, 0}},
    {"crimson", {220, 20, 60}},    {"indigo", {75, 0, 130}},       {"violet", {238, 130, 238}},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseNumber(std::string_view text, float& value, std::string_view& rest) {
  // std::from_chars rejects a leading '+', so skip it by hand.
  size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first) return false;
  rest = std::string_view(end, size_t(last - end));
  return std::isfinite(value);
}

}  // namespace

bool ParseLength(std::string_view text, Property& property) {
  float number = 0;
  std::string_view unit;
  if (!ParseNumber(text, number, unit)) return false;
  property.number = number;
  String lower = StringUtilities::ToLower(String(unit));
  if (lower.empty()) {
    property.unit = Unit::Number;
  } else if (lower == "px") {
    property.unit = Unit::Px;
  } else if (lower == "%") {
    property.unit = Unit::Percent;
  } else if (lower == "em") {
    property.unit = Unit::Em;
  } else if (lower == "rem") {
    property.unit = Unit::Rem;
  } else if (lower == "vw") {
    property.unit = Unit::Vw;
  } else if (lower == "vh") {
    property.unit = Unit::Vh;
  } else if (lower == "dp") {
    property.unit = Unit::Dp;
  } else if (lower == "deg") {
    property.unit = Unit::Deg;
  } else if (lower == "s") {
    property.unit = Unit::S;
  } else if (lower == "ms") {
    property.unit = Unit::S;
    property.number = number / 1000.f;
  } else {
    return false;
  }
  return true;
}

namespace {

// Parses one value of a longhand property into property.
bool ParseValue(PropertyId id, std::string_view text, Property& property) {
  const PropertyDefinition& definition = GetPropertyDefinition(id);
  const String lower = StringUtilities::ToLower(String(text));
  if (lower == "inherit") {
    property.unit = Unit::Inherit;
    return true;
  }
  if (lower == "initial") {
    property.unit = Unit::Initial;
    return true;
  }
  if (definition.kind == PropertyKind::Text) {
    String error;
    if (id == PropertyId::Transform && !IsValidTransform(text, error)) return false;
    std::vector<AnimationDeclaration> animations;
    if (id == PropertyId::Animation && !ParseAnimationList(text, animations, error)) return false;
    std::vector<TransitionDeclaration> transitions;
    if (id == PropertyId::Transition && !ParseTransitionList(text, transitions, error))
      return false;
    property.unit = Unit::String;
    property.string = String(text);
    return true;
  }
  const int keyword = FindKeyword(id, lower);
  if (keyword >= 0) {
    property.unit = Unit::Keyword;
    property.keyword = keyword;
    return true;
  }
  switch (definition.kind) {
    case PropertyKind::Keyword:
    case PropertyKind::Text:
      return false;
    case PropertyKind::Colour:
      property.unit = Unit::Colour;
      return ParseColour(lower, property.colour);
    case PropertyKind::Number: {
      std::string_view rest;
      if (!ParseNumber(lower, property.number, rest) || !rest.empty()) return false;
      property.unit = Unit::Number;
      if (id == PropertyId::Opacity)
        property.number = std::fmin(std::fmax(property.number, 0.f), 1.f);
      if (id == PropertyId::FlexGrow || id == PropertyId::FlexShrink) return property.number >= 0.f;
      return true;
    }
    case PropertyKind::Length:
      if (!ParseLength(lower, property)) return false;
      // A unitless number is a length only when it is 0, except for line-height (a factor).
      if (property.unit == Unit::Number && property.number != 0.f && id != PropertyId::LineHeight)
        return false;
      if (property.unit == Unit::Number && id != PropertyId::LineHeight) property.unit = Unit::Px;
      if (property.unit == Unit::Deg || property.unit == Unit::S) return false;
      return true;
  }
  return false;
}

bool AddLonghand(PropertyId id, std::string_view text, bool important, DeclarationList& out) {
  Declaration declaration{id, important, {}};
  if (!ParseValue(id, text, declaration.value)) return false;
  out.push_back(std::move(declaration));
  return true;
}

// Top, right, bottom, left from 1 to 4 values, as margin and padding spell them.
bool AddBoxSides(const PropertyId (&sides)[4], const StringList& values, bool important,
                 DeclarationList& out) {
  static constexpr int kPick[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
  if (values.empty() || values.size() > 4) return false;
  for (int side = 0; side < 4; ++side)
    if (!AddLonghand(sides[side], values[size_t(kPick[values.size() - 1][side])], important, out))
      return false;
  return true;
}

constexpr PropertyId kMargins[4] = {PropertyId::MarginTop, PropertyId::MarginRight,
                                    PropertyId::MarginBottom, PropertyId::MarginLeft};
constexpr PropertyId kPaddings[4] = {PropertyId::PaddingTop, PropertyId::PaddingRight,
                                     PropertyId::PaddingBottom, PropertyId::PaddingLeft};
constexpr PropertyId kBorderWidths[4] = {PropertyId::BorderTopWidth, PropertyId::BorderRightWidth,
                                         PropertyId::BorderBottomWidth,
                                         PropertyId::BorderLeftWidth};
constexpr PropertyId kBorderColours[4] = {PropertyId::BorderTopColor, PropertyId::BorderRightColor,
                                          PropertyId::BorderBottomColor,
                                          PropertyId::BorderLeftColor};

bool IsBorderStyle(const String& word) {
  return word == "none" || word == "hidden" || word == "solid" || word == "dotted" ||
         word == "dashed" || word == "double" || word == "groove" || word == "ridge" ||
         word == "inset" || word == "outset";
}

// "border", "border-top" ...: width, style and colour in any order. A style of none or hidden
// means no border, whatever width is given.
bool AddBorder(const std::vector<int>& sides, const StringList& values, bool important,
               DeclarationList& out) {
  if (values.empty() || values.size() > 3) return false;
  String width = "medium", colour = "currentcolor";
  bool no_border = false;
  for (const String& value : values) {
    const String lower = StringUtilities::ToLower(value);
    Property probe;
    if (IsBorderStyle(lower)) {
      no_border = lower == "none" || lower == "hidden";
    } else if (ParseValue(PropertyId::BorderTopWidth, lower, probe)) {
      width = lower;
    } else if (ParseValue(PropertyId::BorderTopColor, lower, probe)) {
      colour = lower;
    } else {
      return false;
    }
  }
  if (no_border) width = "0px";
  for (int side : sides) {
    if (!AddLonghand(kBorderWidths[side], width, important, out) ||
        !AddLonghand(kBorderColours[side], colour, important, out))
      return false;
  }
  return true;
}

int BorderSide(std::string_view name) {
  if (name == "border-top") return 0;
  if (name == "border-right") return 1;
  if (name == "border-bottom") return 2;
  if (name == "border-left") return 3;
  return -1;
}

bool AddFlex(const StringList& values, bool important, DeclarationList& out) {
  if (values.size() == 1) {
    const String lower = StringUtilities::ToLower(values[0]);
    if (lower == "none") return AddFlex({"0", "0", "auto"}, important, out);
    if (lower == "auto") return AddFlex({"1", "1", "auto"}, important, out);
  }
  if (values.empty() || values.size() > 3) return false;
  String grow = "1", shrink = "1", basis = "0px";
  size_t next = 0;
  Property probe;
  if (ParseValue(PropertyId::FlexGrow, values[0], probe) && probe.unit == Unit::Number) {
    grow = values[0];
    next = 1;
    if (next < values.size() && ParseValue(PropertyId::FlexShrink, values[next], probe) &&
        probe.unit == Unit::Number) {
      shrink = values[next];
      ++next;
    }
  }
  if (next < values.size()) basis = values[next++];
  if (next != values.size()) return false;
  return AddLonghand(PropertyId::FlexGrow, grow, important, out) &&
         AddLonghand(PropertyId::FlexShrink, shrink, important, out) &&
         AddLonghand(PropertyId::FlexBasis, basis, important, out);
}

}  // namespace

bool ParseColour(std::string_view text, Colourb& colour) {
  const String lower = StringUtilities::ToLower(StringUtilities::Trim(String(text)));
  if (lower.empty()) return false;
  if (lower[0] == '#') {
    const size_t digits = lower.size() - 1;
    int values[8] = {0, 0, 0, 0, 0, 0, 15, 15};
    if (digits != 3 && digits != 4 && digits != 6 && digits != 8) return false;
    for (size_t i = 0; i < digits; ++i) {
      values[i] = HexDigit(lower[i + 1]);
      if (values[i] < 0) return false;
    }
    if (digits <= 4) {
      colour = Colourb(byte(values[0] * 17), byte(values[1] * 17), byte(values[2] * 17),
                       byte(digits == 4 ? values[3] * 17 : 255));
    } else {
      colour = Colourb(byte(values[0] * 16 + values[1]), byte(values[2] * 16 + values[3]),
                       byte(values[4] * 16 + values[5]),
                       byte(digits == 8 ? values[6] * 16 + values[7] : 255));
    }
    return true;
  }
  if (lower.rfind("rgb", 0) == 0) {
    const size_t open = lower.find('('), close = lower.rfind(')');
    if (open == String::npos || close == String::npos || close < open) return false;
    const bool has_alpha = lower.compare(0, open, "rgba") == 0;
    if (!has_alpha && lower.compare(0, open, "rgb") != 0) return false;
    StringList parts;
    StringUtilities::ExpandString(parts, lower.substr(open + 1, close - open - 1), ',');
    if (parts.size() != (has_alpha ? 4u : 3u)) return false;
    float channels[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < parts.size(); ++i) {
      Property parsed;
      if (!ParseLength(parts[i], parsed)) return false;
      float value = parsed.number;
      if (parsed.unit == Unit::Percent)
        value = value * 2.55f;
      else if (parsed.unit != Unit::Number)
        return false;
      // An alpha of at most 1 is a fraction, as in CSS; above 1 it counts to 255.
      if (i == 3 && parsed.unit == Unit::Number && value <= 1.f) value *= 255.f;
      channels[i] = std::fmin(std::fmax(value, 0.f), 255.f);
    }
    colour = Colourb(byte(channels[0] + 0.5f), byte(channels[1] + 0.5f), byte(channels[2] + 0.5f),
                     byte(channels[3] + 0.5f));
    return true;
  }
  for (const NamedColour& named : kNamedColours) {
    if (lower == named.name) {
      colour = named.colour;
      return true;
    }
  }
  return false;
}

bool ParseDeclaration(std::string_view name_text, std::string_view value_text, bool important,
                      DeclarationList& out, String& error) {
  const String name = StringUtilities::ToLower(StringUtilities::Trim(String(name_text)));
  const String value = StringUtilities::Trim(String(value_text));
  const size_t first = out.size();
  auto fail = [&](const char* what) {
    out.resize(first);
    error = String(what) + " '" + (what[0] == 'u' ? name : value) + "'" +
            (what[0] == 'u' ? "" : " for '" + name + "'");
    return false;
  };
  PropertyId id;
  if (FindPropertyId(name, id)) {
    if (value.empty() && GetPropertyDefinition(id).kind != PropertyKind::Text)
      return fail("invalid value");
    return AddLonghand(id, value, important, out) ? true : fail("invalid value");
  }
  StringList values;
  StringUtilities::SplitValues(values, value);
  bool parsed = false;
  if (name == "margin") {
    parsed = AddBoxSides(kMargins, values, important, out);
  } else if (name == "padding") {
    parsed = AddBoxSides(kPaddings, values, important, out);
  } else if (name == "border-width") {
    parsed = AddBoxSides(kBorderWidths, values, important, out);
  } else if (name == "border-color") {
    parsed = AddBoxSides(kBorderColours, values, important, out);
  } else if (name == "border-style") {
    // Every drawn border is solid; "none" is honoured by the border shorthands.
    parsed = !values.empty() && values.size() <= 4;
  } else if (name == "border") {
    parsed = AddBorder({0, 1, 2, 3}, values, important, out);
  } else if (BorderSide(name) >= 0) {
    parsed = AddBorder({BorderSide(name)}, values, important, out);
  } else if (name == "overflow") {
    parsed = (values.size() == 1 || values.size() == 2) &&
             AddLonghand(PropertyId::OverflowX, values[0], important, out) &&
             AddLonghand(PropertyId::OverflowY, values.back(), important, out);
  } else if (name == "flex") {
    parsed = AddFlex(values, important, out);
  } else if (name == "gap") {
    parsed = (values.size() == 1 || values.size() == 2) &&
             AddLonghand(PropertyId::RowGap, values[0], important, out) &&
             AddLonghand(PropertyId::ColumnGap, values.back(), important, out);
  } else if (name == "transform-origin") {
    // "x y", or "y x" when keywords say so; one value leaves the other axis centred.
    auto vertical = [](const String& word) { return word == "top" || word == "bottom"; };
    auto horizontal = [](const String& word) { return word == "left" || word == "right"; };
    StringList pair = values;
    if (pair.size() == 1) pair.insert(vertical(pair[0]) ? pair.begin() : pair.end(), "center");
    if (pair.size() == 2 && (vertical(pair[0]) || horizontal(pair[1]))) std::swap(pair[0], pair[1]);
    parsed = (values.size() == 1 || values.size() == 2) &&
             AddLonghand(PropertyId::TransformOriginX, pair[0], important, out) &&
             AddLonghand(PropertyId::TransformOriginY, pair[1], important, out);
  } else if (name == "background") {
    parsed =
        values.size() == 1 && AddLonghand(PropertyId::BackgroundColor, values[0], important, out);
  } else {
    return fail("unknown property");
  }
  return parsed ? true : fail("invalid value");
}

}  // namespace Rml
