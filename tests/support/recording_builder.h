#pragma once
// Recorded input for tests, written stage by stage as a player would give it: idle updates,
// actions pressed and released, axes held, the pointer moved to a window pixel, clicks. One
// recorded frame per update, in the game's recording format (platform/input_recording.h).
//
//   RecordingBuilder input({640, 360});           // where the real cursor stands
//   input.Wait(30).MovePointerTo({200, 300}).Click().Mark("menu closed");
//   input.Hold({{X_AXIS, 1.0f}}, 60).Press(DASH);
//   input.Write(7, 11);                           // to the game's recording path
//
// A replay answers the game's queries of update n from frame n, while the pointer of update n
// has moved by the pointer ranges of frames 0..n-1 (frame 0 twice): the first frame is kept
// idle, and a pointer move takes effect in the update after its frame.

#include <filesystem>
#include <fstream>
#include <glm/vec2.hpp>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/button_state.h"
#include "platform/game_action.h"
#include "platform/input_recording.h"

namespace testing_support {

class RecordingBuilder {
 public:
  // `pointerOrigin`: the real cursor, window pixels, at the first replayed update.
  explicit RecordingBuilder(glm::vec2 pointerOrigin) : pointer(pointerOrigin) { Wait(1); }

  RecordingBuilder& Wait(int frames) {
    for (int i = 0; i < frames; ++i) NewFrame();
    return *this;
  }

  // `action` goes down for one update and up in the next.
  RecordingBuilder& Press(GameAction action) {
    Set(NewFrame(), action, ButtonState::TRIGGERED, 1.0f);
    Set(NewFrame(), action, ButtonState::RELEASED, 0.0f);
    return *this;
  }

  RecordingBuilder& Click() { return Press(UI_INTERACT); }

  // The actions are held with their range values for `frames` updates, then let go.
  RecordingBuilder& Hold(std::initializer_list<std::pair<GameAction, float>> actions, int frames) {
    for (int i = 0; i < frames; ++i) {
      RecordedFrame& frame = NewFrame();
      for (const auto& [action, range] : actions) {
        Set(frame, action, i == 0 ? ButtonState::TRIGGERED : ButtonState::TRUE, range);
      }
    }
    RecordedFrame& release = NewFrame();
    for (const auto& [action, range] : actions) Set(release, action, ButtonState::RELEASED, 0.0f);
    return *this;
  }

  // The pointer jumps to `target` (window pixels), seen from the next update on.
  RecordingBuilder& MovePointerTo(glm::vec2 target) {
    RecordedFrame& frame = NewFrame();
    const glm::vec2 delta = target - pointer;
    Set(frame, VIRTUAL_CURSOR_X, delta.x == 0.0f ? ButtonState::FALSE : ButtonState::TRIGGERED,
        delta.x);
    Set(frame, VIRTUAL_CURSOR_Y, delta.y == 0.0f ? ButtonState::FALSE : ButtonState::TRIGGERED,
        delta.y);
    pointer = target;
    return Wait(1);
  }

  // Names the frame the next stage starts at.
  RecordingBuilder& Mark(const std::string& name) {
    marks[name] = FrameCount();
    return *this;
  }
  int MarkedFrame(const std::string& name) const { return marks.at(name); }

  int FrameCount() const { return static_cast<int>(recording.frames.size()); }

  InputRecording Build(std::uint32_t standardSeed, std::uint32_t gameplaySeed) const {
    InputRecording built = recording;
    built.standardSeed = standardSeed;
    built.gameplaySeed = gameplaySeed;
    return built;
  }

  // Writes the recording where the game replays it from.
  void Write(std::uint32_t standardSeed, std::uint32_t gameplaySeed) const {
    std::filesystem::create_directories(RecordingFolder());
    std::ofstream(RecordingPath()) << RecordingToJson(Build(standardSeed, gameplaySeed)).dump();
  }

 private:
  RecordedFrame& NewFrame() {
    RecordedFrame frame;
    frame.frameIndex = FrameCount();
    frame.states.fill(ButtonState::FALSE);
    frame.ranges.fill(0.0f);
    recording.frames.push_back(frame);
    return recording.frames.back();
  }

  static void Set(RecordedFrame& frame, GameAction action, ButtonState state, float range) {
    frame.states[static_cast<std::size_t>(action)] = state;
    frame.ranges[static_cast<std::size_t>(action)] = range;
  }

  InputRecording recording;
  glm::vec2 pointer;
  std::map<std::string, int> marks;
};

}  // namespace testing_support
