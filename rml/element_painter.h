#pragma once
// ElementPainter: turns a laid-out element into geometry: its background and borders, its image
// (img), its decorators, or its text lines (text elements). Colours are premultiplied and
// multiplied by the opacity of the element and its ancestors. Geometry is made in the element's own
// coordinates (its border box's top-left at the origin) and drawn at its absolute offset.

#include "rml/element.h"

namespace Rml {

class ElementPainter {
 public:
  // Regenerates element's geometry if its style, box or text lines changed since the last time.
  // `scratch` is the caller's mesh to build in, kept from one call to the next so that a
  // steady repaint (an animated opacity) allocates no vertices.
  static void Update(Element& element, RenderManager& render_manager, Mesh& scratch);
  // Rebuilds the drawing order of element's children.
  static void UpdateRenderOrder(Element& element);
  // Gives back the data of the element's decorators.
  static void ReleaseDecoratorData(Element& element);
  // Draws the element's decorators (after its own geometry).
  static void RenderDecorators(Element& element);

 private:
  // Re-instances the decorators when the "decorator" value changed, then remakes their data.
  static void UpdateDecorators(Element& element, RenderManager& render_manager);
};

}  // namespace Rml
