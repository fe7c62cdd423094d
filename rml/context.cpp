#include "rml/context.h"

#include <algorithm>
#include <cmath>
#include <glm/matrix.hpp>

#include "rml/core.h"
#include "rml/document_parser.h"
#include "rml/element_painter.h"
#include "rml/file_reader.h"
#include "rml/form_controls.h"
#include "rml/layout_engine.h"
#include "rml/log.h"
#include "rml/style_engine.h"

namespace Rml {
namespace {

bool IsSelfOrAncestor(const Element* candidate, const Element* element) {
  for (; element != nullptr; element = element->GetParentNode())
    if (element == candidate) return true;
  return false;
}

// The element's transform about its origin, in context coordinates.
Matrix4f ElementTransform(const Element& element) {
  const ComputedValues& values = element.GetComputedValues();
  const Vector2f size = element.GetBox().GetSize(BoxArea::Border);
  const Vector2f origin =
      element.GetAbsoluteLeftTop() + Vector2f{values.transform_origin_x.Resolve(size.x),
                                              values.transform_origin_y.Resolve(size.y)};
  return BuildTransformMatrix(values.transform, origin, size);
}

// A point of the element's parent's space in the element's own; NaN when the transform is
// singular.
Vector2f UndoTransform(const Element& element, Vector2f point) {
  const Matrix4f matrix = ElementTransform(element);
  const float determinant = matrix[0][0] * matrix[1][1] - matrix[0][1] * matrix[1][0];
  if (determinant == 0.f || !std::isfinite(determinant))
    return Vector2f{std::nanf(""), std::nanf("")};
  const glm::vec4 local = glm::inverse(matrix) * glm::vec4(point, 0.f, 1.f);
  return {local.x, local.y};
}

void PaintTree(Element& element, RenderManager& render_manager, Mesh& scratch) {
  if (element.GetComputedValues().display == Style::Display::None) return;
  ElementPainter::Update(element, render_manager, scratch);
  for (int i = 0; i < element.GetNumChildren(); ++i)
    PaintTree(*element.GetChild(i), render_manager, scratch);
}

}  // namespace

Context::Context(const String& name, RenderInterface* render_interface)
    : name_(name), render_manager_(render_interface) {}

Context::~Context() {
  hover_ = active_ = focus_ = dragged_range_ = nullptr;
  documents_.clear();
  release_queue_.clear();
}

void Context::SetDimensions(Vector2i dimensions) {
  if (dimensions == dimensions_) return;
  dimensions_ = dimensions;
  // Viewport units and percentages of the viewport change with it.
  for (auto& document : documents_) {
    document->DirtyStyle();
    document->layout_dirty_ = true;
  }
}

void Context::SetDensityIndependentPixelRatio(float ratio) {
  if (ratio == dp_ratio_ || !(ratio > 0.f)) return;
  dp_ratio_ = ratio;
  for (auto& document : documents_) document->DirtyStyle();
}

void Context::ScheduleAnimationFrame(Element* element) {
  if (element->animation_scheduled_) return;
  element->animation_scheduled_ = true;
  animated_.push_back(element);
}

bool Context::Update() {
  // Elements that animate are restyled; those still animating schedule themselves again.
  animating_.swap(animated_);
  for (Element* element : animating_) {
    element->animation_scheduled_ = false;
    element->DirtyStyle();
  }
  animating_.clear();
  UnitContext units;
  units.viewport = {float(dimensions_.x), float(dimensions_.y)};
  units.dp_ratio = dp_ratio_;
  bool laid_out = false;
  for (size_t i = 0; i < documents_.size(); ++i) {
    ElementDocument& document = *documents_[i];
    const StyleEngine::Change change = style_engine_.UpdateDocument(document, units);
    if (change == StyleEngine::Change::Layout) document.layout_dirty_ = true;
    if (change == StyleEngine::Change::Paint) document.paint_dirty_ = true;
    if (!document.shown_) continue;
    if (!document.layout_dirty_) {
      // Only colours changed: new geometry where it is dirty, boxes stay as they are.
      if (document.paint_dirty_) PaintTree(document, render_manager_, paint_scratch_);
      document.paint_dirty_ = false;
      continue;
    }
    document.paint_dirty_ = false;
    document.layout_dirty_ = false;
    LayoutEngine layout(units.viewport);
    layout.LayoutDocument(document);
    struct Walker {
      static void Order(Element& element) {
        ElementPainter::UpdateRenderOrder(element);
        // Content that shrank leaves no scroll beyond its end.
        if (element.GetScrollTop() != 0.f) element.SetScrollTop(element.GetScrollTop());
        if (element.GetScrollLeft() != 0.f) element.SetScrollLeft(element.GetScrollLeft());
        for (int c = 0; c < element.GetNumChildren(); ++c) Order(*element.GetChild(c));
      }
    };
    Walker::Order(document);
    PaintTree(document, render_manager_, paint_scratch_);
    laid_out = true;
  }
  if (laid_out && mouse_seen_) UpdateHover();
  // Elements and documents removed since the last update are no longer referenced anywhere.
  release_queue_.clear();
  // Geometry let go during this update and not made again in it is no longer drawn.
  render_manager_.ReleaseUnusedGeometry();
  return true;
}

void Context::RenderElement(Element& element, const Rectanglei* clip, const Matrix4f* transform) {
  const ComputedValues& values = element.computed_;
  if (values.display == Style::Display::None || values.visibility == Style::Visibility::Hidden)
    return;
  Matrix4f own_transform;
  const Matrix4f* parent_transform = transform;
  if (!values.transform.Empty()) {
    own_transform = ElementTransform(element);
    if (transform != nullptr) own_transform = *transform * own_transform;
    transform = &own_transform;
    render_manager_.SetTransform(transform);
  }
  for (const auto& painted : element.geometry_)
    painted.geometry.Render(element.absolute_offset_, painted.texture);
  ElementPainter::RenderDecorators(element);
  Rectanglei own_clip;
  const Rectanglei* child_clip = clip;
  const bool clips = values.overflow_x != Style::Overflow::Visible ||
                     values.overflow_y != Style::Overflow::Visible;
  if (clips) {
    const Vector2f position = element.GetAbsoluteOffset(BoxArea::Padding);
    const Vector2f size = element.box_.GetSize(BoxArea::Padding);
    Vector2i top_left{int(std::floor(position.x)), int(std::floor(position.y))};
    Vector2i bottom_right{int(std::ceil(position.x + size.x)), int(std::ceil(position.y + size.y))};
    if (clip != nullptr) {
      top_left = glm::max(top_left, clip->position);
      bottom_right = glm::min(bottom_right, clip->position + clip->size);
    }
    own_clip = {top_left, glm::max(bottom_right - top_left, Vector2i{0, 0})};
    child_clip = &own_clip;
    render_manager_.SetScissorRegion(child_clip);
  }
  for (Element* child : element.render_order_) RenderElement(*child, child_clip, transform);
  if (clips) render_manager_.SetScissorRegion(clip);
  if (transform != parent_transform) render_manager_.SetTransform(parent_transform);
}

std::vector<ElementDocument*> Context::DocumentsInDrawOrder() const {
  std::vector<ElementDocument*> order;
  order.reserve(documents_.size());
  for (const auto& document : documents_) order.push_back(document.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const ElementDocument* a, const ElementDocument* b) {
                     return a->computed_.z_index < b->computed_.z_index;
                   });
  return order;
}

bool Context::Render() {
  for (ElementDocument* document : DocumentsInDrawOrder())
    if (document->shown_) RenderElement(*document, nullptr, nullptr);
  render_manager_.SetScissorRegion(nullptr);
  return true;
}

ElementDocument* Context::LoadDocument(const String& document_path) {
  String contents;
  String error;
  if (!ReadFileWhole(document_path, contents, error)) {
    Log::Message(Log::LT_ERROR, "Could not load document '%s': the file %s", document_path.c_str(),
                 error.c_str());
    return nullptr;
  }
  return LoadDocumentFromMemory(contents, document_path);
}

ElementDocument* Context::LoadDocumentFromMemory(const String& rml, const String& source_url) {
  auto document = std::make_unique<ElementDocument>(this);
  document->source_url_ = source_url;
  DocumentParser::ParseDocument(*document, rml);
  ElementDocument* raw = document.get();
  raw->SetAttached(true, this);
  documents_.push_back(std::move(document));
  UnitContext units;
  units.viewport = {float(dimensions_.x), float(dimensions_.y)};
  units.dp_ratio = dp_ratio_;
  style_engine_.UpdateDocument(*raw, units);
  raw->DispatchEvent("load", {});
  return raw;
}

void Context::UnloadDocument(ElementDocument* document) {
  auto found = std::find_if(documents_.begin(), documents_.end(),
                            [&](const auto& candidate) { return candidate.get() == document; });
  if (found == documents_.end()) return;
  std::unique_ptr<ElementDocument> removed = std::move(*found);
  documents_.erase(found);
  removed->closed_ = true;
  OnElementDetached(removed.get());
  removed->DispatchEvent("unload", {});
  removed->SetAttached(false, nullptr);
  release_queue_.push_back(std::move(removed));
}

void Context::UnloadAllDocuments() {
  while (!documents_.empty()) UnloadDocument(documents_.back().get());
}

ElementDocument* Context::GetDocument(int index) const {
  return index >= 0 && index < int(documents_.size()) ? documents_[size_t(index)].get() : nullptr;
}

void Context::OnElementDetached(Element* element) {
  if (IsSelfOrAncestor(element, hover_)) {
    for (Element* e = hover_; e != nullptr; e = e->GetParentNode())
      e->SetPseudoClassBits(kPseudoHover, false);
    hover_ = nullptr;
  }
  if (IsSelfOrAncestor(element, active_)) {
    for (Element* e = active_; e != nullptr; e = e->GetParentNode())
      e->SetPseudoClassBits(kPseudoActive, false);
    active_ = nullptr;
  }
  if (IsSelfOrAncestor(element, dragged_range_)) dragged_range_ = nullptr;
  std::erase_if(animated_, [&](Element* animated) {
    const bool detached = IsSelfOrAncestor(element, animated);
    if (detached) animated->animation_scheduled_ = false;
    return detached;
  });
  if (IsSelfOrAncestor(element, focus_)) {
    focus_->SetPseudoClassBits(kPseudoFocus, false);
    focus_ = nullptr;
  }
}

void Context::ReleaseLater(ElementPtr element) { release_queue_.push_back(std::move(element)); }

void Context::SetFocus(Element* element) {
  if (element == focus_) return;
  Element* previous = focus_;
  focus_ = element;
  if (previous != nullptr) {
    previous->SetPseudoClassBits(kPseudoFocus, false);
    previous->DispatchEvent("blur", {});
  }
  if (element != nullptr && focus_ == element) {
    element->SetPseudoClassBits(kPseudoFocus, true);
    element->DispatchEvent("focus", {});
  }
}

Element* Context::HitTest(Element& element, Vector2f point) const {
  const ComputedValues& values = element.computed_;
  if (values.display == Style::Display::None || values.visibility == Style::Visibility::Hidden)
    return nullptr;
  if (!values.transform.Empty()) {
    point = UndoTransform(element, point);
    // A transform that flattens the element (scale 0) leaves nothing to hit.
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return nullptr;
  }
  const Vector2f padding_position = element.GetAbsoluteOffset(BoxArea::Padding);
  const Vector2f padding_size = element.box_.GetSize(BoxArea::Padding);
  const bool clips = values.overflow_x != Style::Overflow::Visible ||
                     values.overflow_y != Style::Overflow::Visible;
  const bool inside_padding = point.x >= padding_position.x && point.y >= padding_position.y &&
                              point.x < padding_position.x + padding_size.x &&
                              point.y < padding_position.y + padding_size.y;
  if (!clips || inside_padding) {
    for (auto it = element.render_order_.rbegin(); it != element.render_order_.rend(); ++it) {
      if ((*it)->tag_ == "#text") continue;
      if (Element* hit = HitTest(**it, point)) return hit;
    }
  }
  if (values.pointer_events == Style::PointerEvents::None) return nullptr;
  const Vector2f position = element.absolute_offset_;
  const Vector2f size = element.box_.GetSize(BoxArea::Border);
  if (point.x >= position.x && point.y >= position.y && point.x < position.x + size.x &&
      point.y < position.y + size.y)
    return &element;
  return nullptr;
}

Vector2f Context::ToElementSpace(const Element& element, Vector2f point) {
  if (element.GetParentNode() != nullptr) point = ToElementSpace(*element.GetParentNode(), point);
  return element.computed_.transform.Empty() ? point : UndoTransform(element, point);
}

Element* Context::GetElementAtPoint(Vector2f point) const {
  const std::vector<ElementDocument*> order = DocumentsInDrawOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (!(*it)->shown_) continue;
    if (Element* hit = HitTest(**it, point)) return hit;
  }
  return nullptr;
}

void Context::UpdateHover() {
  Element* target = GetElementAtPoint({float(mouse_.x), float(mouse_.y)});
  if (target == hover_) return;
  Element* previous = hover_;
  hover_ = target;
  // Leave :hover on the old chain where the new chain does not continue it.
  for (Element* e = previous; e != nullptr; e = e->GetParentNode())
    if (!IsSelfOrAncestor(e, target)) e->SetPseudoClassBits(kPseudoHover, false);
  for (Element* e = target; e != nullptr; e = e->GetParentNode())
    e->SetPseudoClassBits(kPseudoHover, true);
  const Dictionary parameters{{"mouse_x", mouse_.x}, {"mouse_y", mouse_.y}};
  if (previous != nullptr && previous->IsAttached())
    previous->DispatchEvent("mouseout", parameters);
  if (target != nullptr && hover_ == target && target->IsAttached())
    target->DispatchEvent("mouseover", parameters);
}

bool Context::ProcessMouseMove(int x, int y, int) {
  mouse_ = {x, y};
  mouse_seen_ = true;
  UpdateHover();
  if (hover_ != nullptr) hover_->DispatchEvent("mousemove", {{"mouse_x", x}, {"mouse_y", y}});
  if (dragged_range_ != nullptr) {
    FormControls::DragRange(*dragged_range_,
                            ToElementSpace(*dragged_range_, {float(x), float(y)}).x);
    return false;
  }
  return hover_ == nullptr;
}

bool Context::ProcessMouseWheel(float wheel_delta, int) {
  if (hover_ == nullptr) return true;
  if (!std::isfinite(wheel_delta)) return false;
  bool propagating = hover_->DispatchEvent("mousescroll", {{"wheel_delta_y", wheel_delta}});
  if (hover_ != nullptr)
    propagating =
        hover_->DispatchEvent("mousewheel", {{"wheel_delta_y", wheel_delta}}) && propagating;
  if (!propagating || hover_ == nullptr || wheel_delta == 0.f) return false;
  for (Element* element = hover_; element != nullptr; element = element->GetParentNode()) {
    const Style::Overflow overflow = element->computed_.overflow_y;
    if (overflow != Style::Overflow::Auto && overflow != Style::Overflow::Scroll) continue;
    const float before = element->GetScrollTop();
    element->SetScrollTop(before + wheel_delta * kWheelScrollStep);
    if (element->GetScrollTop() != before) {
      // The content moved under the cursor.
      UpdateHover();
      break;
    }
  }
  return false;
}

bool Context::ProcessMouseButtonDown(int button_index, int) {
  Element* target = hover_;
  if (target == nullptr) {
    if (button_index == 0) SetFocus(nullptr);
    return true;
  }
  if (button_index == 0) {
    active_ = target;
    for (Element* e = target; e != nullptr; e = e->GetParentNode())
      e->SetPseudoClassBits(kPseudoActive, true);
    SetFocus(target);
  }
  if (target->IsAttached())
    target->DispatchEvent("mousedown",
                          {{"button", button_index}, {"mouse_x", mouse_.x}, {"mouse_y", mouse_.y}});
  if (button_index == 0 && target->IsAttached() && FormControls::IsDraggableRange(*target)) {
    dragged_range_ = target;
    FormControls::DragRange(*target, ToElementSpace(*target, {float(mouse_.x), float(mouse_.y)}).x);
  }
  return false;
}

bool Context::ProcessMouseButtonUp(int button_index, int) {
  Element* target = hover_;
  if (target != nullptr)
    target->DispatchEvent("mouseup",
                          {{"button", button_index}, {"mouse_x", mouse_.x}, {"mouse_y", mouse_.y}});
  if (button_index == 0) {
    dragged_range_ = nullptr;
    Element* pressed = active_;
    if (pressed != nullptr) {
      for (Element* e = pressed; e != nullptr; e = e->GetParentNode())
        e->SetPseudoClassBits(kPseudoActive, false);
      active_ = nullptr;
    }
    if (target != nullptr && target == hover_ && pressed == target && target->IsAttached()) {
      target->DispatchEvent(
          "click", {{"button", button_index}, {"mouse_x", mouse_.x}, {"mouse_y", mouse_.y}});
      // The control's own action follows its listeners (checking, choosing an option).
      if (target->IsAttached())
        if (Element* control = FormControls::FindClickable(target))
          FormControls::Activate(*control);
    }
  }
  return target == nullptr;
}

}  // namespace Rml
