#pragma once
// LayoutEngine: lays out one document. Every box is formatted by FormatBox, which sizes the
// element and lays out its children by the element's display: block flow (with margin collapsing
// between siblings), inline flow (line boxes, word wrapping, inline-blocks), single-line flex
// and tables. Absolutely positioned boxes wait until their containing block is sized; fixed ones
// and absolute ones without a positioned ancestor are placed against the viewport.
//
// Positions are stored relative to each element's offset parent; one pass at the end turns them
// into absolute offsets.

#include "rml/element.h"

namespace Rml {

class ElementDocument;

class LayoutEngine {
 public:
  explicit LayoutEngine(Vector2f viewport);
  // Lays out the document against the viewport and updates every absolute offset.
  void LayoutDocument(ElementDocument& document);
  // Absolute offsets from relative positions, from element down (its own must be known).
  static void UpdateAbsoluteOffsets(Element& element);

  // What a box is formatted against.
  struct Input {
    float containing_width = 0.f;    // for percentages of widths, margins and paddings
    float containing_height = -1.f;  // for percentages of heights; negative: indefinite
    float override_width = -1.f;     // border-box width imposed by the parent (flex, tables)
    float override_height = -1.f;    // border-box height imposed by the parent
    float available_width =
        -1.f;  // shrink-to-fit boxes: the width to fit into (-1: the containing width)
    bool shrink_to_fit = false;  // auto width means fit-content rather than fill
  };

  // Sizes element and lays out its subtree; the caller positions it.
  void FormatBox(Element& element, const Input& input);

  // Content-box-independent intrinsic widths: the border-box width plus horizontal margins that
  // element asks for when it may wrap everywhere (min) or nowhere (max).
  float OuterIntrinsicWidth(Element& element, bool min);
  // The intrinsic widths of element's content alone.
  float ContentIntrinsicWidth(Element& element, bool min);
  float ComputeContentIntrinsicWidth(Element& element, bool min);

 private:
  friend struct BlockFlow;
  friend struct FlexLayout;
  friend struct InlineFlow;
  friend struct TableLayout;

  // Children of a block container: blocks stacked, inline runs in line boxes. Returns the
  // content height. y positions start at the content box's top.
  float LayoutBlockChildren(Element& container, float content_width, float content_height);
  // Lays out children [first, last) of container as inline content starting at (x, y) of the
  // container's border box, lines width wide; returns the height used.
  float LayoutInline(Element& container, int first, int last, Vector2f origin, float width);
  float LayoutFlex(Element& container, float content_width, float content_height);
  float LayoutTable(Element& container, float content_width, float content_height);
  // Moves what a table cell laid out (its in-flow boxes and text lines) down by delta.
  static void ShiftContent(Element& cell, Element& element, float delta);

  void ResolveEdges(Element& element, const Input& input);
  // The content width of a box before min- and max-width apply: imposed, specified, an image's
  // (kept in proportion to a specified height), fitted to its content, or filling its
  // containing block. The edges are its padding and border, the margins its horizontal ones.
  float UsedWidth(Element& element, const Input& input, Vector2f image_size, float edges_x,
                  float edges_y, float margins_x);
  void ApplyRelativeOffset(Element& element, float containing_width, float containing_height);
  // Records an out-of-flow child with its static position (relative to static_parent's border box).
  void AddOutOfFlow(Element& element, Element& static_parent, Vector2f static_position);
  // Places the out-of-flow boxes whose containing block is cb (null: the viewport).
  void PlaceOutOfFlow(Element* containing_block);
  Element* FindContainingBlock(Element& element) const;
  bool IsWhitespaceText(const Element& element) const;
  float TextWidth(const Element& text_parent, const String& text) const;
  // min: the widest word; max: the whole text on one line.
  float TextIntrinsicWidth(const Element& text, bool min) const;
  // The image size of an img element (its attributes, else the texture's).
  Vector2f ImageSize(Element& element);

  struct OutOfFlow {
    Element* element;
    Element* containing_block;
    Element* static_parent;
    Vector2f static_position;
  };
  std::vector<OutOfFlow> out_of_flow_;
  Vector2f viewport_;
  unsigned pass_;
};

// Whether an element takes part in inline flow (inline, inline-block, text, br, img).
bool IsInlineLevel(const Element& element);

}  // namespace Rml
