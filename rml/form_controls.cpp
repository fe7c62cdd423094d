#include "rml/form_controls.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "rml/element_document.h"
#include "rml/log.h"
#include "rml/selector.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace FormControls {
namespace {

bool IsDisabled(const Element& element) { return element.HasAttribute("disabled"); }

String TypeOf(const Element& element) {
  const String* type = element.FindAttribute("type");
  return type != nullptr ? StringUtilities::ToLower(*type) : String("text");
}

Element* EnclosingSelect(const Element& option) {
  Element* parent = option.GetParentNode();
  return parent != nullptr && parent->GetTagName() == "select" ? parent : nullptr;
}

// The concatenated text of an element's text children.
String TextOf(const Element& element) {
  String text;
  for (int i = 0; i < element.GetNumChildren(); ++i) {
    const Element* child = element.GetChild(i);
    if (child->GetTagName() == "#text")
      text += child->GetText();
    else
      text += TextOf(*child);
  }
  return StringUtilities::Trim(text);
}

String OptionValue(const Element& option) {
  const String* value = option.FindAttribute("value");
  return value != nullptr ? *value : TextOf(option);
}

// Reads a numeric attribute of a range; a value that is not a finite number is reported once
// and the fallback used.
float ReadNumber(const Element& range, const char* name, float fallback) {
  const String* text = range.FindAttribute(name);
  if (text == nullptr) return fallback;
  const String trimmed = StringUtilities::Trim(*text);
  char* end = nullptr;
  const float parsed = std::strtof(trimmed.c_str(), &end);
  if (trimmed.empty() || end != trimmed.c_str() + trimmed.size() || !std::isfinite(parsed)) {
    const ElementDocument* document = range.GetOwnerDocument();
    Log::MessageOnce(Log::LT_WARNING, "%s: attribute %s='%s' of %s is not a number; %s is used",
                     document != nullptr ? document->GetSourceURL().c_str() : "[no document]", name,
                     text->c_str(), range.GetAddress(false, false).c_str(),
                     FormatNumber(fallback).c_str());
    return fallback;
  }
  return parsed;
}

void DispatchChange(Element& control, const String& value) {
  if (control.IsAttached()) control.DispatchEvent("change", {{"value", value}});
}

void ForEachElement(Element& root, const auto& visit) {
  for (int i = 0; i < root.GetNumChildren(); ++i) {
    Element* child = root.GetChild(i);
    visit(*child);
    ForEachElement(*child, visit);
  }
}

}  // namespace

Kind KindOf(const Element& element) {
  const String& tag = element.GetTagName();
  if (tag == "select") return Kind::Select;
  if (tag == "option") return EnclosingSelect(element) != nullptr ? Kind::Option : Kind::None;
  if (tag == "button") return Kind::Button;
  if (tag != "input") return Kind::None;
  const String type = TypeOf(element);
  if (type == "checkbox") return Kind::Checkbox;
  if (type == "radio") return Kind::Radio;
  if (type == "range") return Kind::Range;
  if (type == "button" || type == "submit") return Kind::Button;
  return Kind::None;
}

void OnCheckedChanged(Element& element, bool checked) {
  element.SetPseudoClassBits(kPseudoChecked, checked);
  if (!checked || KindOf(element) != Kind::Radio) return;
  const String* name = element.FindAttribute("name");
  ElementDocument* document = element.GetOwnerDocument();
  if (name == nullptr || name->empty() || document == nullptr) return;
  const String group = *name;
  ForEachElement(*document, [&](Element& other) {
    if (&other != &element && KindOf(other) == Kind::Radio && other.HasAttribute("checked") &&
        other.GetAttribute<String>("name", "") == group)
      other.RemoveAttribute("checked");
  });
}

void OnSelectValueChanged(Element& select) {
  const String* value = select.FindAttribute("value");
  bool chosen = false;
  for (int i = 0; i < select.GetNumChildren(); ++i) {
    Element* option = select.GetChild(i);
    if (option->GetTagName() != "option") continue;
    // Only the first option of a value is chosen, should two share it.
    const bool match = !chosen && value != nullptr && OptionValue(*option) == *value;
    chosen = chosen || match;
    option->SetPseudoClassBits(kPseudoChecked, match);
    if (match)
      option->SetAttribute("selected", String());
    else
      option->RemoveAttribute("selected");
  }
}

void OnOptionSelected(Element& option) {
  Element* select = EnclosingSelect(option);
  if (select == nullptr) return;
  select->SetAttribute("value", OptionValue(option));
  // The value may already have been this one (another option of the same value): make sure
  // this option carries the mark.
  option.SetPseudoClassBits(kPseudoChecked, true);
}

void OnInserted(Element& element) {
  switch (KindOf(element)) {
    case Kind::Radio:
      if (element.HasAttribute("checked")) OnCheckedChanged(element, true);
      break;
    case Kind::Option: {
      Element& select = *EnclosingSelect(element);
      if (element.HasAttribute("selected") || !select.HasAttribute("value"))
        OnOptionSelected(element);
      else if (OptionValue(element) == select.GetAttribute<String>("value", ""))
        OnSelectValueChanged(select);
      break;
    }
    default: {
      // The text of a chosen option without a "value" attribute arrives after the option: it
      // is the select's value.
      Element* option = element.GetParentNode();
      if (element.GetTagName() == "#text" && option != nullptr && KindOf(*option) == Kind::Option &&
          option->IsPseudoClassSet("checked") && !option->HasAttribute("value"))
        OnOptionSelected(*option);
      break;
    }
  }
}

Element* FindClickable(Element* element) {
  for (; element != nullptr; element = element->GetParentNode()) {
    const Kind kind = KindOf(*element);
    if (kind == Kind::Checkbox || kind == Kind::Radio || kind == Kind::Option)
      return IsDisabled(*element) ? nullptr : element;
    if (kind != Kind::None) return nullptr;
  }
  return nullptr;
}

void Activate(Element& control) {
  switch (KindOf(control)) {
    case Kind::Checkbox: {
      const bool checked = !control.HasAttribute("checked");
      if (checked)
        control.SetAttribute("checked", String());
      else
        control.RemoveAttribute("checked");
      DispatchChange(control, checked ? control.GetAttribute<String>("value", "on") : String());
      break;
    }
    case Kind::Radio:
      if (control.HasAttribute("checked")) break;
      control.SetAttribute("checked", String());
      DispatchChange(control, control.GetAttribute<String>("value", "on"));
      break;
    case Kind::Option: {
      Element* select = EnclosingSelect(control);
      if (select == nullptr || IsDisabled(*select)) break;
      const String value = OptionValue(control);
      const bool changed = !control.IsPseudoClassSet("checked") ||
                           select->GetAttribute<String>("value", "") != value;
      control.SetAttribute("selected", String());
      OnOptionSelected(control);
      if (changed) DispatchChange(*select, value);
      break;
    }
    default:
      break;
  }
}

bool IsDraggableRange(const Element& element) {
  return KindOf(element) == Kind::Range && !IsDisabled(element);
}

RangeState ReadRange(const Element& range) {
  RangeState state;
  state.min = ReadNumber(range, "min", 0.f);
  state.max = std::max(state.min, ReadNumber(range, "max", 100.f));
  const String* step_text = range.FindAttribute("step");
  state.step = step_text != nullptr && StringUtilities::ToLower(*step_text) == "any"
                   ? 0.f
                   : ReadNumber(range, "step", 1.f);
  if (!(state.step > 0.f)) state.step = 0.f;
  const float middle = state.min + (state.max - state.min) * 0.5f;
  float value = ReadNumber(range, "value", middle);
  if (state.step > 0.f)
    value = state.min + std::round((value - state.min) / state.step) * state.step;
  state.value = std::clamp(value, state.min, state.max);
  return state;
}

String FormatNumber(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.6f", double(value));
  String formatted = text;
  formatted.erase(formatted.find_last_not_of('0') + 1);
  if (!formatted.empty() && formatted.back() == '.') formatted.pop_back();
  if (formatted == "-0") formatted = "0";
  return formatted;
}

void DragRange(Element& range, float x) {
  if (!IsDraggableRange(range) || !std::isfinite(x)) return;
  const float left = range.GetAbsoluteOffset(BoxArea::Content).x;
  const float width = range.GetBox().GetSize(BoxArea::Content).x;
  RangeState state = ReadRange(range);
  // The thumb is as wide as the content box is tall; its centre travels the rest.
  const float thumb = std::min(range.GetBox().GetSize(BoxArea::Content).y, width);
  const float travel = width - thumb;
  const float fraction =
      travel > 0.f ? std::clamp((x - left - thumb * 0.5f) / travel, 0.f, 1.f) : 0.f;
  float value = state.min + fraction * (state.max - state.min);
  if (state.step > 0.f)
    value = state.min + std::round((value - state.min) / state.step) * state.step;
  value = std::clamp(value, state.min, state.max);
  const String text = FormatNumber(value);
  if (range.GetAttribute<String>("value", "") == text) return;
  range.SetAttribute("value", text);
  // "50.0" rewritten as "50" is no change.
  if (value != state.value || !range.HasAttribute("value")) DispatchChange(range, text);
}

}  // namespace FormControls
}  // namespace Rml
