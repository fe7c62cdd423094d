#pragma once
// StyleEngine: the cascade. For each element whose style is dirty it gathers the declarations of
// matching rules (ordered by importance, then inline style over rules, then specificity, then
// source order), computes its values against its parent's, and picks its font face. Elements
// whose style is clean are skipped with their whole subtree unless a descendant is dirty.

#include "rml/element_document.h"

namespace Rml {

class StyleEngine {
 public:
  // Restyles what is dirty in document. Returns true if any computed value changed.
  static bool UpdateDocument(ElementDocument& document, const UnitContext& units);

 private:
  static bool UpdateElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                            float parent_opacity, const UnitContext& units, bool force);
  static void ComputeElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                             const UnitContext& units);
};

}  // namespace Rml
