#include "rml/element.h"

#include <algorithm>
#include <cmath>

#include "rml/animation.h"
#include "rml/context.h"
#include "rml/core.h"
#include "rml/document_parser.h"
#include "rml/element_document.h"
#include "rml/element_painter.h"
#include "rml/form_controls.h"
#include "rml/layout_engine.h"
#include "rml/log.h"
#include "rml/string_utilities.h"
#include "rml/style_sheet.h"

namespace Rml {

Vector2f Box::GetSize(BoxArea area) const {
  Vector2f size = content;
  if (area == BoxArea::Content) return size;
  size += Vector2f{padding[kLeft] + padding[kRight], padding[kTop] + padding[kBottom]};
  if (area == BoxArea::Padding) return size;
  size += Vector2f{border[kLeft] + border[kRight], border[kTop] + border[kBottom]};
  if (area == BoxArea::Border || area == BoxArea::Auto) return size;
  return size + Vector2f{margin[kLeft] + margin[kRight], margin[kTop] + margin[kBottom]};
}

Vector2f Box::GetPosition(BoxArea area) const {
  switch (area) {
    case BoxArea::Margin:
      return {-margin[kLeft], -margin[kTop]};
    case BoxArea::Padding:
      return {border[kLeft], border[kTop]};
    case BoxArea::Content:
      return {border[kLeft] + padding[kLeft], border[kTop] + padding[kTop]};
    default:
      return {0, 0};
  }
}

float Box::Edge(BoxArea area, BoxEdge edge) const {
  switch (area) {
    case BoxArea::Margin:
      return margin[edge];
    case BoxArea::Border:
      return border[edge];
    case BoxArea::Padding:
      return padding[edge];
    default:
      return 0.f;
  }
}

Element::Element(const String& tag) : tag_(StringUtilities::ToLower(tag)) {}

Element::~Element() {
  DestroyElementAnimations(animations_);
  ElementPainter::ReleaseDecoratorData(*this);
  DetachListeners();
  // Children go first, while their parent pointer is still valid.
  children_.clear();
}

void Element::DetachListeners() {
  std::vector<ListenerEntry> listeners = std::move(listeners_);
  listeners_.clear();
  for (const ListenerEntry& entry : listeners) entry.listener->OnDetach(this);
}

// ---- Identity, classes, attributes ----

void Element::SetClass(const String& class_name, bool activate) {
  auto found = std::find(classes_.begin(), classes_.end(), class_name);
  if (activate == (found != classes_.end())) return;
  if (activate)
    classes_.push_back(class_name);
  else
    classes_.erase(found);
  // Keep the attribute in step without re-reading it.
  String joined = GetClassNames();
  for (auto& attribute : attributes_) {
    if (attribute.first == "class") {
      attribute.second = joined;
      DirtyStyle();
      return;
    }
  }
  attributes_.emplace_back("class", std::move(joined));
  DirtyStyle();
}

bool Element::IsClassSet(const String& class_name) const {
  return std::find(classes_.begin(), classes_.end(), class_name) != classes_.end();
}

String Element::GetClassNames() const {
  String joined;
  for (const String& name : classes_) {
    if (!joined.empty()) joined += ' ';
    joined += name;
  }
  return joined;
}

void Element::SetAttribute(const String& name, const String& value) {
  bool found = false;
  for (auto& attribute : attributes_) {
    if (attribute.first == name) {
      if (attribute.second == value) return;
      attribute.second = value;
      found = true;
      break;
    }
  }
  if (!found) attributes_.emplace_back(name, value);
  OnAttributeChanged(name);
}

void Element::RemoveAttribute(const String& name) {
  auto found = std::find_if(attributes_.begin(), attributes_.end(),
                            [&](const auto& attribute) { return attribute.first == name; });
  if (found == attributes_.end()) return;
  attributes_.erase(found);
  OnAttributeChanged(name);
}

const String* Element::FindAttribute(const String& name) const {
  for (const auto& attribute : attributes_)
    if (attribute.first == name) return &attribute.second;
  return nullptr;
}

void Element::OnAttributeChanged(const String& name) {
  const String* value = FindAttribute(name);
  if (name == "id") {
    id_ = value != nullptr ? *value : String();
  } else if (name == "class") {
    classes_.clear();
    if (value != nullptr) {
      StringList names;
      StringUtilities::SplitValues(names, *value);
      for (String& class_name : names)
        if (!IsClassSet(class_name)) classes_.push_back(std::move(class_name));
    }
  } else if (name == "style") {
    inline_style_.clear();
    if (value != nullptr) {
      // Messages name the document and the element the attribute is on (no line: the element
      // does not know where it was read).
      const ElementDocument* document = GetOwnerDocument();
      const String source = (document != nullptr ? document->GetSourceURL() + ": " : String()) +
                            "style attribute of " + GetAddress(false, true);
      ParseDeclarationBlock(*value, source, 0, inline_style_);
    }
  } else if (name == "checked") {
    FormControls::OnCheckedChanged(*this, value != nullptr);
  } else if (name == "value") {
    if (tag_ == "select") FormControls::OnSelectValueChanged(*this);
    // A range draws its thumb where its value lies.
    geometry_dirty_ = true;
    if (owner_document_ != nullptr) owner_document_->paint_dirty_ = true;
  } else if (name == "selected") {
    if (value != nullptr) FormControls::OnOptionSelected(*this);
  } else if (name == "src" || name == "width" || name == "height") {
    image_texture_ = {};
    DirtyLayout();
  }
  // Any attribute may be named by a selector.
  DirtyStyle();
}

bool Element::IsPseudoClassSet(const String& name) const {
  const std::uint8_t bit = PseudoClassBit(name);
  return bit != 0 && (pseudo_classes_ & bit) != 0;
}

void Element::SetPseudoClassBits(std::uint8_t bits, bool activate) {
  const std::uint8_t updated = activate ? (pseudo_classes_ | bits) : (pseudo_classes_ & ~bits);
  if (updated == pseudo_classes_) return;
  const std::uint8_t changed = updated ^ pseudo_classes_;
  pseudo_classes_ = updated;
  // Only pseudo-classes that some selector of the document names need a restyle.
  const ElementDocument* document = GetOwnerDocument();
  if (document == nullptr || (document->GetStyleSheet().GetPseudoClassesUsed() & changed) != 0)
    DirtyStyle();
}

// ---- Style ----

bool Element::SetProperty(const String& name, const String& value) {
  DeclarationList parsed;
  String error;
  if (!ParseDeclaration(name, value, false, parsed, error)) {
    Log::Message(Log::LT_WARNING, "SetProperty on %s: %s", GetAddress().c_str(), error.c_str());
    return false;
  }
  for (Declaration& declaration : parsed) {
    auto found =
        std::find_if(inline_style_.begin(), inline_style_.end(),
                     [&](const Declaration& existing) { return existing.id == declaration.id; });
    if (found != inline_style_.end()) {
      if (found->value == declaration.value) continue;
      *found = std::move(declaration);
    } else {
      inline_style_.push_back(std::move(declaration));
    }
    DirtyStyle();
  }
  return true;
}

void Element::RemoveProperty(const String& name) {
  DeclarationList parsed;
  String error;
  PropertyId id;
  if (FindPropertyId(name, id)) {
    parsed.push_back({id, false, {}});
  } else {
    // A shorthand: expand it with a placeholder value to learn its longhands.
    const char* placeholders[] = {"0px", "0", "none", "auto", "visible"};
    for (const char* placeholder : placeholders)
      if (ParseDeclaration(name, placeholder, false, parsed, error)) break;
  }
  const size_t before = inline_style_.size();
  for (const Declaration& declaration : parsed)
    std::erase_if(inline_style_,
                  [&](const Declaration& existing) { return existing.id == declaration.id; });
  if (inline_style_.size() != before) DirtyStyle();
}

float Element::ResolveNumericValue(NumericValue value, float base_value) const {
  switch (value.unit) {
    case Unit::Percent:
      return base_value * value.number * 0.01f;
    case Unit::Em:
      return value.number * computed_.font_size;
    case Unit::Rem: {
      const ElementDocument* document = GetOwnerDocument();
      return value.number * (document != nullptr ? document->computed_.font_size : 16.f);
    }
    case Unit::Vw:
    case Unit::Vh: {
      const Context* context = GetContext();
      const Vector2i size = context != nullptr ? context->GetDimensions() : Vector2i{0, 0};
      return value.number * 0.01f * float(value.unit == Unit::Vw ? size.x : size.y);
    }
    case Unit::Dp: {
      const Context* context = GetContext();
      return value.number * (context != nullptr ? context->GetDensityIndependentPixelRatio() : 1.f);
    }
    default:
      return value.number;
  }
}

FontFaceHandle Element::GetFontFaceHandle() const { return font_face_; }

void Element::DirtyStyle() {
  style_dirty_ = true;
  for (Element* ancestor = parent_; ancestor != nullptr && !ancestor->child_style_dirty_;
       ancestor = ancestor->parent_)
    ancestor->child_style_dirty_ = true;
  // Whether layout is needed is decided when the new values are known.
}

void Element::DirtyLayout() {
  if (owner_document_ != nullptr) owner_document_->layout_dirty_ = true;
}

// ---- Tree ----

Element* Element::GetChild(int index) const {
  return index >= 0 && index < int(children_.size()) ? children_[size_t(index)].get() : nullptr;
}

void Element::SetParent(Element* parent) {
  parent_ = parent;
  ElementDocument* document = nullptr;
  if (parent != nullptr) document = parent->owner_document_;
  struct Walker {
    static void SetDocument(Element& element, ElementDocument* document) {
      element.owner_document_ = document;
      for (auto& child : element.children_) SetDocument(*child, document);
    }
  };
  Walker::SetDocument(*this, document);
}

void Element::SetAttached(bool attached, Context* context) {
  attached_ = attached;
  context_ = attached ? context : nullptr;
  for (auto& child : children_) child->SetAttached(attached, context);
}

Element* Element::AppendChild(ElementPtr child) { return InsertBefore(std::move(child), nullptr); }

Element* Element::InsertBefore(ElementPtr child, Element* adjacent) {
  if (!child) return nullptr;
  Element* raw = child.get();
  // Appending (no adjacent sibling) goes straight to the end: a document of many siblings is
  // built by appends, which must not each walk the siblings before them.
  auto position =
      adjacent == nullptr
          ? children_.end()
          : std::find_if(children_.begin(), children_.end(),
                         [&](const ElementPtr& existing) { return existing.get() == adjacent; });
  children_.insert(position, std::move(child));
  raw->SetParent(this);
  raw->SetAttached(attached_, context_);
  raw->style_dirty_ = true;
  raw->DirtyStyle();
  DirtyLayout();
  FormControls::OnInserted(*raw);
  // A <style> element added at run time brings its rules into the document.
  if (raw->tag_ == "style" && owner_document_ != nullptr) {
    String text;
    for (auto& text_child : raw->children_) text += text_child->text_;
    owner_document_->AddStyleSheetText(text, owner_document_->GetSourceURL());
  }
  return raw;
}

bool Element::RemoveChild(Element* child) {
  auto found = std::find_if(children_.begin(), children_.end(),
                            [&](const ElementPtr& existing) { return existing.get() == child; });
  if (found == children_.end()) return false;
  ElementPtr removed = std::move(*found);
  children_.erase(found);
  // The drawing order is rebuilt only when the document is laid out again; until then it must
  // not keep the removed child, which is freed after this update (a hidden document is not
  // laid out, and can be shown and drawn before its next layout).
  std::erase(render_order_, child);
  Context* context = context_;
  if (context != nullptr) context->OnElementDetached(removed.get());
  removed->SetAttached(false, nullptr);
  removed->parent_ = nullptr;
  DirtyLayout();
  if (context != nullptr) context->ReleaseLater(std::move(removed));
  // Without a context no event can be running on it: it is freed here.
  return true;
}

ElementDocument* Element::GetOwnerDocument() const { return owner_document_; }

Context* Element::GetContext() const { return context_; }

RenderManager* Element::GetRenderManager() const {
  return context_ != nullptr ? &context_->GetRenderManager() : nullptr;
}

Element* Element::GetElementById(const String& id) {
  if (id.empty()) return nullptr;
  for (auto& child : children_) {
    if (child->id_ == id) return child.get();
    if (Element* found = child->GetElementById(id)) return found;
  }
  return nullptr;
}

void Element::GetElementsByTagName(ElementList& elements, const String& tag) {
  const String lower = StringUtilities::ToLower(tag);
  for (auto& child : children_) {
    if (child->tag_ == lower) elements.push_back(child.get());
    child->GetElementsByTagName(elements, tag);
  }
}

void Element::GetElementsByClassName(ElementList& elements, const String& class_name) {
  for (auto& child : children_) {
    if (child->IsClassSet(class_name)) elements.push_back(child.get());
    child->GetElementsByClassName(elements, class_name);
  }
}

void Element::SetInnerRML(const String& rml) {
  while (!children_.empty()) RemoveChild(children_.back().get());
  if (!rml.empty()) DocumentParser::ParseFragment(*this, rml);
  DirtyStyle();
}

String Element::GetInnerRML() const {
  String out;
  for (const auto& child : children_) {
    if (child->tag_ == "#text") {
      out += StringUtilities::EncodeRml(child->text_);
      continue;
    }
    out.append(1, '<').append(child->tag_);
    for (const auto& [name, value] : child->attributes_)
      out.append(1, ' ')
          .append(name)
          .append("=\"")
          .append(StringUtilities::EncodeRml(value))
          .append(1, '"');
    out.append(1, '>').append(child->GetInnerRML()).append("</").append(child->tag_).append(1, '>');
  }
  return out;
}

void Element::SetText(const String& text) {
  if (text_ == text) return;
  text_ = text;
  DirtyLayout();
}

// ---- Geometry ----

Vector2f Element::GetAbsoluteOffset(BoxArea area) const {
  return absolute_offset_ + box_.GetPosition(area);
}

RenderBox Element::GetRenderBox(BoxArea fill_area) const {
  return RenderBox(box_.GetSize(fill_area), box_.GetPosition(fill_area),
                   box_.GetSize(BoxArea::Border));
}

bool Element::IsVisible(bool include_ancestors) const {
  for (const Element* element = this; element != nullptr; element = element->parent_) {
    if (element->computed_.display == Style::Display::None ||
        element->computed_.visibility == Style::Visibility::Hidden || !element->shown_)
      return false;
    if (!include_ancestors) break;
  }
  return true;
}

namespace {

// The far edges (right, bottom) of the boxes inside element, up to the elements that clip their
// own content, in context pixels as they are laid out now.
void ExtendOverDescendants(const Element& element, Vector2f& far_edge) {
  for (int i = 0; i < element.GetNumChildren(); ++i) {
    const Element& child = *element.GetChild(i);
    const ComputedValues& values = child.GetComputedValues();
    if (values.display == Style::Display::None) continue;
    if (child.GetTagName() == "#text") {
      for (const TextLine& line : child.GetTextLines())
        far_edge = glm::max(far_edge, child.GetAbsoluteLeftTop() +
                                          Vector2f{line.position.x + line.width, line.position.y});
    }
    far_edge =
        glm::max(far_edge, child.GetAbsoluteLeftTop() + child.GetBox().GetSize(BoxArea::Border));
    if (values.overflow_x == Style::Overflow::Visible &&
        values.overflow_y == Style::Overflow::Visible)
      ExtendOverDescendants(child, far_edge);
  }
}

}  // namespace

float Element::GetScrollWidth() const {
  const Vector2f padding_top_left = GetAbsoluteOffset(BoxArea::Padding);
  Vector2f far_edge = padding_top_left;
  ExtendOverDescendants(*this, far_edge);
  return std::max(GetClientWidth(),
                  far_edge.x - padding_top_left.x + scroll_offset_.x + box_.padding[kRight]);
}

float Element::GetScrollHeight() const {
  const Vector2f padding_top_left = GetAbsoluteOffset(BoxArea::Padding);
  Vector2f far_edge = padding_top_left;
  ExtendOverDescendants(*this, far_edge);
  return std::max(GetClientHeight(),
                  far_edge.y - padding_top_left.y + scroll_offset_.y + box_.padding[kBottom]);
}

void Element::SetScrollTop(float scroll_top) {
  if (!std::isfinite(scroll_top)) return;
  const float limit = GetScrollHeight() - GetClientHeight();
  const float clamped = std::clamp(scroll_top, 0.f, std::max(0.f, limit));
  if (clamped == scroll_offset_.y) return;
  scroll_offset_.y = clamped;
  for (auto& child : children_) LayoutEngine::UpdateAbsoluteOffsets(*child);
}

void Element::SetScrollLeft(float scroll_left) {
  if (!std::isfinite(scroll_left)) return;
  const float limit = GetScrollWidth() - GetClientWidth();
  const float clamped = std::clamp(scroll_left, 0.f, std::max(0.f, limit));
  if (clamped == scroll_offset_.x) return;
  scroll_offset_.x = clamped;
  for (auto& child : children_) LayoutEngine::UpdateAbsoluteOffsets(*child);
}

String Element::GetAddress(bool include_pseudo_classes, bool include_parents) const {
  String address = tag_;
  if (!id_.empty()) address += "#" + id_;
  for (const String& name : classes_) address += "." + name;
  if (include_pseudo_classes) {
    static const char* const kNames[] = {"hover", "active", "focus", "checked"};
    for (int bit = 0; bit < 4; ++bit)
      if ((pseudo_classes_ & (1 << bit)) != 0) address += String(":") + kNames[bit];
  }
  if (include_parents && parent_ != nullptr)
    address += " < " + parent_->GetAddress(include_pseudo_classes, true);
  return address;
}

// ---- Events ----

void Element::AddEventListener(const String& event, EventListener* listener,
                               bool in_capture_phase) {
  if (listener == nullptr) return;
  for (const ListenerEntry& entry : listeners_)
    if (entry.listener == listener && entry.type == event && entry.capture == in_capture_phase)
      return;
  listeners_.push_back({event, listener, in_capture_phase});
  listener->OnAttach(this);
}

void Element::RemoveEventListener(const String& event, EventListener* listener,
                                  bool in_capture_phase) {
  for (auto it = listeners_.begin(); it != listeners_.end(); ++it) {
    if (it->listener == listener && it->type == event && it->capture == in_capture_phase) {
      listeners_.erase(it);
      listener->OnDetach(this);
      return;
    }
  }
}

bool Element::DispatchEvent(const String& type, const Dictionary& parameters) {
  Event event(this, type, parameters);
  // The path is taken before any listener runs; an element detached meanwhile is skipped, and
  // detached elements stay allocated until the context's next update.
  ElementList path;
  for (Element* element = this; element != nullptr; element = element->parent_)
    path.push_back(element);
  const bool bubbles = EventBubbles(type);
  const bool was_attached = attached_;
  auto run = [&](Element* element, EventPhase phase) {
    if (was_attached && !element->attached_) return;
    event.SetCurrentElement(element);
    event.SetPhase(phase);
    // Listeners added during dispatch wait for the next event; removed ones are skipped.
    const std::vector<ListenerEntry> snapshot = element->listeners_;
    for (const ListenerEntry& entry : snapshot) {
      if (entry.type != type) continue;
      if (phase == EventPhase::Capture && !entry.capture) continue;
      if (phase == EventPhase::Bubble && entry.capture) continue;
      const bool still_there = std::any_of(
          element->listeners_.begin(), element->listeners_.end(), [&](const ListenerEntry& e) {
            return e.listener == entry.listener && e.type == entry.type &&
                   e.capture == entry.capture;
          });
      if (!still_there) continue;
      entry.listener->ProcessEvent(event);
      if (!event.IsImmediatePropagating()) break;
    }
  };
  for (size_t i = path.size(); i-- > 1 && event.IsPropagating();) run(path[i], EventPhase::Capture);
  if (event.IsPropagating()) run(this, EventPhase::Target);
  if (bubbles)
    for (size_t i = 1; i < path.size() && event.IsPropagating(); ++i)
      run(path[i], EventPhase::Bubble);
  return event.IsPropagating();
}

bool EventBubbles(const String& type) {
  return !(type == "focus" || type == "blur" || type == "load" || type == "unload" ||
           type == "show" || type == "hide");
}

}  // namespace Rml
