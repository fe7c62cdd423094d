#include "platform/input_recording.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "engine/user_folders.h"

namespace {

constexpr const char* kFrames = "Frames";
constexpr const char* kFrameIndex = "Frame Index";
constexpr const char* kButtonStates = "Button States";
constexpr const char* kRangeValues = "Range Values";
constexpr const char* kStandardSeed = "Standard RNG Seed";
constexpr const char* kGameplaySeed = "Gameplay RNG Seed";

// A number of any JSON kind, as an integer from `low` to `high` (floats truncate toward zero).
// Anything else, a float that is not finite among them, is refused naming `what`.
std::int64_t ReadInteger(const nlohmann::json& value, const std::string& what, std::int64_t low,
                         std::int64_t high) {
  const auto outOfRange = [&] {
    return std::runtime_error(what + " " + value.dump() + " is outside " + std::to_string(low) +
                              ".." + std::to_string(high));
  };
  if (value.is_number_float()) {
    // Compared as doubles before the conversion, which is undefined for values out of range;
    // the bounds are 32-bit numbers, exact as doubles.
    const double number = std::trunc(value.get<double>());
    if (!(number >= static_cast<double>(low) && number <= static_cast<double>(high))) {
      throw outOfRange();
    }
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_unsigned()) {
    const std::uint64_t number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(high)) throw outOfRange();
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) {
    const std::int64_t number = value.get<std::int64_t>();
    if (number < low || number > high) throw outOfRange();
    return number;
  }
  throw std::runtime_error(what + " is not a number");
}

// A range value: a number that is finite as a float.
float ReadRange(const nlohmann::json& value, std::size_t frameNumber) {
  const std::string where = "frame " + std::to_string(frameNumber) + " holds a range value ";
  if (!value.is_number()) throw std::runtime_error(where + "that is not a number");
  const double number = value.get<double>();
  if (!(std::fabs(number) <= static_cast<double>(std::numeric_limits<float>::max()))) {
    throw std::runtime_error(where + value.dump() + " that is not a finite float");
  }
  return static_cast<float>(number);
}

const nlohmann::json& RequireArray(const nlohmann::json& frame, const char* key,
                                   std::size_t frameNumber) {
  const std::string where = "frame " + std::to_string(frameNumber) + " \"" + key + "\"";
  if (!frame.contains(key) || !frame[key].is_array()) {
    throw std::runtime_error(where + " is not an array");
  }
  if (frame[key].size() < static_cast<std::size_t>(kGameActionCount)) {
    throw std::runtime_error(where + " holds fewer than 24 values");
  }
  return frame[key];
}

}  // namespace

std::string RecordingFolder() {
  return GetDocumentsFolder() + "/recordedMacros4617QUIETPLACENOTFORPLAYERSXY870253";
}
std::string RecordingTriggerPath() { return RecordingFolder() + "/doRecordMacro.txt"; }
std::string RecordingPath() { return RecordingFolder() + "/macro.txt"; }
std::string SavedRecordingsFolder() { return RecordingFolder() + "/SavedMacros/"; }

nlohmann::json RecordingToJson(const InputRecording& recording) {
  nlohmann::json frames = nlohmann::json::array();
  for (const RecordedFrame& frame : recording.frames) {
    nlohmann::json states = nlohmann::json::array();
    nlohmann::json ranges = nlohmann::json::array();
    for (int action = 0; action < kGameActionCount; ++action) {
      states.push_back(static_cast<int>(frame.states[static_cast<std::size_t>(action)]));
      ranges.push_back(static_cast<double>(frame.ranges[static_cast<std::size_t>(action)]));
    }
    frames.push_back({{kFrameIndex, frame.frameIndex},
                      {kButtonStates, std::move(states)},
                      {kRangeValues, std::move(ranges)}});
  }
  // The seeds are written as signed 32-bit numbers; reading takes either spelling back.
  return {{kFrames, std::move(frames)},
          {kStandardSeed, static_cast<std::int32_t>(recording.standardSeed)},
          {kGameplaySeed, static_cast<std::int32_t>(recording.gameplaySeed)}};
}

InputRecording RecordingFromJson(const nlohmann::json& document) {
  if (!document.is_object() || !document.contains(kFrames) || !document[kFrames].is_array()) {
    throw std::runtime_error("the document has no \"Frames\" array");
  }
  const nlohmann::json& frames = document[kFrames];
  if (frames.empty()) throw std::runtime_error("\"Frames\" is empty");
  for (const char* key : {kStandardSeed, kGameplaySeed}) {
    if (!document.contains(key))
      throw std::runtime_error(std::string("\"") + key + "\" is missing");
  }

  // Seeds are written as signed 32-bit numbers; either spelling of the 32 bits reads back.
  constexpr std::int64_t kSeedLow = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kSeedHigh = std::numeric_limits<std::uint32_t>::max();
  InputRecording recording;
  recording.standardSeed = static_cast<std::uint32_t>(
      ReadInteger(document[kStandardSeed], kStandardSeed, kSeedLow, kSeedHigh));
  recording.gameplaySeed = static_cast<std::uint32_t>(
      ReadInteger(document[kGameplaySeed], kGameplaySeed, kSeedLow, kSeedHigh));
  recording.frames.reserve(frames.size());
  for (std::size_t number = 0; number < frames.size(); ++number) {
    const nlohmann::json& source = frames[number];
    if (!source.is_object()) {
      throw std::runtime_error("frame " + std::to_string(number) + " is not an object");
    }
    RecordedFrame frame;
    frame.frameIndex = static_cast<int>(
        ReadInteger(source.value(kFrameIndex, nlohmann::json()),
                    "frame " + std::to_string(number) + " \"Frame Index\"",
                    std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    const nlohmann::json& states = RequireArray(source, kButtonStates, number);
    const nlohmann::json& ranges = RequireArray(source, kRangeValues, number);
    for (std::size_t action = 0; action < static_cast<std::size_t>(kGameActionCount); ++action) {
      const std::int64_t state = ReadInteger(
          states[action], "frame " + std::to_string(number) + " holds a button state", 0, 3);
      frame.states[action] = static_cast<ButtonState>(state);
      frame.ranges[action] = ReadRange(ranges[action], number);
    }
    recording.frames.push_back(frame);
  }
  return recording;
}
