#pragma once
// Element: a node of a document. It holds its tag, id, classes, attributes, inline style,
// children and event listeners; after Context::Update it also holds its computed values, its box
// and the geometry that draws it. Text is held by elements of tag "#text".
//
// Ownership: a parent owns its children. RemoveChild detaches a child at once (it leaves the
// tree, listeners of its subtree are no longer called, hover/active/focus pointers to it are
// cleared) but frees it only after the context's next Update, so a listener that removes the
// element it runs on is safe.

#include <memory>

#include "rml/computed_values.h"
#include "rml/decorator.h"
#include "rml/event.h"
#include "rml/render_manager.h"

namespace Rml {

class Context;
class ElementDocument;
struct AnimationScratch;
struct ElementAnimations;
class Element;
using ElementPtr = std::unique_ptr<Element>;
using ElementList = std::vector<Element*>;

// A number with its unit, as decorators resolve alignments against a length.
struct NumericValue {
  float number = 0.f;
  Unit unit = Unit::Px;
};

// Edges in the order top, right, bottom, left.
enum BoxEdge { kTop = 0, kRight = 1, kBottom = 2, kLeft = 3 };

// The size of every area of a laid-out element.
struct Box {
  Vector2f content{0, 0};
  float margin[4] = {0, 0, 0, 0};
  float border[4] = {0, 0, 0, 0};
  float padding[4] = {0, 0, 0, 0};
  // The size of an area (Content, Padding, Border or Margin).
  Vector2f GetSize(BoxArea area) const;
  // The offset of an area's top-left corner from the border box's top-left corner.
  Vector2f GetPosition(BoxArea area) const;
  float Edge(BoxArea area, BoxEdge edge) const;
  bool operator==(const Box&) const = default;
};

// The fill of an area for drawing: where it starts within the border box, and its size.
class RenderBox {
 public:
  RenderBox(Vector2f fill_size, Vector2f fill_offset, Vector2f border_size)
      : fill_size_(fill_size), fill_offset_(fill_offset), border_size_(border_size) {}
  Vector2f GetFillSize() const { return fill_size_; }
  Vector2f GetFillOffset() const { return fill_offset_; }
  Vector2f GetBorderSize() const { return border_size_; }

 private:
  Vector2f fill_size_, fill_offset_, border_size_;
};

// One laid-out line of a text element, relative to its element's absolute offset.
struct TextLine {
  String text;
  Vector2f position{0, 0};  // start of the baseline
  float width = 0.f;
  bool operator==(const TextLine&) const = default;
};

class Element {
 public:
  explicit Element(const String& tag);
  virtual ~Element();
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  // ---- Identity, classes, attributes ----
  const String& GetTagName() const { return tag_; }
  const String& GetId() const { return id_; }
  void SetId(const String& id) { SetAttribute("id", id); }
  void SetClass(const String& class_name, bool activate);
  bool IsClassSet(const String& class_name) const;
  void SetClassNames(const String& class_names) { SetAttribute("class", class_names); }
  String GetClassNames() const;

  void SetAttribute(const String& name, const String& value);
  template <typename T>
  void SetAttribute(const String& name, const T& value) {
    SetAttribute(name, Variant(value).Get<String>());
  }
  void RemoveAttribute(const String& name);
  bool HasAttribute(const String& name) const { return FindAttribute(name) != nullptr; }
  // The attribute as text, or null.
  const String* FindAttribute(const String& name) const;
  // The attribute converted to T (int, float, bool, String), or default_value when absent.
  template <typename T>
  T GetAttribute(const String& name, const T& default_value) const {
    const String* value = FindAttribute(name);
    return value == nullptr ? default_value : Variant(*value).Get<T>(default_value);
  }
  const std::vector<std::pair<String, String>>& GetAttributes() const { return attributes_; }

  // ---- Pseudo-classes (hover, active, focus, checked) ----
  std::uint8_t GetPseudoClasses() const { return pseudo_classes_; }
  bool IsPseudoClassSet(const String& name) const;
  void SetPseudoClassBits(std::uint8_t bits, bool activate);

  // ---- Style ----
  // Sets an inline property (as the style attribute would); false with a log line when the
  // name or value is not valid.
  bool SetProperty(const String& name, const String& value);
  void RemoveProperty(const String& name);
  const ComputedValues& GetComputedValues() const { return computed_; }
  // Resolves a value with a unit against this element: % of base_value, em of the font size...
  float ResolveNumericValue(NumericValue value, float base_value) const;
  FontFaceHandle GetFontFaceHandle() const;

  // ---- Tree ----
  Element* GetParentNode() const { return parent_; }
  int GetNumChildren() const { return int(children_.size()); }
  Element* GetChild(int index) const;
  Element* GetFirstChild() const { return GetChild(0); }
  Element* AppendChild(ElementPtr child);
  Element* InsertBefore(ElementPtr child, Element* adjacent);
  // Detaches child (see the ownership note above); false if it is not a child of this element.
  bool RemoveChild(Element* child);
  ElementDocument* GetOwnerDocument() const;
  Context* GetContext() const;
  RenderManager* GetRenderManager() const;

  Element* GetElementById(const String& id);
  void GetElementsByTagName(ElementList& elements, const String& tag);
  void GetElementsByClassName(ElementList& elements, const String& class_name);

  // Replaces the children by the parsed RML fragment.
  void SetInnerRML(const String& rml);
  String GetInnerRML() const;
  // Text elements: the text, entities decoded.
  const String& GetText() const { return text_; }
  void SetText(const String& text);

  // ---- Geometry ----
  const Box& GetBox() const { return box_; }
  // The top-left of an area of the element's box, in context pixels.
  Vector2f GetAbsoluteOffset(BoxArea area = BoxArea::Content) const;
  Vector2f GetAbsoluteLeftTop() const { return absolute_offset_; }
  RenderBox GetRenderBox(BoxArea fill_area = BoxArea::Padding) const;
  float GetClientWidth() const { return box_.GetSize(BoxArea::Padding).x; }
  float GetClientHeight() const { return box_.GetSize(BoxArea::Padding).y; }
  // Visible: display is not none and visibility is visible; with include_ancestors, for every
  // ancestor too (a hidden document makes all its elements invisible).
  bool IsVisible(bool include_ancestors = false) const;
  // The element's opacity multiplied by its ancestors' (0..1), as its geometry is drawn with.
  float GetOpacity() const { return effective_opacity_; }
  const std::vector<TextLine>& GetTextLines() const { return text_lines_; }

  // ---- Scrolling ----
  // How far the content is scrolled, in pixels from the top (left) of the padding box. Setting
  // it clamps it to 0..scroll height - client height and moves the descendants at once.
  float GetScrollTop() const { return scroll_offset_.y; }
  float GetScrollLeft() const { return scroll_offset_.x; }
  void SetScrollTop(float scroll_top);
  void SetScrollLeft(float scroll_left);
  // The size of the content, padding included, and at least the padding box: what can be
  // scrolled through.
  float GetScrollWidth() const;
  float GetScrollHeight() const;

  // "tag#id.class1.class2" (with ":hover"... when asked), then " < parent..." when with parents.
  String GetAddress(bool include_pseudo_classes = false, bool include_parents = true) const;

  // ---- Events ----
  void AddEventListener(const String& event, EventListener* listener,
                        bool in_capture_phase = false);
  void RemoveEventListener(const String& event, EventListener* listener,
                           bool in_capture_phase = false);
  // Dispatches an event with this element as target; false if propagation was stopped.
  bool DispatchEvent(const String& type, const Dictionary& parameters);
  // True while the element is in a tree that a context can reach, false once detached.
  bool IsAttached() const { return attached_; }

 private:
  friend class Context;
  friend class ElementDocument;
  friend class DocumentParser;
  friend class StyleEngine;
  friend class LayoutEngine;
  // The steps of the flex, inline and table layouts (rml/layout_*.cpp).
  friend struct FlexLayout;
  friend struct InlineFlow;
  friend struct TableLayout;
  friend class ElementPainter;
  friend bool UpdateAnimations(Element& element, const ComputedValues& previous, bool first_style,
                               const ComputedValues* parent, const UnitContext& units,
                               AnimationScratch& scratch);

  struct ListenerEntry {
    String type;
    EventListener* listener;
    bool capture;
  };

  void SetParent(Element* parent);
  void SetAttached(bool attached, Context* context);
  // Marks the element's style for recomputation (and its subtree).
  void DirtyStyle();
  void DirtyLayout();
  void DetachListeners();
  void OnAttributeChanged(const String& name);

  String tag_;
  String id_;
  StringList classes_;
  std::vector<std::pair<String, String>> attributes_;
  DeclarationList inline_style_;
  std::uint8_t pseudo_classes_ = 0;

  Element* parent_ = nullptr;
  ElementDocument* owner_document_ = nullptr;
  std::vector<ElementPtr> children_;
  std::vector<ListenerEntry> listeners_;
  bool attached_ = false;
  Context* context_ = nullptr;

  // Style state.
  ComputedValues computed_;
  bool style_dirty_ = true;        // this element's values must be recomputed (with its subtree)
  bool child_style_dirty_ = true;  // some descendant's must
  FontFaceHandle font_face_ = 0;
  float effective_opacity_ = 1.f;  // product of the ancestors' opacities
  bool styled_ = false;            // its values have been computed once (transitions start after)
  ElementAnimations* animations_ = nullptr;  // owned; null until it animates or transitions
  bool animation_scheduled_ = false;  // in its context's list of elements restyled each update

  // Layout state.
  Box box_;
  Vector2f relative_position_{0, 0};  // border-box top-left from the offset parent's border box
  Element* offset_parent_ = nullptr;  // null: relative to the context's origin
  Vector2f absolute_offset_{0, 0};    // border-box top-left in the context
  float baseline_ = 0.f;              // from the border-box top, for inline-block alignment
  bool has_baseline_ = false;
  Vector2f scroll_offset_{0, 0};
  float content_extent_ = 0.f;         // height of the laid-out content, before height applies
  float intrinsic_width_[2] = {0, 0};  // min-content and max-content border-box widths
  unsigned intrinsic_pass_ = 0;        // the layout pass that computed them
  String text_;
  std::vector<TextLine> text_lines_;
  bool shown_ = true;  // documents only: Show/Hide

  // Drawing state.
  struct PaintedGeometry {
    Geometry geometry;
    Texture texture;
  };
  std::vector<PaintedGeometry> geometry_;
  bool geometry_dirty_ = true;
  Box painted_box_;                      // the box the geometry was made for
  std::vector<TextLine> painted_lines_;  // the lines the text geometry was made for
  std::vector<Element*> render_order_;   // children in drawing order (positioned ones by z-index)
  Texture image_texture_;                // img elements
  String decorator_text_;                // the "decorator" value the decorators were made from
  DecoratorList decorators_;
  std::vector<DecoratorDataHandle> decorator_data_;  // one per decorator, 0 when it draws nothing
};

}  // namespace Rml
