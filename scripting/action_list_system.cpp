#include "scripting/action_list_system.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/system_manager.h"

namespace {

template <typename T>
const T& EndValue(const ActionRecord<T>& record) {
  return record.useEndRef && record.endRef != nullptr ? *record.endRef : record.end;
}

// start * (1 - w) + end * w, in the precision of the value type.
template <typename T>
void WriteBlend(T* target, const T& start, const T& end, float w) {
  *target = start * (1.0f - w) + end * w;
}

template <>
void WriteBlend(double* target, const double& start, const double& end, float w) {
  const double wide = w;
  *target = start * (1.0 - wide) + end * wide;
}

template <>
void WriteBlend(int* target, const int& start, const int& end, float w) {
  const float blended = static_cast<float>(start) * (1.0f - w) + static_cast<float>(end) * w;
  // Truncates toward zero. A value no int can hold (NaN from a negative elapsed time under the
  // square-root curve, or a blend past the int range) leaves the target as it was.
  if (blended >= -2147483648.0f && blended < 2147483648.0f) {
    *target = static_cast<int>(blended);
  }
}

// Keeps the walk depth right even when a completion callback throws.
class WalkGuard {
 public:
  explicit WalkGuard(int& depth) : depth(depth) { ++depth; }
  ~WalkGuard() { --depth; }
  WalkGuard(const WalkGuard&) = delete;
  WalkGuard& operator=(const WalkGuard&) = delete;

 private:
  int& depth;
};

}  // namespace

void ActionListSystem::Init() {
  engine = &DECS::Instance();
  // Actions such as the scene fade go on while the pause menu is open.
  pausable = false;
  engine->GetManager<SystemManager>()->SetSignature(TypeName<ActionListSystem>(), {});
}

float ActionListSystem::Ease(int easing, float t) {
  switch (easing) {
    case 1:
      return t * t;
    case 2:
      return 1.0f - (1.0f - t) * (1.0f - t);
    case 3:
      return (1.0f - (1.0f - t) * (1.0f - t)) * t + t * t * (1.0f - t);
    case 4:
      return std::sqrt(t);
    default:
      return t;
  }
}

double ActionListSystem::NextId() {
  const double now = engine != nullptr ? engine->Clock().Now() : 0.0;
  lastId = now > lastId ? now : std::nextafter(lastId, std::numeric_limits<double>::infinity());
  return lastId;
}

template <typename T>
double ActionListSystem::AddAction(ActionRecord<T> record) {
  record.createdAt = engine != nullptr ? engine->Clock().Now() : 0.0;
  record.elapsed = 0.0f;
  record.removed = false;
  record.id = NextId();
  List<T>().push_back(std::move(record));
  return List<T>().back().id;
}

template double ActionListSystem::AddAction(ActionRecord<int>);
template double ActionListSystem::AddAction(ActionRecord<float>);
template double ActionListSystem::AddAction(ActionRecord<double>);
template double ActionListSystem::AddAction(ActionRecord<glm::vec2>);
template double ActionListSystem::AddAction(ActionRecord<glm::vec3>);
template double ActionListSystem::AddAction(ActionRecord<glm::vec4>);

namespace {

template <typename T>
ActionRecord<T> MakeRecord(T* target, const T& start, const T& end, float duration, int easing,
                           std::function<void()> onFinished, bool runsWhilePaused) {
  ActionRecord<T> record;
  record.start = start;
  record.end = end;
  record.target = target;
  record.duration = duration;
  record.runsWhilePaused = runsWhilePaused;
  record.easing = easing;
  record.onFinished = std::move(onFinished);
  return record;
}

}  // namespace

double ActionListSystem::AddIntAction(int* target, const int& start, const int& end, float duration,
                                      int easing, std::function<void()> onFinished,
                                      bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::AddFloatAction(float* target, const float& start, const float& end,
                                        float duration, int easing,
                                        std::function<void()> onFinished, bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::AddDoubleAction(double* target, const double& start, const double& end,
                                         float duration, int easing,
                                         std::function<void()> onFinished, bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::AddVec2Action(glm::vec2* target, const glm::vec2& start,
                                       const glm::vec2& end, float duration, int easing,
                                       std::function<void()> onFinished, bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::AddVec3Action(glm::vec3* target, const glm::vec3& start,
                                       const glm::vec3& end, float duration, int easing,
                                       std::function<void()> onFinished, bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::AddVec4Action(glm::vec4* target, const glm::vec4& start,
                                       const glm::vec4& end, float duration, int easing,
                                       std::function<void()> onFinished, bool runsWhilePaused) {
  return AddAction(
      MakeRecord(target, start, end, duration, easing, std::move(onFinished), runsWhilePaused));
}

double ActionListSystem::TweenFloat(float* target, float start, float end, float duration,
                                    int curve, std::function<void()> completion,
                                    bool runsWhilePaused) {
  return AddFloatAction(target, start, end, duration, curve, std::move(completion),
                        runsWhilePaused);
}

void ActionListSystem::Update(float dt) {
  const bool paused = engine != nullptr && engine->paused;
  {
    const WalkGuard guard(walking);
    UpdateList<int>(dt, paused);
    UpdateList<float>(dt, paused);
    UpdateList<double>(dt, paused);
    UpdateList<glm::vec2>(dt, paused);
    UpdateList<glm::vec3>(dt, paused);
    UpdateList<glm::vec4>(dt, paused);
  }
  if (walking == 0) {
    EraseRemoved<int>();
    EraseRemoved<float>();
    EraseRemoved<double>();
    EraseRemoved<glm::vec2>();
    EraseRemoved<glm::vec3>();
    EraseRemoved<glm::vec4>();
  }
}

// Walks the records present when the walk starts, last to first. Completion callbacks may add
// records (appended past the walked range, possibly moving the vector) or cancel them (marked
// only, while walking), so the record is looked up by index afresh on every step and never
// touched once its callback has run.
template <typename T>
void ActionListSystem::UpdateList(float dt, bool paused) {
  for (std::size_t index = List<T>().size(); index-- > 0;) {
    ActionRecord<T>& record = List<T>()[index];
    if (record.removed) continue;
    if (!paused || record.runsWhilePaused) {
      record.elapsed += dt;
      // A record that finishes in this step gets its exact end value below instead; this also
      // keeps a zero or NaN duration from putting 0/0 into the target.
      if (record.target != nullptr && record.duration > record.elapsed) {
        const float w = Ease(record.easing, record.elapsed / record.duration);
        WriteBlend(record.target, record.start, EndValue(record), w);
      }
    }
    if (!(record.duration > record.elapsed) || record.target == nullptr) {
      if (record.target != nullptr) *record.target = EndValue(record);
      record.removed = true;
      const std::function<void()> onFinished = std::move(record.onFinished);
      if (onFinished) onFinished();
    }
  }
}

template <typename T>
void ActionListSystem::EraseRemoved() {
  std::erase_if(List<T>(), [](const ActionRecord<T>& record) { return record.removed; });
}

bool ActionListSystem::IsVec3ActionQueued(double id) const {
  return std::ranges::any_of(Actions<glm::vec3>(), [id](const ActionRecord<glm::vec3>& record) {
    return !record.removed && record.id == id;
  });
}

bool ActionListSystem::IsActionQueued(double id) const {
  return std::apply(
      [id](const auto&... list) {
        return (
            std::ranges::any_of(
                list, [id](const auto& record) { return !record.removed && record.id == id; }) ||
            ...);
      },
      lists);
}

namespace {

// Marks (while an update walks the lists) or erases the live records that match; returns how
// many there were.
template <typename Record, typename Match>
std::size_t RemoveMatching(std::vector<Record>& list, bool walking, Match&& match) {
  std::size_t count = 0;
  for (Record& record : list) {
    if (!record.removed && match(record)) {
      record.removed = true;
      ++count;
    }
  }
  if (!walking && count > 0) {
    std::erase_if(list, [](const Record& record) { return record.removed; });
  }
  return count;
}

}  // namespace

bool ActionListSystem::CancelAction(double id) {
  return std::apply(
      [this, id](auto&... list) {
        return (RemoveMatching(list, walking > 0,
                               [id](const auto& record) { return record.id == id; }) +
                ...) > 0;
      },
      lists);
}

std::size_t ActionListSystem::CancelActionsOnTarget(const void* target) {
  return std::apply(
      [this, target](auto&... list) {
        return (RemoveMatching(list, walking > 0,
                               [target](const auto& record) {
                                 return static_cast<const void*>(record.target) == target;
                               }) +
                ...);
      },
      lists);
}

void ActionListSystem::HandleMessage(const std::string& message) {
  // The message form names its target by memory address; writing through an address read from
  // text would let any message corrupt memory, so every "add_action" is refused.
  if (IsMessage(message, "add_action")) {
    std::printf(
        "ActionListSystem : add_action refused: targets cannot be given by address ('%s')\n",
        message.c_str());
  }
}
