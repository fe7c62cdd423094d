#include "rml/element_painter.h"

#include <algorithm>

#include "rml/core.h"
#include "rml/element_document.h"
#include "rml/font_engine.h"
#include "rml/form_controls.h"
#include "rml/mesh_utilities.h"

namespace Rml {

void ElementPainter::UpdateDecorators(Element& element, RenderManager& render_manager) {
  ReleaseDecoratorData(element);
  const String& value = element.computed_.decorator;
  if (value != element.decorator_text_) {
    element.decorator_text_ = value;
    element.decorators_.clear();
    if (!value.empty() && value != "none") {
      const ElementDocument* document = element.GetOwnerDocument();
      const DecoratorInstancerInterface instancer_interface(
          render_manager, document != nullptr ? document->GetSourceURL() : String(),
          document != nullptr ? &document->GetStyleSheet() : nullptr);
      element.decorators_ =
          Factory::InstanceDecorators(value, instancer_interface, element.GetAddress(false, false));
    }
  }
  if (element.effective_opacity_ <= 0.f) return;
  element.decorator_data_.reserve(element.decorators_.size());
  for (const auto& decorator : element.decorators_)
    element.decorator_data_.push_back(decorator->GenerateElementData(&element, BoxArea::Padding));
}

void ElementPainter::ReleaseDecoratorData(Element& element) {
  for (size_t i = 0; i < element.decorator_data_.size() && i < element.decorators_.size(); ++i)
    if (element.decorator_data_[i] != 0)
      element.decorators_[i]->ReleaseElementData(element.decorator_data_[i]);
  element.decorator_data_.clear();
}

void ElementPainter::RenderDecorators(Element& element) {
  for (size_t i = 0; i < element.decorator_data_.size() && i < element.decorators_.size(); ++i)
    if (element.decorator_data_[i] != 0)
      element.decorators_[i]->RenderElement(&element, element.decorator_data_[i]);
}

void ElementPainter::Update(Element& element, RenderManager& render_manager, Mesh& scratch) {
  const bool is_text = element.tag_ == "#text";
  if (!element.geometry_dirty_ && element.painted_box_ == element.box_ &&
      (!is_text || element.painted_lines_ == element.text_lines_))
    return;
  element.geometry_dirty_ = false;
  element.painted_box_ = element.box_;
  element.geometry_.clear();
  const ComputedValues& values = element.computed_;
  const float opacity = element.effective_opacity_;
  if (!is_text) UpdateDecorators(element, render_manager);
  if (opacity <= 0.f) {
    if (is_text) element.painted_lines_ = element.text_lines_;
    return;
  }

  if (is_text) {
    element.painted_lines_ = element.text_lines_;
    FontEngineInterface* engine = GetFontEngineInterface();
    if (engine == nullptr || element.font_face_ == 0 || element.text_lines_.empty()) return;
    TextShapingContext shaping;
    shaping.language = values.language;
    shaping.letter_spacing = values.letter_spacing;
    shaping.text_direction = values.direction == "rtl"   ? TextDirection::RightToLeft
                             : values.direction == "ltr" ? TextDirection::LeftToRight
                                                         : TextDirection::Auto;
    TexturedMeshList meshes;
    const Colourb colour = values.color.ToPremultiplied(opacity);
    for (const TextLine& line : element.text_lines_)
      engine->GenerateString(render_manager, element.font_face_, 0, line.text, line.position,
                             colour, 1.f, shaping, meshes);
    for (TexturedMesh& mesh : meshes) {
      Geometry geometry = render_manager.MakeGeometry(mesh.mesh);
      if (geometry) element.geometry_.push_back({std::move(geometry), mesh.texture});
    }
    return;
  }

  const Box& box = element.box_;
  const Vector2f border_size = box.GetSize(BoxArea::Border);
  Mesh& mesh = scratch;
  mesh.vertices.clear();
  mesh.indices.clear();
  if (values.background_color.alpha > 0 && border_size.x > 0.f && border_size.y > 0.f)
    MeshUtilities::GenerateQuad(mesh, {0, 0}, border_size,
                                values.background_color.ToPremultiplied(opacity));
  const float top = box.border[kTop], right = box.border[kRight], bottom = box.border[kBottom],
              left = box.border[kLeft];
  auto border_quad = [&](int edge, Vector2f origin, Vector2f size) {
    if (size.x > 0.f && size.y > 0.f && values.border_colour[edge].alpha > 0)
      MeshUtilities::GenerateQuad(mesh, origin, size,
                                  values.border_colour[edge].ToPremultiplied(opacity));
  };
  border_quad(kTop, {0, 0}, {border_size.x, top});
  border_quad(kBottom, {0, border_size.y - bottom}, {border_size.x, bottom});
  border_quad(kLeft, {0, top}, {left, border_size.y - top - bottom});
  border_quad(kRight, {border_size.x - right, top}, {right, border_size.y - top - bottom});
  if (!mesh.empty()) {
    Geometry geometry = render_manager.MakeGeometry(mesh);
    if (geometry) element.geometry_.push_back({std::move(geometry), Texture()});
  }
  if (FormControls::KindOf(element) == FormControls::Kind::Range) {
    // The thumb: a square as tall as the content box, centred on the value's place. A geometry
    // of its own, drawn after the box: a renderer may draw one geometry's triangles in any
    // order (or keep only the first at a pixel), and the thumb lies over the background.
    const Vector2f content_position = box.GetPosition(BoxArea::Content);
    const float thumb = std::min(box.content.y, box.content.x);
    if (thumb > 0.f && values.color.alpha > 0) {
      mesh.vertices.clear();
      mesh.indices.clear();
      const float fraction = FormControls::ReadRange(element).Fraction();
      const Vector2f origin{content_position.x + fraction * (box.content.x - thumb),
                            content_position.y};
      MeshUtilities::GenerateQuad(mesh, origin, {thumb, thumb},
                                  values.color.ToPremultiplied(opacity));
      Geometry geometry = render_manager.MakeGeometry(mesh);
      if (geometry) element.geometry_.push_back({std::move(geometry), Texture()});
    }
  }

  if (element.tag_ == "img" && element.image_texture_) {
    mesh.vertices.clear();
    mesh.indices.clear();
    MeshUtilities::GenerateQuad(mesh, box.GetPosition(BoxArea::Content), box.content,
                                values.image_color.ToPremultiplied(opacity), {0, 0}, {1, 1});
    Geometry geometry = render_manager.MakeGeometry(mesh);
    if (geometry) element.geometry_.push_back({std::move(geometry), element.image_texture_});
  }
}

void ElementPainter::UpdateRenderOrder(Element& element) {
  element.render_order_.clear();
  for (auto& child : element.children_)
    if (child->computed_.position == Style::Position::Static)
      element.render_order_.push_back(child.get());
  const size_t in_flow = element.render_order_.size();
  for (auto& child : element.children_)
    if (child->computed_.position != Style::Position::Static)
      element.render_order_.push_back(child.get());
  // Positioned children draw over the flow, by z-index; negative z-indices go beneath it.
  std::stable_sort(element.render_order_.begin() + long(in_flow), element.render_order_.end(),
                   [](const Element* a, const Element* b) {
                     return a->computed_.z_index < b->computed_.z_index;
                   });
  auto first_non_negative =
      std::find_if(element.render_order_.begin() + long(in_flow), element.render_order_.end(),
                   [](const Element* e) { return e->computed_.z_index >= 0.f; });
  std::rotate(element.render_order_.begin(), element.render_order_.begin() + long(in_flow),
              first_non_negative);
}

}  // namespace Rml
