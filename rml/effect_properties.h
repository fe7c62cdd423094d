#pragma once
// EffectSpecification: the properties a decorator takes, declared by its instancer. Each
// property has a default and a chain of parsers ("string", "keyword" with a list,
// "length_percent", "color"); the first parser that accepts a value wins. Shorthands map one
// written value onto several properties:
//   FallThrough      each value goes to the first listed property, from the one after the last
//                    filled, whose parser accepts it ("a.png contain" -> src, fit);
//   RecursiveRepeat  the whole value is given to each listed property or shorthand in turn.
// ParseProperties turns the argument text of "name(args)" into a PropertyDictionary holding
// every registered property, defaults included.

#include <map>

#include "rml/property.h"

namespace Rml {

// Parsed decorator properties by name.
class PropertyDictionary {
 public:
  // The property, or null when it was never set.
  const Property* GetProperty(const String& name) const;
  void SetProperty(const String& name, Property property) {
    properties_[name] = std::move(property);
  }
  int GetNumProperties() const { return int(properties_.size()); }

 private:
  std::map<String, Property> properties_;
};

enum class ShorthandType { FallThrough, RecursiveRepeat };

class EffectSpecification {
 public:
  // Adds parsers to a registered property; unknown parser names are reported and ignored.
  class PropertyBuilder {
   public:
    explicit PropertyBuilder(EffectSpecification* owner, size_t index)
        : owner_(owner), index_(index) {}
    PropertyBuilder& AddParser(const String& parser_name, const String& parameters = String());

   private:
    EffectSpecification* owner_;
    size_t index_;
  };

  virtual ~EffectSpecification() = default;

  // Registers a property with its default text (parsed by the property's parsers once they are
  // all added). Registering a name twice replaces the first registration.
  PropertyBuilder RegisterProperty(const String& name, const String& default_value);
  // Registers a shorthand over comma-separated property or shorthand names; false (with a log
  // line) when a listed name is not registered.
  bool RegisterShorthand(const String& name, const String& property_names, ShorthandType type);

  // Parses the text between a decorator's parentheses through the shorthand "decorator" (or,
  // without one, the registered properties in order). False with a reason in error when a value
  // fits no property.
  bool ParseProperties(PropertyDictionary& out, const String& text, String& error) const;
  // Parses one property's value through its parser chain.
  bool ParsePropertyValue(const String& name, const String& value, Property& out) const;
  // Writes every registered property's default into out.
  void SetDefaults(PropertyDictionary& out) const;

 private:
  struct Parser {
    enum Kind { String, Keyword, LengthPercent, Colour } kind;
    StringList keywords;
  };
  struct PropertyEntry {
    Rml::String name;
    Rml::String default_text;
    std::vector<Parser> parsers;
  };
  struct Shorthand {
    Rml::String name;
    StringList items;
    ShorthandType type;
  };

  const PropertyEntry* FindProperty(const Rml::String& name) const;
  const Shorthand* FindShorthand(const Rml::String& name) const;
  bool ParseShorthand(const Shorthand& shorthand, const StringList& values, PropertyDictionary& out,
                      int depth, Rml::String& error) const;

  std::vector<PropertyEntry> properties_;
  std::vector<Shorthand> shorthands_;
};

}  // namespace Rml
