#include "platform/input_recording.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using nlohmann::json;

json Frame(int index, std::size_t states, std::size_t ranges) {
  return {{"Frame Index", index},
          {"Button States", json(std::vector<int>(states, 3))},
          {"Range Values", json(std::vector<double>(ranges, 0.5))}};
}

json Document(json frames) {
  return {{"Frames", std::move(frames)}, {"Standard RNG Seed", 7}, {"Gameplay RNG Seed", -8}};
}

TEST(InputRecording, WrittenRecordingReadsBackTheSame) {
  InputRecording recording;
  recording.standardSeed = 3000000000u;  // above the signed range: written negative
  recording.gameplaySeed = 42;
  for (int index = 0; index < 3; ++index) {
    RecordedFrame frame;
    frame.frameIndex = index;
    frame.states.fill(ButtonState::FALSE);
    frame.states[SEND_RING] = static_cast<ButtonState>(index);
    frame.ranges.fill(0.0f);
    frame.ranges[SEND_RING] = -0.25f * static_cast<float>(index);
    recording.frames.push_back(frame);
  }
  const json document = RecordingToJson(recording);
  EXPECT_EQ(document["Frames"][1]["Button States"].size(), 24u);
  EXPECT_TRUE(document["Frames"][1]["Range Values"][0].is_number_float());

  const InputRecording read = RecordingFromJson(json::parse(document.dump()));
  EXPECT_EQ(read.standardSeed, recording.standardSeed);
  EXPECT_EQ(read.gameplaySeed, recording.gameplaySeed);
  ASSERT_EQ(read.frames.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read.frames[i].frameIndex, recording.frames[i].frameIndex);
    EXPECT_EQ(read.frames[i].states, recording.frames[i].states);
    EXPECT_EQ(read.frames[i].ranges, recording.frames[i].ranges);
  }
}

TEST(InputRecording, RunOfNoUpdatesStillWritesTheFramesKey) {
  const json document = RecordingToJson(InputRecording{});
  ASSERT_TRUE(document.contains("Frames"));
  EXPECT_TRUE(document["Frames"].is_array());
  EXPECT_TRUE(document["Frames"].empty());
}

TEST(InputRecording, DocumentsThatCannotBeReplayedAreRefusedWhole) {
  json missingSeed = Document(json::array({Frame(0, 24, 24)}));
  missingSeed.erase("Gameplay RNG Seed");
  json stateOutOfRange = Document(json::array({Frame(0, 24, 24)}));
  stateOutOfRange["Frames"][0]["Button States"][5] = 4;
  json stringRange = Document(json::array({Frame(0, 24, 24)}));
  stringRange["Frames"][0]["Range Values"][2] = "fast";
  // Numbers out of the range of what they are read into: converting them was undefined.
  const auto withValue = [](const char* key, json value) {
    json document = Document(json::array({Frame(0, 24, 24)}));
    if (std::string(key) == "Frame Index") {
      document["Frames"][0][key] = std::move(value);
    } else if (std::string(key) == "Range Values") {
      document["Frames"][0][key][0] = std::move(value);
    } else {
      document[key] = std::move(value);
    }
    return document;
  };

  const struct {
    const char* name;
    json document;
  } cases[] = {
      {"not an object", json::array()},
      {"no frames key", {{"Standard RNG Seed", 1}, {"Gameplay RNG Seed", 2}}},
      {"no frames", Document(json::array())},
      {"short button states", Document(json::array({Frame(0, 24, 24), Frame(1, 23, 24)}))},
      {"short range values", Document(json::array({Frame(0, 24, 10)}))},
      {"frame not an object", Document(json::array({1}))},
      {"missing seed", missingSeed},
      {"state outside 0..3", stateOutOfRange},
      {"range of the wrong kind", stringRange},
      {"frame index float beyond 64 bits", withValue("Frame Index", 1e19)},
      {"frame index float below 64 bits", withValue("Frame Index", -1e300)},
      {"frame index beyond int", withValue("Frame Index", std::int64_t{1} << 40)},
      {"frame index unsigned beyond 64-bit signed", withValue("Frame Index", ~std::uint64_t{0})},
      {"seed float beyond 64 bits", withValue("Standard RNG Seed", 3e19)},
      {"seed beyond 32 bits", withValue("Gameplay RNG Seed", std::int64_t{1} << 33)},
      {"range beyond float", withValue("Range Values", 1e39)},
  };
  for (const auto& row : cases) {
    EXPECT_THROW(RecordingFromJson(row.document), std::exception) << row.name;
  }
  EXPECT_NO_THROW(RecordingFromJson(Document(json::array({Frame(0, 24, 24)}))));
}

TEST(InputRecording, NumbersAtTheEdgesOfTheirRangeAreRead) {
  json document = Document(json::array({Frame(0, 24, 24)}));
  document["Standard RNG Seed"] = -2147483648.0;  // the signed spelling, as a float
  document["Gameplay RNG Seed"] = 4294967295u;    // the unsigned spelling
  document["Frames"][0]["Frame Index"] = 2147483647.9;
  document["Frames"][0]["Button States"][0] = 3.5;
  document["Frames"][0]["Range Values"][0] = -3.4e38;
  const InputRecording read = RecordingFromJson(document);
  EXPECT_EQ(read.standardSeed, 2147483648u);
  EXPECT_EQ(read.gameplaySeed, 4294967295u);
  EXPECT_EQ(read.frames[0].frameIndex, 2147483647);
  EXPECT_EQ(read.frames[0].states[0], static_cast<ButtonState>(3));
  EXPECT_FLOAT_EQ(read.frames[0].ranges[0], -3.4e38f);
}

}  // namespace
