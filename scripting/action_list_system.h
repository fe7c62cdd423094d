#pragma once
// ActionListSystem: timed value animations ("actions") on variables owned by other code: a
// scene fade, a ring growing, a sound fading out. Each Add*Action call queues one record that
// moves `*target` from `start` to `end` over `duration` seconds along one of five easing curves
// and returns the action's id; the target is first written in the next Update, never at the
// call. Ids are the engine clock reading at the call, made strictly increasing (when the clock
// has not moved, the next double above the last id), so two actions never share one. Anything
// that destroys a variable an action writes must cancel it first, with CancelAction(id) or
// CancelActionsOnTarget(address); a cancelled action writes nothing more and never completes.
// The system keeps running while the pause menu is open, but only actions queued with
// `runsWhilePaused` advance then; the others stand still and resume where they stopped. An
// action completes in the update in which its elapsed time first reaches its duration (at once
// for a duration of zero or NaN, or when it has no target): its exact end value is written,
// then its completion callback runs, then it leaves the list. Callbacks may add and cancel
// actions freely; actions added during an update are first advanced in the next one. The
// records belong to the system object and are dropped with it; "add_action" messages are
// refused, since a target can never be taken from message text.

#include <cstddef>
#include <functional>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"

class DECS;

// One queued action on a value of type T.
template <typename T>
struct ActionRecord {
  double createdAt = 0.0;  // engine clock seconds when the action was queued
  T start{};
  T end{};
  T* endRef = nullptr;  // when `useEndRef` is set, the end value is read through this
  bool useEndRef = false;
  T* target = nullptr;  // not owned; the action finishes at once when there is none
  float duration = 0.0f;
  float elapsed = 0.0f;
  bool runsWhilePaused = false;
  int easing = 0;  // ActionListSystem::Ease; out-of-range indices act as linear
  std::function<void()> onFinished;
  double id = 0.0;
  // Set when the record finished or was cancelled while an update was walking the lists; it
  // is skipped from then on and erased when the walk ends.
  bool removed = false;
};

class ActionListSystem : public BaseSystem {
 public:
  // Keeps the engine, registers an empty signature and stays active while paused.
  void Init() override;

  // Advances every action queued before this update (see the header comment).
  void Update(float dt) override;

  // Refuses "add_action": its target would be a raw address typed into a message.
  void HandleMessage(const std::string& message) override;

  // Queue an action; return its id. The system must be registered (Init run) first.
  double AddIntAction(int* target, const int& start, const int& end, float duration, int easing,
                      std::function<void()> onFinished = {}, bool runsWhilePaused = false);
  double AddFloatAction(float* target, const float& start, const float& end, float duration,
                        int easing, std::function<void()> onFinished = {},
                        bool runsWhilePaused = false);
  double AddDoubleAction(double* target, const double& start, const double& end, float duration,
                         int easing, std::function<void()> onFinished = {},
                         bool runsWhilePaused = false);
  double AddVec2Action(glm::vec2* target, const glm::vec2& start, const glm::vec2& end,
                       float duration, int easing, std::function<void()> onFinished = {},
                       bool runsWhilePaused = false);
  double AddVec3Action(glm::vec3* target, const glm::vec3& start, const glm::vec3& end,
                       float duration, int easing, std::function<void()> onFinished = {},
                       bool runsWhilePaused = false);
  double AddVec4Action(glm::vec4* target, const glm::vec4& start, const glm::vec4& end,
                       float duration, int easing, std::function<void()> onFinished = {},
                       bool runsWhilePaused = false);

  // Queues a prepared record (for instance one that reads its end value through `endRef`).
  // createdAt, elapsed, id and the removal mark are set here; the rest is taken as given.
  template <typename T>
  double AddAction(ActionRecord<T> record);

  // True while a vec3 action with exactly this id is queued.
  bool IsVec3ActionQueued(double id) const;
  // True while an action of any type with exactly this id is queued.
  bool IsActionQueued(double id) const;

  // Removes the action with this id without writing its end value or running its completion;
  // returns whether there was one.
  bool CancelAction(double id);
  // Removes every action writing to `target` in the same way; returns how many there were.
  std::size_t CancelActionsOnTarget(const void* target);

  // AddFloatAction and CancelActionsOnTarget for callers outside the scripting library (the
  // scene system's fades, linked by the composition root).
  double TweenFloat(float* target, float start, float end, float duration, int curve,
                    std::function<void()> completion, bool runsWhilePaused);
  std::size_t CancelTweensOn(const float* target) { return CancelActionsOnTarget(target); }

  // The queued records of one type, oldest first. Between updates every record listed is live.
  template <typename T>
  const std::vector<ActionRecord<T>>& Actions() const {
    return std::get<std::vector<ActionRecord<T>>>(lists);
  }

  // The easing curves, indexed by `easing`, at t = elapsed / duration:
  //   0 linear t, 1 t^2, 2 1-(1-t)^2, 3 (1-(1-t)^2)*t + t^2*(1-t), 4 sqrt(t).
  static float Ease(int easing, float t);

 private:
  template <typename T>
  std::vector<ActionRecord<T>>& List() {
    return std::get<std::vector<ActionRecord<T>>>(lists);
  }
  template <typename T>
  void UpdateList(float dt, bool paused);
  template <typename T>
  void EraseRemoved();
  double NextId();

  DECS* engine = nullptr;
  // In update order: int, float, double, vec2, vec3, vec4.
  std::tuple<std::vector<ActionRecord<int>>, std::vector<ActionRecord<float>>,
             std::vector<ActionRecord<double>>, std::vector<ActionRecord<glm::vec2>>,
             std::vector<ActionRecord<glm::vec3>>, std::vector<ActionRecord<glm::vec4>>>
      lists;
  // The last id handed out; ids only grow.
  double lastId = -std::numeric_limits<double>::infinity();
  // Nesting depth of Update; while above zero, removals only mark records.
  int walking = 0;
};
DECLARE_TYPE_NAME(class, ActionListSystem);

extern template double ActionListSystem::AddAction(ActionRecord<int>);
extern template double ActionListSystem::AddAction(ActionRecord<float>);
extern template double ActionListSystem::AddAction(ActionRecord<double>);
extern template double ActionListSystem::AddAction(ActionRecord<glm::vec2>);
extern template double ActionListSystem::AddAction(ActionRecord<glm::vec3>);
extern template double ActionListSystem::AddAction(ActionRecord<glm::vec4>);
