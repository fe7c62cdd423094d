#pragma once
// Recorded input: the 24 action states and range values of every update of a run, and the seeds
// of both random engines, so that a later run can replay the same game.
//
// The recording is a JSON document:
//   { "Frames": [ { "Frame Index": 0, "Button States": [24 ints], "Range Values": [24 floats] },
//                 ... ],
//     "Standard RNG Seed": <int>, "Gameplay RNG Seed": <int> }
// It lives in a developer folder of the documents folder; a trigger file there switches
// recording on for one run (InputSystem decides at construction).

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/button_state.h"
#include "platform/game_action.h"

struct RecordedFrame {
  int frameIndex = 0;
  std::array<ButtonState, kGameActionCount> states{};
  std::array<float, kGameActionCount> ranges{};
};

struct InputRecording {
  std::vector<RecordedFrame> frames;
  std::uint32_t standardSeed = 0;
  std::uint32_t gameplaySeed = 0;
};

// GetDocumentsFolder() + "/recordedMacros4617QUIETPLACENOTFORPLAYERSXY870253".
std::string RecordingFolder();
// Its files: the trigger, the recording, and the folder of kept copies.
std::string RecordingTriggerPath();
std::string RecordingPath();
std::string SavedRecordingsFolder();

nlohmann::json RecordingToJson(const InputRecording& recording);

// Reads a recording document. Throws std::runtime_error saying what is wrong when the document
// cannot be replayed as a whole: no frames, a frame whose state or range array holds fewer than
// 24 values, a state outside 0..3, a frame index outside the int range, a seed outside the 32
// bits (signed or unsigned), a range value that is not a finite float, a value that is not a
// number, or a missing seed. Floats are truncated toward zero where an integer is read.
InputRecording RecordingFromJson(const nlohmann::json& document);
