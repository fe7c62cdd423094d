#include "rml/selector.h"

#include <cctype>

#include "rml/element.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

size_t ReadName(std::string_view text, size_t position, String& name) {
  const size_t start = position;
  while (position < text.size() && IsNameChar(text[position])) ++position;
  name = String(text.substr(start, position - start));
  return position;
}

bool ParseCompound(std::string_view text, CompoundSelector& compound, int& specificity,
                   String& error) {
  size_t position = 0;
  if (!text.empty() && text[0] == '*') {
    position = 1;
  } else if (!text.empty() && IsNameChar(text[0])) {
    position = ReadName(text, 0, compound.tag);
    compound.tag = StringUtilities::ToLower(compound.tag);
    specificity += 1;
  }
  while (position < text.size()) {
    const char marker = text[position++];
    String name;
    if (marker == '#' || marker == '.' || marker == ':') {
      position = ReadName(text, position, name);
      if (name.empty()) {
        error = "empty name after '" + String(1, marker) + "'";
        return false;
      }
      if (marker == '#') {
        compound.id = name;
        specificity += 10000;
      } else if (marker == '.') {
        compound.classes.push_back(name);
        specificity += 100;
      } else {
        const std::uint8_t bit = PseudoClassBit(name);
        if (bit == 0) {
          error = "unsupported pseudo-class ':" + name + "'";
          return false;
        }
        compound.pseudo_classes |= bit;
        specificity += 100;
      }
    } else if (marker == '[') {
      const size_t close = text.find(']', position);
      if (close == std::string_view::npos) {
        error = "unclosed '['";
        return false;
      }
      const std::string_view inside = text.substr(position, close - position);
      position = close + 1;
      AttributeCondition condition;
      const size_t equals = inside.find('=');
      condition.name = StringUtilities::Trim(String(inside.substr(0, equals)));
      if (equals != std::string_view::npos) {
        condition.has_value = true;
        condition.value = StringUtilities::Trim(String(inside.substr(equals + 1)));
        if (condition.value.size() >= 2 &&
            (condition.value[0] == '"' || condition.value[0] == '\'') &&
            condition.value.back() == condition.value[0])
          condition.value = condition.value.substr(1, condition.value.size() - 2);
      }
      if (condition.name.empty()) {
        error = "empty attribute selector";
        return false;
      }
      compound.attributes.push_back(std::move(condition));
      specificity += 100;
    } else {
      error = "unexpected '" + String(1, marker) + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint8_t PseudoClassBit(std::string_view name) {
  if (name == "hover") return kPseudoHover;
  if (name == "active") return kPseudoActive;
  if (name == "focus") return kPseudoFocus;
  if (name == "checked") return kPseudoChecked;
  return 0;
}

bool ParseSelector(std::string_view text, Selector& selector, String& error) {
  selector = Selector();
  String normalised;
  // Put spaces around '>' so the selector splits into compounds and combinators by spaces.
  for (char c : text) {
    if (c == '>') {
      normalised += " > ";
    } else {
      normalised += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    }
  }
  StringList parts;
  StringUtilities::ExpandString(parts, normalised, ' ');
  if (parts.empty()) {
    error = "empty selector";
    return false;
  }
  bool expect_compound = true;
  for (const String& part : parts) {
    if (part == ">") {
      if (expect_compound) {
        error = "misplaced '>'";
        return false;
      }
      selector.combinators.push_back(Selector::Combinator::Child);
      expect_compound = true;
      continue;
    }
    if (!expect_compound) selector.combinators.push_back(Selector::Combinator::Descendant);
    CompoundSelector compound;
    if (!ParseCompound(part, compound, selector.specificity, error)) return false;
    selector.compounds.push_back(std::move(compound));
    expect_compound = false;
  }
  if (expect_compound) {
    error = "selector ends with a combinator";
    return false;
  }
  return true;
}

bool CompoundSelector::Matches(const Element& element) const {
  if (!tag.empty() && tag != "*" && tag != element.GetTagName()) return false;
  if (!id.empty() && id != element.GetId()) return false;
  if ((element.GetPseudoClasses() & pseudo_classes) != pseudo_classes) return false;
  for (const String& name : classes)
    if (!element.IsClassSet(name)) return false;
  for (const AttributeCondition& condition : attributes) {
    const String* value = element.FindAttribute(condition.name);
    if (value == nullptr || (condition.has_value && *value != condition.value)) return false;
  }
  return true;
}

namespace {

// The element that compounds[first..last] match when compounds[last] matches `bottom` and each
// compound to its left matches the parent of the one after it (a chain joined by '>'); null
// when they do not.
const Element* MatchChildChain(const std::vector<CompoundSelector>& compounds, size_t first,
                               size_t last, const Element* bottom) {
  const Element* element = bottom;
  for (size_t index = last + 1; index-- > first;) {
    if (element == nullptr || !compounds[index].Matches(*element)) return nullptr;
    if (index > first) element = element->GetParentNode();
  }
  return element;
}

}  // namespace

// The selector splits at its descendant combinators into chains joined by '>'. Right to left,
// each chain is placed at the nearest ancestor where it matches whole. Taking the nearest place
// never loses a match: the chains further left need only be ancestors of the chain's top
// element, and every ancestor of a higher place is an ancestor of the nearer one too. So each
// chain is tried at most once per ancestor and matching takes depth x compounds steps, where
// trying every ancestor for every compound again would backtrack exponentially.
bool Selector::Matches(const Element& element) const {
  if (compounds.empty()) return false;
  size_t last = compounds.size() - 1;
  size_t first = last;
  while (first > 0 && combinators[first - 1] == Combinator::Child) --first;
  // The rightmost chain ends at the element itself.
  const Element* top = MatchChildChain(compounds, first, last, &element);
  while (top != nullptr && first > 0) {
    last = first - 1;
    first = last;
    while (first > 0 && combinators[first - 1] == Combinator::Child) --first;
    const Element* placed = nullptr;
    for (const Element* bottom = top->GetParentNode(); bottom != nullptr && placed == nullptr;
         bottom = bottom->GetParentNode())
      placed = MatchChildChain(compounds, first, last, bottom);
    top = placed;
  }
  return top != nullptr;
}

std::uint8_t Selector::AllPseudoClasses() const {
  std::uint8_t bits = 0;
  for (const CompoundSelector& compound : compounds) bits |= compound.pseudo_classes;
  return bits;
}

}  // namespace Rml
