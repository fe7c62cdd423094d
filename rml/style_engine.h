#pragma once
// StyleEngine: the cascade. For each element whose style is dirty it gathers the declarations of
// matching rules (ordered by importance, then inline style over rules, then specificity, then
// source order), computes its values against its parent's, and picks its font face. Elements
// whose style is clean are skipped with their whole subtree unless a descendant is dirty.

#include "rml/element_document.h"

namespace Rml {

class StyleEngine {
 public:
  // What a restyle changed: nothing, only how elements are drawn, or their layout too.
  enum class Change { None, Paint, Layout };
  // Restyles what is dirty in document.
  static Change UpdateDocument(ElementDocument& document, const UnitContext& units);

 private:
  static Change UpdateElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                              float parent_opacity, const UnitContext& units, bool force);
  static void ComputeElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                             const UnitContext& units);
};

}  // namespace Rml
