#include "platform/controls_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

using nlohmann::json;

// The bindings of a document holding one entry, and what was logged while reading it.
ActionBindings ParseOne(const json& entry, std::string& log) {
  testing::internal::CaptureStdout();
  ActionBindings bindings = ParseControls({{"Inputs", json::array({entry})}}, "Controls.json");
  log = testing::internal::GetCapturedStdout();
  return bindings;
}

std::size_t CountBindings(const ActionBindings& bindings) {
  std::size_t count = 0;
  for (const auto& list : bindings) count += list.size();
  return count;
}

TEST(ControlsFile, UsableEntriesBecomeBindings) {
  const struct {
    const char* name;
    json entry;
    int action;
    InputBinding expected;
  } cases[] = {
      {"single input",
       {{"_type", 0}, {"GameAction", "DASH"}, {"boundInput", 111}},
       DASH,
       {111, NoInput, InputBinding::kSingle, 1.0f, false}},
      {"single input ignores axis fields",
       {{"_type", 0},
        {"GameAction", "PAUSE"},
        {"boundInput", 50},
        {"sensitivity", 3},
        {"invert", "yes"}},
       PAUSE,
       {50, NoInput, InputBinding::kSingle, 1.0f, false}},
      {"axis with defaults",
       {{"_type", 1}, {"GameAction", "X_AXIS"}, {"boundInput", 18}, {"boundInput2", 21}},
       X_AXIS,
       {18, 21, InputBinding::kAxis, 1.0f, false}},
      {"axis with sensitivity and invert",
       {{"_type", 1},
        {"GameAction", "Y_AXIS"},
        {"boundInput", 36},
        {"boundInput2", 40},
        {"sensitivity", 2.5},
        {"invert", true}},
       Y_AXIS,
       {36, 40, InputBinding::kAxis, 2.5f, true}},
      {"slot numbers truncate",
       {{"_type", 0.0}, {"GameAction", "SKIP"}, {"boundInput", 131.9}},
       SKIP,
       {131, NoInput, InputBinding::kSingle, 1.0f, false}},
      {"second input may be 132",
       {{"_type", 1}, {"GameAction", "Z_AXIS"}, {"boundInput", 0}, {"boundInput2", 132}},
       Z_AXIS,
       {0, NoInput, InputBinding::kAxis, 1.0f, false}},
  };
  for (const auto& row : cases) {
    std::string log;
    const ActionBindings bindings = ParseOne(row.entry, log);
    EXPECT_EQ(log, "") << row.name;
    ASSERT_EQ(CountBindings(bindings), 1u) << row.name;
    ASSERT_EQ(bindings[static_cast<std::size_t>(row.action)].size(), 1u) << row.name;
    const InputBinding& binding = bindings[static_cast<std::size_t>(row.action)][0];
    EXPECT_EQ(binding.input, row.expected.input) << row.name;
    EXPECT_EQ(binding.input2, row.expected.input2) << row.name;
    EXPECT_EQ(binding.kind, row.expected.kind) << row.name;
    EXPECT_FLOAT_EQ(binding.sensitivity, row.expected.sensitivity) << row.name;
    EXPECT_EQ(binding.invert, row.expected.invert) << row.name;
  }
}

TEST(ControlsFile, UnusableEntriesAreSkippedWithALineNamingThem) {
  const struct {
    json entry;
    const char* reason;
  } cases[] = {
      {{{"_type", 2}, {"GameAction", "DASH"}, {"boundInput", 1}}, "neither 0 nor 1"},
      {{{"GameAction", "DASH"}, {"boundInput", 1}}, "\"_type\" is missing"},
      {{{"_type", "0"}, {"GameAction", "DASH"}, {"boundInput", 1}}, "neither 0 nor 1"},
      {{{"_type", 0}, {"GameAction", "JUMP"}, {"boundInput", 1}}, "names no action"},
      {{{"_type", 0}, {"GameAction", 5}, {"boundInput", 1}}, "\"GameAction\" is missing"},
      {{{"_type", 0}, {"boundInput", 1}}, "\"GameAction\" is missing"},
      {{{"_type", 0}, {"GameAction", "DASH"}}, "\"boundInput\" is missing"},
      {{{"_type", 0}, {"GameAction", "DASH"}, {"boundInput", 132}}, "0 to 131"},
      {{{"_type", 0}, {"GameAction", "DASH"}, {"boundInput", -1}}, "0 to 131"},
      {{{"_type", 0}, {"GameAction", "DASH"}, {"boundInput", true}}, "0 to 131"},
      {{{"_type", 1}, {"GameAction", "X_AXIS"}, {"boundInput", 18}}, "\"boundInput2\" is missing"},
      {{{"_type", 1}, {"GameAction", "X_AXIS"}, {"boundInput", 18}, {"boundInput2", 133}},
       "0 to 132"},
      {{{"_type", 1},
        {"GameAction", "X_AXIS"},
        {"boundInput", 18},
        {"boundInput2", 21},
        {"invert", 1}},
       "\"invert\" is not a boolean"},
      {{{"_type", 1},
        {"GameAction", "X_AXIS"},
        {"boundInput", 18},
        {"boundInput2", 21},
        {"sensitivity", "fast"}},
       "\"sensitivity\" is not a number"},
      {json::array({1, 2}), "not an object"},
  };
  for (const auto& row : cases) {
    std::string log;
    const ActionBindings bindings = ParseOne(row.entry, log);
    EXPECT_EQ(CountBindings(bindings), 0u) << row.entry.dump();
    EXPECT_NE(log.find("'Controls.json' Inputs[0] skipped"), std::string::npos) << log;
    EXPECT_NE(log.find(row.reason), std::string::npos) << log;
  }
}

TEST(ControlsFile, EntriesOfOneActionKeepFileOrderAndBadOnesDoNotStopTheRest) {
  const json document = {{"Inputs", json::array({
                                        {{"_type", 0}, {"GameAction", "PAUSE"}, {"boundInput", 50}},
                                        {{"_type", 0}, {"GameAction", "NOPE"}, {"boundInput", 1}},
                                        {{"_type", 0}, {"GameAction", "PAUSE"}, {"boundInput", 33}},
                                    })}};
  testing::internal::CaptureStdout();
  const ActionBindings bindings = ParseControls(document, "Controls.json");
  const std::string log = testing::internal::GetCapturedStdout();
  ASSERT_EQ(bindings[PAUSE].size(), 2u);
  EXPECT_EQ(bindings[PAUSE][0].input, 50);
  EXPECT_EQ(bindings[PAUSE][1].input, 33);
  EXPECT_NE(log.find("Inputs[1] skipped"), std::string::npos);
}

TEST(ControlsFile, FileThatCannotBeUsedLeavesEveryActionUnbound) {
  testing_support::TempFolder folder;
  const std::string missing = (folder.path / "missing.json").string();
  const std::string broken = (folder.path / "broken.json").string();
  const std::string noInputs = (folder.path / "no_inputs.json").string();
  std::ofstream(broken) << "{ \"Inputs\": [ ";
  std::ofstream(noInputs) << "{ \"Outputs\": [] }";

  const struct {
    std::string path;
    std::string problem;
  } cases[] = {
      {missing, "Unable to open file for reading: " + missing},
      {broken, "parse_error"},
      {noInputs, "it has no \"Inputs\" array"},
  };
  for (const auto& c : cases) {
    ActionBindings bindings;
    bindings[DASH].push_back({});
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::string problem;
    EXPECT_FALSE(LoadControls(c.path, bindings, problem)) << c.path;
    const std::string log =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountBindings(bindings), 0u) << c.path;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    // The caller says what follows (the defaults, or no input): no line says it here.
    EXPECT_EQ(log.find("InputSystem"), std::string::npos) << log;
  }
}

// The shipped defaults: every action bound, nothing skipped, and the ring hands on Q and E.
TEST(ControlsFile, DefaultControlsBindEveryActionWithRingHandsOnQAndE) {
  ActionBindings bindings;
  testing::internal::CaptureStdout();
  std::string problem;
  const bool loaded = LoadControls("./GAME/Settings/DefaultControls.json", bindings, problem);
  const std::string log = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(log.find("skipped"), std::string::npos) << log;
  for (int action = 0; action < kGameActionCount; ++action) {
    EXPECT_FALSE(bindings[static_cast<std::size_t>(action)].empty()) << GameActionName(action);
  }
  // Q moves a ring to the Floreth hand (+1), E to the Sundrel hand (-1).
  ASSERT_EQ(bindings[SEND_RING].size(), 1u);
  const InputBinding& ring = bindings[SEND_RING][0];
  EXPECT_EQ(ring.kind, InputBinding::kAxis);
  EXPECT_EQ(ring.input, SlotOfKey('E'));
  EXPECT_EQ(ring.input2, SlotOfKey('Q'));
  EXPECT_FALSE(ring.invert);
}

}  // namespace
