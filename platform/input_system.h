#pragma once
// InputSystem: the only reader of the keyboard, mouse and wheel.
//
// Once per fixed update (also while the game is paused or frozen) it pumps the window's events,
// samples the 132 input slots (input_slots.h), derives a ButtonState and a range value for each
// of the 24 game actions from the bindings of the controls file, moves the virtual cursor, and
// posts "MouseMotion <x> <y>" to every receiver when the cursor moved. The rest of the game only
// asks for action states and values.
//
// The bindings come from GetSaveDataFolder() + "/Controls.json", which is copied from
// "./GAME/Settings/DefaultControls.json" on the first start. A player's copy that cannot be
// read, or is not a controls document, is kept aside as "Controls.json.bad" and the defaults
// are copied and bound again, with a line saying so. When the defaults cannot be copied or
// read either, every action stays unbound (the game runs, nothing responds) and it says so.
//
// Recording and playback (a developer feature, see input_recording.h): the constructor looks in
// the recording folder. A trigger file there makes this run record the action states of every
// update, written at Shutdown; otherwise an existing recording is replayed from the first update
// until any live input arrives or the frames run out. While replaying, the state and range
// queries answer from the recorded frame of the previous update. Either way the main loop runs
// in fixed 1/60 s steps (IsRecordingOrReplaying).
//
// Messages: "mouse_mode normal|locked|hidden" sets the cursor mode.

#include <array>
#include <glm/vec2.hpp>
#include <memory>
#include <string>

#include "engine/base_system.h"
#include "engine/engine_hooks.h"
#include "engine/type_name.h"
#include "platform/button_state.h"
#include "platform/game_action.h"
#include "platform/input_binding.h"
#include "platform/input_recording.h"
#include "platform/input_slots.h"
#include "platform/input_source.h"

class DECS;
class MessagingManager;

class InputSystem : public BaseSystem, public InputReplayState {
 public:
  // Reads no input: nothing is ever pressed.
  InputSystem();
  // Reads input from `source`: the game window's (platform/glfw_input_source.h), given by the
  // composition root at registration, or a fake that tests drive.
  explicit InputSystem(std::unique_ptr<InputSource> source);

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  // Writes the recording when this run was recorded.
  void Shutdown() override;
  bool IsRecordingOrReplaying() const override { return recording || playback; }

  // Replaces every action's bindings with those of the controls file at `path`.
  void LoadControls(const std::string& path);

  // Action queries; `action` is 0..23, anything else reads as FALSE and 0.
  ButtonState GetActionState(int action) const;
  float GetActionRangeVal(int action) const;
  bool IsActionTriggered(int action) const {
    return GetActionState(action) == ButtonState::TRIGGERED;
  }
  // The action is held: TRIGGERED or TRUE.
  bool IsActionTrue(int action) const;
  bool IsActionReleased(int action) const {
    return GetActionState(action) == ButtonState::RELEASED;
  }
  // The action is not held: RELEASED or FALSE.
  bool IsActionFalse(int action) const { return !IsActionTrue(action); }

  // The virtual cursor: the running sum of the VIRTUAL_CURSOR_X and _Y range values.
  glm::vec2 GetMousePos() const { return virtualCursor; }
  // How far the virtual cursor moved in the last update.
  glm::vec2 GetMouseDelta() const { return virtualCursor - previousVirtualCursor; }
  // The real cursor, window pixels.
  glm::vec2 GetCursorPosition() const { return mouse; }
  // The pointer the documents follow, window pixels: the real cursor; while a recording plays
  // back (it holds no real pointer) the real cursor of the first replayed update plus the
  // virtual cursor, so that recorded pointer movement moves it.
  glm::vec2 GetPointerPosition() const {
    return playback ? playbackPointerOrigin + virtualCursor : mouse;
  }
  // The vertical wheel movement of the last update (positive: away from the user).
  float GetWheelDelta() const { return current[kScrollYSlot]; }

  const ActionBindings& Bindings() const { return bindings; }
  const InputRecording& Recording() const { return recorded; }

  // The mode of this run, fixed at construction (playback ends early on live input).
  bool recording = false;
  bool playback = false;
  // Updates since start.
  int frameCounter = 0;

 private:
  void DecideRecordingMode();
  void StartPlayback();
  void FindControlsFile();
  void PollInputs();
  void UpdateActions();
  void WriteRecording() const;
  // The frame the queries answer from during playback.
  const RecordedFrame& PlaybackFrame() const;

  DECS* engine = nullptr;
  MessagingManager* messaging = nullptr;
  std::unique_ptr<InputSource> source;

  ActionBindings bindings;
  std::array<double, kInputSlotCount> lastActiveTime{};
  std::array<float, kInputSlotCount> current{};
  std::array<float, kInputSlotCount> previous{};
  std::array<ButtonState, kGameActionCount> states{};
  std::array<float, kGameActionCount> ranges{};
  // The latest lastActiveTime of all slots; -1 while no slot was ever active.
  double mostRecentTime = -1.0;
  glm::vec2 previousVirtualCursor{0.0f, 0.0f};
  glm::vec2 virtualCursor{0.0f, 0.0f};
  glm::vec2 previousMouse{0.0f, 0.0f};
  glm::vec2 mouse{0.0f, 0.0f};
  // The real cursor at the first update of a replay.
  glm::vec2 playbackPointerOrigin{0.0f, 0.0f};

  // Frames recorded in this run, or the recording being replayed, with the seeds.
  InputRecording recorded;
};
DECLARE_TYPE_NAME(class, InputSystem);
