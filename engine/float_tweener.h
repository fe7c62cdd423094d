#pragma once
// FloatTweener: queues a timed tween of a float owned by the caller. The action-list system
// provides it; the scene system finds it by the system's type name, so the components library
// needs no scripting headers.

#include <cstddef>
#include <functional>

class FloatTweener {
 public:
  virtual ~FloatTweener() = default;

  // Moves *target from `start` to `end` over `duration` seconds along easing curve `curve`
  // (0..4), first writing it in the next update; `completion` runs once after the end value is
  // written. With `runsWhilePaused` the tween also advances while the engine is paused.
  // Returns the tween's id. The caller keeps *target alive until the tween ends or is
  // cancelled.
  virtual double TweenFloat(float* target, float start, float end, float duration, int curve,
                            std::function<void()> completion, bool runsWhilePaused) = 0;

  // Stops every tween writing to `target`, without writing end values or running completions;
  // returns how many there were. Called before the target goes away or is repurposed.
  virtual std::size_t CancelTweensOn(const float* target) = 0;
};
