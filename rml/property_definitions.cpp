// The table of properties: one row per PropertyId, in the enum's order. Keyword lists give the
// order of the matching enums in computed_values.h.

#include <array>

#include "rml/property.h"

namespace Rml {
namespace {

using K = PropertyKind;

constexpr std::array<PropertyDefinition, kPropertyCount> kDefinitions{{
    {"display", false, K::Keyword,
     "none,block,inline,inline-block,flex,table,table-row,table-cell,table-row-group,inline-flex",
     "inline"},
    {"position", false, K::Keyword, "static,relative,absolute,fixed", "static"},
    {"top", false, K::Length, "auto", "auto"},
    {"right", false, K::Length, "auto", "auto"},
    {"bottom", false, K::Length, "auto", "auto"},
    {"left", false, K::Length, "auto", "auto"},
    {"width", false, K::Length, "auto", "auto"},
    {"height", false, K::Length, "auto", "auto"},
    {"min-width", false, K::Length, "auto", "0px"},
    {"max-width", false, K::Length, "none", "none"},
    {"min-height", false, K::Length, "auto", "0px"},
    {"max-height", false, K::Length, "none", "none"},
    {"margin-top", false, K::Length, "auto", "0px"},
    {"margin-right", false, K::Length, "auto", "0px"},
    {"margin-bottom", false, K::Length, "auto", "0px"},
    {"margin-left", false, K::Length, "auto", "0px"},
    {"padding-top", false, K::Length, "", "0px"},
    {"padding-right", false, K::Length, "", "0px"},
    {"padding-bottom", false, K::Length, "", "0px"},
    {"padding-left", false, K::Length, "", "0px"},
    {"border-top-width", false, K::Length, "thin,medium,thick", "0px"},
    {"border-right-width", false, K::Length, "thin,medium,thick", "0px"},
    {"border-bottom-width", false, K::Length, "thin,medium,thick", "0px"},
    {"border-left-width", false, K::Length, "thin,medium,thick", "0px"},
    {"border-top-color", false, K::Colour, "currentcolor", "currentcolor"},
    {"border-right-color", false, K::Colour, "currentcolor", "currentcolor"},
    {"border-bottom-color", false, K::Colour, "currentcolor", "currentcolor"},
    {"border-left-color", false, K::Colour, "currentcolor", "currentcolor"},
    {"border-radius", false, K::Length, "", "0px"},
    {"box-sizing", false, K::Keyword, "content-box,border-box", "content-box"},
    {"overflow-x", false, K::Keyword, "visible,hidden,auto,scroll", "visible"},
    {"overflow-y", false, K::Keyword, "visible,hidden,auto,scroll", "visible"},
    {"z-index", false, K::Number, "auto", "auto"},
    {"visibility", true, K::Keyword, "visible,hidden", "visible"},
    {"opacity", false, K::Number, "", "1"},
    {"color", true, K::Colour, "", "black"},
    {"background-color", false, K::Colour, "", "transparent"},
    {"font-family", true, K::Text, "", ""},
    {"font-size", true, K::Length, "", "16px"},
    {"font-weight", true, K::Number, "normal,bold", "normal"},
    {"font-style", true, K::Keyword, "normal,italic", "normal"},
    {"text-align", true, K::Keyword, "left,right,center,justify", "left"},
    {"text-transform", true, K::Keyword, "none,capitalize,uppercase,lowercase", "none"},
    {"letter-spacing", true, K::Length, "normal", "normal"},
    {"line-height", true, K::Length, "normal", "normal"},
    {"white-space", true, K::Keyword, "normal,pre,nowrap,pre-wrap,pre-line", "normal"},
    {"vertical-align", false, K::Keyword,
     "baseline,middle,top,bottom,text-top,text-bottom,sub,super", "baseline"},
    {"image-color", false, K::Colour, "", "white"},
    {"pointer-events", true, K::Keyword, "auto,none", "auto"},
    {"decorator", false, K::Text, "", ""},
    {"flex-direction", false, K::Keyword, "row,row-reverse,column,column-reverse", "row"},
    {"justify-content", false, K::Keyword,
     "flex-start,flex-end,center,space-between,space-around,space-evenly,start,end,normal",
     "flex-start"},
    {"align-items", false, K::Keyword,
     "stretch,flex-start,flex-end,center,baseline,start,end,normal", "stretch"},
    {"align-self", false, K::Keyword,
     "auto,stretch,flex-start,flex-end,center,baseline,start,end,normal", "auto"},
    {"flex-grow", false, K::Number, "", "0"},
    {"flex-shrink", false, K::Number, "", "1"},
    {"flex-basis", false, K::Length, "auto,content", "auto"},
    {"row-gap", false, K::Length, "normal", "normal"},
    {"column-gap", false, K::Length, "normal", "normal"},
    {"transform", false, K::Text, "", "none"},
    {"transform-origin-x", false, K::Length, "left,center,right", "50%"},
    {"transform-origin-y", false, K::Length, "top,center,bottom", "50%"},
    {"animation", false, K::Text, "", "none"},
    {"transition", false, K::Text, "", "none"},
}};

const std::array<Property, kPropertyCount>& Defaults() {
  static const std::array<Property, kPropertyCount> defaults = [] {
    std::array<Property, kPropertyCount> parsed_defaults;
    for (int i = 0; i < kPropertyCount; ++i) {
      DeclarationList parsed;
      String error;
      if (ParseDeclaration(kDefinitions[size_t(i)].name, kDefinitions[size_t(i)].default_value,
                           false, parsed, error) &&
          parsed.size() == 1)
        parsed_defaults[size_t(i)] = parsed[0].value;
      else
        parsed_defaults[size_t(i)].unit = Unit::String;
    }
    return parsed_defaults;
  }();
  return defaults;
}

}  // namespace

const PropertyDefinition& GetPropertyDefinition(PropertyId id) { return kDefinitions[size_t(id)]; }

bool FindPropertyId(std::string_view name, PropertyId& id) {
  for (int i = 0; i < kPropertyCount; ++i) {
    if (name == kDefinitions[size_t(i)].name) {
      id = PropertyId(i);
      return true;
    }
  }
  return false;
}

const Property& GetDefaultProperty(PropertyId id) { return Defaults()[size_t(id)]; }

int FindKeyword(PropertyId id, std::string_view word) {
  std::string_view list = kDefinitions[size_t(id)].keywords;
  int index = 0;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    if (list.substr(0, comma) == word) return index;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    ++index;
  }
  return -1;
}

}  // namespace Rml
