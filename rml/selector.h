#pragma once
// Selectors: compounds of type, #id, .class, [attr], [attr=value], * and the pseudo-classes
// :hover, :active, :focus and :checked, joined by descendant (space) and child (>) combinators.
// Specificity counts ids, then classes, attributes and pseudo-classes, then types.

#include <cstdint>
#include <string_view>

#include "rml/types.h"

namespace Rml {

class Element;

enum PseudoClass : std::uint8_t {
  kPseudoHover = 1 << 0,
  kPseudoActive = 1 << 1,
  kPseudoFocus = 1 << 2,
  kPseudoChecked = 1 << 3,
};

struct AttributeCondition {
  String name;
  String value;
  bool has_value = false;  // [name=value] rather than [name]
};

struct CompoundSelector {
  String tag;  // empty or "*": any
  String id;
  StringList classes;
  std::vector<AttributeCondition> attributes;
  std::uint8_t pseudo_classes = 0;
  bool Matches(const Element& element) const;
};

struct Selector {
  enum class Combinator : std::uint8_t { Descendant, Child };
  // Compounds from left to right; combinators[i] joins compounds[i] and compounds[i + 1].
  std::vector<CompoundSelector> compounds;
  std::vector<Combinator> combinators;
  int specificity = 0;

  bool Matches(const Element& element) const;
  // The pseudo-classes named anywhere in the selector: an element whose state changes in one
  // of them may need its subtree restyled.
  std::uint8_t AllPseudoClasses() const;
};

// Parses one selector (no commas). On failure returns false with a reason in error.
bool ParseSelector(std::string_view text, Selector& selector, String& error);
// The bit of a pseudo-class name ("hover"), or 0 when the library does not know it.
std::uint8_t PseudoClassBit(std::string_view name);

}  // namespace Rml
