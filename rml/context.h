#pragma once
// Context: a set of documents sharing a size, input and a render manager. Update restyles what
// changed, lays documents out when needed and rebuilds the geometry that changed; Render draws
// visible documents in order: by the z-index of their body (auto counts as 0), in load order
// where that is equal, so a document that says it lies lower stays under the others however
// they are loaded or loaded again. Mouse input moves :hover and :active and dispatches mouse
// events to the element under the cursor (the topmost document first).

#include "rml/element_document.h"
#include "rml/render_manager.h"
#include "rml/style_engine.h"

namespace Rml {

class Context {
 public:
  Context(const String& name, RenderInterface* render_interface);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  const String& GetName() const { return name_; }
  void SetDimensions(Vector2i dimensions);
  Vector2i GetDimensions() const { return dimensions_; }
  void SetDensityIndependentPixelRatio(float ratio);
  float GetDensityIndependentPixelRatio() const { return dp_ratio_; }

  // Restyles, lays out and regenerates geometry where something changed; then frees elements
  // and documents removed since the last update. Returns true.
  bool Update();
  bool Render();

  // Loads an RML file; null (and a log line) when the file cannot be read. The document's
  // source URL is document_path exactly.
  ElementDocument* LoadDocument(const String& document_path);
  // Loads a document from RML text; source_url names it in messages and joins relative paths.
  ElementDocument* LoadDocumentFromMemory(const String& rml,
                                          const String& source_url = "[from memory]");
  void UnloadDocument(ElementDocument* document);
  void UnloadAllDocuments();
  int GetNumDocuments() const { return int(documents_.size()); }
  ElementDocument* GetDocument(int index) const;

  // How far one wheel step scrolls, in pixels.
  static constexpr float kWheelScrollStep = 40.f;

  // Input. Each returns true when no element of a visible document took the event.
  // ProcessMouseWheel: wheel_delta in steps, positive downwards; it dispatches "mousescroll" and
  // "mousewheel" to the hovered element, then, unless a listener stopped them, scrolls the
  // nearest element under the cursor with overflow auto or scroll that can still move that way.
  bool ProcessMouseMove(int x, int y, int key_modifier_state);
  bool ProcessMouseWheel(float wheel_delta, int key_modifier_state);
  bool ProcessMouseButtonDown(int button_index, int key_modifier_state);
  bool ProcessMouseButtonUp(int button_index, int key_modifier_state);

  Element* GetHoverElement() const { return hover_; }
  Element* GetFocusElement() const { return focus_; }
  // The topmost visible element under a point, skipping pointer-events: none.
  Element* GetElementAtPoint(Vector2f point) const;
  // A context point in element's own coordinates: undoes the transforms of the element and its
  // ancestors, so it can be compared with element's box. Singular transforms give NaN.
  static Vector2f ToElementSpace(const Element& element, Vector2f point);

  RenderManager& GetRenderManager() { return render_manager_; }

  // Library-internal: an element leaves its tree (pointers to it are cleared) or is handed over
  // to be freed after the next Update.
  void OnElementDetached(Element* element);
  void ReleaseLater(ElementPtr element);
  void SetFocus(Element* element);
  // Library-internal: element animates; it is restyled at the next Update.
  void ScheduleAnimationFrame(Element* element);

 private:
  void UpdateHover();
  // The documents as they are drawn, bottom first (see the header).
  std::vector<ElementDocument*> DocumentsInDrawOrder() const;
  void RenderElement(Element& element, const Rectanglei* clip, const Matrix4f* transform);
  // point is in the coordinates of element's parent (before element's own transform).
  Element* HitTest(Element& element, Vector2f point) const;

  String name_;
  Vector2i dimensions_{0, 0};
  float dp_ratio_ = 1.f;
  RenderManager render_manager_;
  // The cascade, with the values it reuses between restyles, and the mesh element geometry is
  // built in: this context's own, so restyling or painting another context never touches them.
  StyleEngine style_engine_;
  Mesh paint_scratch_;
  std::vector<std::unique_ptr<ElementDocument>> documents_;
  std::vector<ElementPtr> release_queue_;
  std::vector<Element*> animated_;   // restyled at the next Update
  std::vector<Element*> animating_;  // the list being restyled (kept to reuse its storage)
  Element* hover_ = nullptr;
  Element* active_ = nullptr;
  Element* focus_ = nullptr;
  Element* dragged_range_ = nullptr;  // a range input held by the left mouse button
  Vector2i mouse_{-1000000, -1000000};
  bool mouse_seen_ = false;
};

}  // namespace Rml
