#pragma once
// StyleEngine: the cascade. For each element whose style is dirty it gathers the declarations of
// matching rules (ordered by importance, then inline style over rules, then specificity, then
// source order), computes its values against its parent's, and picks its font face. Elements
// whose style is clean are skipped with their whole subtree unless a descendant is dirty.
//
// Each Context owns one engine. The engine keeps the values a restyle reuses from one call to the
// next (so a steady restyle allocates nothing) for itself: another context restyles with its own.
// The values an element's restyle keeps while it runs (its values before, the animations' base
// values) sit in a slot of their own per nesting level, so a restyle that starts while another
// is under way (from a clock or log callback the restyle calls) never overwrites them.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "rml/animation.h"
#include "rml/element_document.h"

namespace Rml {

class StyleEngine {
 public:
  // What a restyle changed: nothing, only how elements are drawn, or their layout too.
  enum class Change { None, Paint, Layout };
  // Restyles what is dirty in document.
  Change UpdateDocument(ElementDocument& document, const UnitContext& units);

 private:
  // A matching declaration as the cascade orders it.
  struct Match {
    std::uint64_t key;
    std::size_t position;  // in gathering order, which breaks ties between equal keys
    const Declaration* declaration;
  };
  // What one element's restyle keeps while it runs.
  struct RestyleSlot {
    ComputedValues previous;  // the element's values before the restyle
    AnimationScratch animation;
  };

  Change UpdateElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                       float parent_opacity, const UnitContext& units, bool force);
  void ComputeElement(Element& element, const StyleSheet& sheet, const ComputedValues* parent,
                      const UnitContext& units);
  // Whether two sets of values differ in anything but what is only drawn (colours, opacity,
  // decorator): such changes need new geometry but no layout.
  bool LayoutDiffers(const ComputedValues& before, const ComputedValues& after);
  // Whether two sets of values differ in what the element's geometry is made from; a transform
  // is applied when drawing, so a change of it alone needs no new geometry.
  bool GeometryDiffers(const ComputedValues& before, const ComputedValues& after);

  // One slot per nesting level of restyles under way (a deque: slots stay where they are as
  // more are added); depth_ of them are in use.
  std::deque<RestyleSlot> slots_;
  std::size_t depth_ = 0;
  // Scratch used and done with inside one call, without calling out.
  ComputedValues compared_;
  std::vector<Match> matches_;
};

}  // namespace Rml
