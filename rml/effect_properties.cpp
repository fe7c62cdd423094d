#include "rml/effect_properties.h"

#include "rml/log.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

String Unquote(const String& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Shorthands may name shorthands; a cycle stops here instead of recursing forever.
constexpr int kMaxShorthandDepth = 8;

}  // namespace

const Property* PropertyDictionary::GetProperty(const String& name) const {
  auto found = properties_.find(name);
  return found == properties_.end() ? nullptr : &found->second;
}

EffectSpecification::PropertyBuilder& EffectSpecification::PropertyBuilder::AddParser(
    const String& parser_name, const String& parameters) {
  Parser parser{Parser::String, {}};
  if (parser_name == "string") {
    parser.kind = Parser::String;
  } else if (parser_name == "keyword") {
    parser.kind = Parser::Keyword;
    StringList words;
    StringUtilities::ExpandString(words, parameters, ',');
    for (const String& word : words) parser.keywords.push_back(StringUtilities::ToLower(word));
  } else if (parser_name == "length_percent") {
    parser.kind = Parser::LengthPercent;
  } else if (parser_name == "color") {
    parser.kind = Parser::Colour;
  } else {
    Log::Message(Log::LT_WARNING, "Unknown parser '%s' for decorator property '%s'",
                 parser_name.c_str(), owner_->properties_[index_].name.c_str());
    return *this;
  }
  owner_->properties_[index_].parsers.push_back(std::move(parser));
  return *this;
}

EffectSpecification::PropertyBuilder EffectSpecification::RegisterProperty(
    const String& name, const String& default_value) {
  for (size_t i = 0; i < properties_.size(); ++i)
    if (properties_[i].name == name) {
      properties_[i] = {name, default_value, {}};
      return PropertyBuilder(this, i);
    }
  properties_.push_back({name, default_value, {}});
  return PropertyBuilder(this, properties_.size() - 1);
}

bool EffectSpecification::RegisterShorthand(const String& name, const String& property_names,
                                            ShorthandType type) {
  StringList items;
  StringUtilities::ExpandString(items, property_names, ',');
  for (const String& item : items)
    if (FindProperty(item) == nullptr && FindShorthand(item) == nullptr) {
      Log::Message(Log::LT_WARNING, "Shorthand '%s' names '%s', which is not a registered property",
                   name.c_str(), item.c_str());
      return false;
    }
  for (Shorthand& shorthand : shorthands_)
    if (shorthand.name == name) {
      shorthand = {name, std::move(items), type};
      return true;
    }
  shorthands_.push_back({name, std::move(items), type});
  return true;
}

const EffectSpecification::PropertyEntry* EffectSpecification::FindProperty(
    const String& name) const {
  for (const PropertyEntry& entry : properties_)
    if (entry.name == name) return &entry;
  return nullptr;
}

const EffectSpecification::Shorthand* EffectSpecification::FindShorthand(const String& name) const {
  for (const Shorthand& shorthand : shorthands_)
    if (shorthand.name == name) return &shorthand;
  return nullptr;
}

bool EffectSpecification::ParsePropertyValue(const String& name, const String& value,
                                             Property& out) const {
  const PropertyEntry* entry = FindProperty(name);
  if (entry == nullptr) return false;
  const String lower = StringUtilities::ToLower(value);
  for (const Parser& parser : entry->parsers) {
    Property property;
    switch (parser.kind) {
      case Parser::String:
        property.unit = Unit::String;
        property.string = StringUtilities::Trim(Unquote(value));
        out = std::move(property);
        return true;
      case Parser::Keyword:
        for (size_t i = 0; i < parser.keywords.size(); ++i)
          if (parser.keywords[i] == lower) {
            property.unit = Unit::Keyword;
            property.keyword = int(i);
            property.string = lower;
            out = std::move(property);
            return true;
          }
        break;
      case Parser::LengthPercent:
        if (ParseLength(lower, property) && property.unit != Unit::Deg &&
            property.unit != Unit::S && (property.unit != Unit::Number || property.number == 0.f)) {
          if (property.unit == Unit::Number) property.unit = Unit::Px;
          property.string = lower;
          out = std::move(property);
          return true;
        }
        break;
      case Parser::Colour:
        if (ParseColour(lower, property.colour)) {
          property.unit = Unit::Colour;
          property.string = lower;
          out = std::move(property);
          return true;
        }
        break;
    }
  }
  return false;
}

void EffectSpecification::SetDefaults(PropertyDictionary& out) const {
  for (const PropertyEntry& entry : properties_) {
    Property property;
    if (!ParsePropertyValue(entry.name, entry.default_text, property)) {
      property.unit = Unit::String;
      property.string = entry.default_text;
    }
    out.SetProperty(entry.name, std::move(property));
  }
}

bool EffectSpecification::ParseShorthand(const Shorthand& shorthand, const StringList& values,
                                         PropertyDictionary& out, int depth, String& error) const {
  if (depth > kMaxShorthandDepth) {
    error = "shorthand '" + shorthand.name + "' refers to itself";
    return false;
  }
  if (shorthand.type == ShorthandType::RecursiveRepeat) {
    for (const String& item : shorthand.items) {
      if (const Shorthand* inner = FindShorthand(item)) {
        if (!ParseShorthand(*inner, values, out, depth + 1, error)) return false;
      } else {
        if (values.size() != 1) {
          error = "'" + item + "' takes one value";
          return false;
        }
        Property property;
        if (!ParsePropertyValue(item, values[0], property)) {
          error = "invalid value '" + values[0] + "' for '" + item + "'";
          return false;
        }
        out.SetProperty(item, std::move(property));
      }
    }
    return true;
  }
  // FallThrough: each value takes the first remaining property that accepts it.
  size_t next = 0;
  for (const String& value : values) {
    bool placed = false;
    for (size_t i = next; i < shorthand.items.size() && !placed; ++i) {
      Property property;
      if (ParsePropertyValue(shorthand.items[i], value, property)) {
        out.SetProperty(shorthand.items[i], std::move(property));
        next = i + 1;
        placed = true;
      }
    }
    if (!placed) {
      error = "value '" + value + "' fits no property of '" + shorthand.name + "'";
      return false;
    }
  }
  return true;
}

bool EffectSpecification::ParseProperties(PropertyDictionary& out, const String& text,
                                          String& error) const {
  SetDefaults(out);
  StringList values;
  StringUtilities::SplitValues(values, text);
  if (values.empty()) return true;
  if (const Shorthand* shorthand = FindShorthand("decorator"))
    return ParseShorthand(*shorthand, values, out, 0, error);
  Shorthand in_order{"decorator", {}, ShorthandType::FallThrough};
  for (const PropertyEntry& entry : properties_) in_order.items.push_back(entry.name);
  return ParseShorthand(in_order, values, out, 0, error);
}

}  // namespace Rml
