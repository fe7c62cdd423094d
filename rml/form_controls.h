#pragma once
// Form controls: the behaviour of <input> (checkbox, radio, range, button, submit) and of
// <select> with its <option>s. A control keeps its state in attributes, so a host reads and
// writes it through the element API alone:
//
//   checkbox, radio   "checked" present while checked (the :checked pseudo-class follows it);
//                     a radio that becomes checked unchecks the other radios of the document
//                     with the same "name".
//   range             "value" a number; "min" (0), "max" (100) and "step" (1; 0 or "any" for a
//                     continuous slider). Dragged with the left mouse button along its content
//                     box; the thumb is drawn in the element's "color", a square as tall as the
//                     content box.
//   select            "value" the value of the chosen option; the chosen option has the
//                     attribute "selected" and :checked. An option's value is its "value"
//                     attribute, or its text when it has none. Without a choice, the first
//                     option added is chosen.
//   button, submit    plain buttons: they dispatch "click" and nothing more.
//
// A user's change dispatches "change" on the control, bubbling, with the parameter "value" (the
// new value; for a checkbox its "value" attribute, "on" by default, or "" when unchecked).
// Changes made through the element API dispatch nothing. A control with the attribute
// "disabled" ignores the mouse.

#include "rml/element.h"

namespace Rml {
namespace FormControls {

enum class Kind { None, Checkbox, Radio, Range, Button, Select, Option };

// What kind of control an element is (tag and "type"; an option only inside a select).
Kind KindOf(const Element& element);

// The element's "checked" attribute changed (value null: removed); keeps :checked and the radio
// group in step.
void OnCheckedChanged(Element& element, bool checked);
// A select's "value" changed: marks the option of that value as chosen.
void OnSelectValueChanged(Element& select);
// An option's "selected" attribute was set: it becomes its select's choice.
void OnOptionSelected(Element& option);
// element was inserted into the tree (its own attributes are set, its children may follow).
void OnInserted(Element& element);

// The nearest control at or above element that reacts to clicks (checkbox, radio, option), or
// null. Controls marked "disabled" do not count.
Element* FindClickable(Element* element);
// The default action of a click on a control found by FindClickable: toggles, checks or chooses
// it and dispatches "change" when its state changed.
void Activate(Element& control);

// Whether element is a range that can be dragged (not disabled).
bool IsDraggableRange(const Element& element);
// Moves a range to the value under x (context pixels, already mapped into the element's own
// untransformed space); dispatches "change" when the value changed.
void DragRange(Element& range, float x);

// A range's limits and current value, read from its attributes: min, max, step, and the value
// clamped to the limits and snapped to the step.
struct RangeState {
  float min = 0.f;
  float max = 100.f;
  float step = 1.f;
  float value = 50.f;
  // Where the value lies between min and max, 0..1 (0 when min equals max).
  float Fraction() const { return max > min ? (value - min) / (max - min) : 0.f; }
};
RangeState ReadRange(const Element& range);
// A number as a range writes it: no trailing zeros ("35", "0.25").
String FormatNumber(float value);

}  // namespace FormControls
}  // namespace Rml
