#pragma once
// Events: an Event travels from the document down to its target (capture), at the target, and
// back up (bubble) when its type bubbles. Listeners are attached per element and event type; the
// same listener added twice for the same type, element and phase is called once.

#include "rml/variant.h"

namespace Rml {

class Element;

enum class EventPhase : std::uint8_t { None = 0, Capture = 1, Target = 2, Bubble = 4 };

class Event {
 public:
  Event(Element* target, String type, Dictionary parameters, bool interruptible = true)
      : target_(target),
        type_(std::move(type)),
        parameters_(std::move(parameters)),
        interruptible_(interruptible) {}

  Element* GetTargetElement() const { return target_; }
  Element* GetCurrentElement() const { return current_; }
  const String& GetType() const { return type_; }
  EventPhase GetPhase() const { return phase_; }
  // A parameter converted to T, or default_value when absent (mouse_x, mouse_y, button,
  // wheel_delta_y, value...).
  template <typename T>
  T GetParameter(const String& name, const T& default_value) const {
    auto found = parameters_.find(name);
    return found == parameters_.end() ? default_value : found->second.Get<T>(default_value);
  }
  const Dictionary& GetParameters() const { return parameters_; }
  // Stops the event after the current element's listeners.
  void StopPropagation() {
    if (interruptible_) stopped_ = true;
  }
  // Stops the event at once, skipping the remaining listeners of the current element too.
  void StopImmediatePropagation() {
    if (interruptible_) stopped_ = immediate_stopped_ = true;
  }
  bool IsPropagating() const { return !stopped_; }
  bool IsImmediatePropagating() const { return !immediate_stopped_; }

  // Dispatch bookkeeping.
  void SetCurrentElement(Element* element) { current_ = element; }
  void SetPhase(EventPhase phase) { phase_ = phase; }

 private:
  Element* target_;
  Element* current_ = nullptr;
  String type_;
  Dictionary parameters_;
  EventPhase phase_ = EventPhase::None;
  bool interruptible_;
  bool stopped_ = false;
  bool immediate_stopped_ = false;
};

class EventListener {
 public:
  virtual ~EventListener() = default;
  virtual void ProcessEvent(Event& event) = 0;
  // Called when the listener is attached to an element, and when it is detached from one (by
  // RemoveEventListener or because the element is destroyed).
  virtual void OnAttach(Element*) {}
  virtual void OnDetach(Element*) {}
};

// Whether an event of this type bubbles (mouse and change events do; focus, blur, load, unload,
// show and hide do not).
bool EventBubbles(const String& type);

}  // namespace Rml
