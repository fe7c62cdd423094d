#include "platform/input_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/random_engines.h"
#include "engine/user_folders.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using nlohmann::json;
using testing_support::RecordingReceiver;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

// GLFW key codes used below.
constexpr int kKeyA = 'A';
constexpr int kKeyD = 'D';
constexpr int kKeyP = 'P';
constexpr int kKeyEscape = 256;
constexpr int kKeyLeftShift = 340;

// Input that the test sets by hand before each update.
class FakeInputSource final : public InputSource {
 public:
  void PollEvents() override { ++polls; }
  bool IsKeyDown(int keyCode) const override { return keys.contains(keyCode); }
  bool IsMouseButtonDown(int button) const override { return buttons.contains(button); }
  glm::vec2 CursorPosition() const override { return cursor; }
  glm::vec2 TakeScroll() override {
    const glm::vec2 taken = scroll;
    scroll = {0.0f, 0.0f};
    return taken;
  }
  void SetCursorMode(CursorMode mode) override { cursorMode = mode; }

  std::set<int> keys;
  std::set<int> buttons;
  glm::vec2 cursor{0.0f, 0.0f};
  glm::vec2 scroll{0.0f, 0.0f};
  std::optional<CursorMode> cursorMode;
  int polls = 0;
};

json Single(const char* action, int slot) {
  return {{"_type", 0}, {"GameAction", action}, {"boundInput", slot}};
}
json Axis(const char* action, int negative, int positive, double sensitivity = 1.0,
          bool invert = false) {
  return {{"_type", 1},
          {"GameAction", action},
          {"boundInput", negative},
          {"boundInput2", positive},
          {"sensitivity", sensitivity},
          {"invert", invert}};
}

// The controls most tests use.
const json kControls = {
    {"Inputs", json::array({
                   Single("DASH", SlotOfKey(kKeyLeftShift)),
                   Single("PAUSE", SlotOfKey(kKeyEscape)),
                   Single("PAUSE", SlotOfKey(kKeyP)),
                   Single("SKIP", kScrollYSlot),
                   Single("THROW_BLOCK", kFirstMouseButtonSlot),
                   Axis("X_AXIS", SlotOfKey(kKeyA), SlotOfKey(kKeyD), 2.0),
                   Axis("Y_AXIS", SlotOfKey(kKeyA), SlotOfKey(kKeyD), 2.0, true),
                   Axis("X_TURN", SlotOfKey(kKeyA), SlotOfKey(kKeyD)),
                   Single("X_TURN", kMouseMotionXSlot),
                   Single("VIRTUAL_CURSOR_X", kMouseMotionXSlot),
                   Single("VIRTUAL_CURSOR_Y", kMouseMotionYSlot),
               })}};

// A fresh engine and a fresh home folder (save data, documents) per test.
class InputSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    std::filesystem::create_directories(GetSaveDataFolder());
    WriteControls(kControls);
  }

  static void WriteControls(const json& controls) {
    std::ofstream(GetSaveDataFolder() + "/Controls.json") << controls.dump();
  }

  // An input system reading from a fake; initialised like a registered one.
  std::unique_ptr<InputSystem> MakeInput() {
    auto fake = std::make_unique<FakeInputSource>();
    source = fake.get();
    auto input = std::make_unique<InputSystem>(std::move(fake));
    testing::internal::CaptureStdout();
    input->Init();
    initOutput = testing::internal::GetCapturedStdout();
    return input;
  }

  void Step(InputSystem& input) {
    clock->Advance(1.0 / 120.0);
    input.Update(1.0f / 120.0f);
  }

  TempFolder home;
  ScopedEnvironment homeVariable{"HOME", home.path.string()};
  ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path / "data").string()};
  ScopedEnvironment configHome{"XDG_CONFIG_HOME", std::nullopt};
  FakeInputSource* source = nullptr;
  std::string initOutput;
};

TEST_F(InputSystemTest, ActionStatesFollowTheBoundInputsUpdateByUpdate) {
  struct Frame {
    std::set<int> keys;
    float scrollY;
    ButtonState expected;
  };
  const struct {
    const char* name;
    GameAction action;
    std::vector<Frame> frames;
  } cases[] = {
      {"held for three updates",
       DASH,
       {{{kKeyLeftShift}, 0, ButtonState::TRIGGERED},
        {{kKeyLeftShift}, 0, ButtonState::TRUE},
        {{kKeyLeftShift}, 0, ButtonState::TRUE},
        {{}, 0, ButtonState::RELEASED},
        {{}, 0, ButtonState::FALSE}}},
      {"second binding pressed while the first is held",
       PAUSE,
       {{{kKeyEscape}, 0, ButtonState::TRIGGERED},
        {{kKeyEscape, kKeyP}, 0, ButtonState::TRIGGERED}}},
      {"first binding pressed while the second is held",
       PAUSE,
       {{{kKeyP}, 0, ButtonState::TRIGGERED}, {{kKeyEscape, kKeyP}, 0, ButtonState::TRIGGERED}}},
      {"first binding released while the second is held",
       PAUSE,
       {{{kKeyEscape, kKeyP}, 0, ButtonState::TRIGGERED}, {{kKeyP}, 0, ButtonState::TRUE}}},
      {"second binding released while the first is held",
       PAUSE,
       {{{kKeyEscape, kKeyP}, 0, ButtonState::TRIGGERED}, {{kKeyEscape}, 0, ButtonState::TRUE}}},
      {"wheel is an impulse",
       SKIP,
       {{{}, 1.0f, ButtonState::TRIGGERED},
        {{}, 0, ButtonState::RELEASED},
        {{}, 0, ButtonState::FALSE}}},
      {"an unbound key does nothing", DASH, {{{kKeyA}, 0, ButtonState::FALSE}}},
  };
  for (const auto& row : cases) {
    auto input = MakeInput();
    EXPECT_EQ(input->GetActionState(row.action), ButtonState::FALSE) << row.name;
    for (std::size_t i = 0; i < row.frames.size(); ++i) {
      source->keys = row.frames[i].keys;
      source->scroll = {0.0f, row.frames[i].scrollY};
      Step(*input);
      const ButtonState state = input->GetActionState(row.action);
      EXPECT_EQ(state, row.frames[i].expected) << row.name << ", update " << i;
      EXPECT_EQ(input->IsActionTriggered(row.action), state == ButtonState::TRIGGERED);
      EXPECT_EQ(input->IsActionReleased(row.action), state == ButtonState::RELEASED);
      EXPECT_EQ(input->IsActionTrue(row.action),
                state == ButtonState::TRIGGERED || state == ButtonState::TRUE);
      EXPECT_EQ(input->IsActionFalse(row.action), !input->IsActionTrue(row.action));
    }
  }
}

TEST_F(InputSystemTest, RangeValuesFollowAxesAndTheLastBindingThatApplies) {
  struct Frame {
    std::set<int> keys;
    glm::vec2 cursor;
    float expected;
  };
  const glm::vec2 still{0.0f, 0.0f};
  const struct {
    const char* name;
    GameAction action;
    std::vector<Frame> frames;
  } cases[] = {
      {"axis with sensitivity 2",
       X_AXIS,
       {{{}, still, 0.0f},
        {{kKeyA}, still, -2.0f},
        {{kKeyD}, still, 2.0f},
        {{kKeyA, kKeyD}, still, 0.0f},
        {{}, still, 0.0f}}},
      {"inverted axis", Y_AXIS, {{{kKeyA}, still, 2.0f}, {{kKeyD}, still, -2.0f}}},
      // Cursor motion counts from the third update on; from then on the mouse binding sets the
      // value on every update and hides the axis bound before it.
      {"axis then mouse motion",
       X_TURN,
       {{{kKeyD}, {50.0f, 0.0f}, 1.0f},
        {{kKeyD}, {80.0f, 0.0f}, 1.0f},
        {{kKeyD}, {90.0f, 0.0f}, 10.0f},
        {{kKeyD}, {90.0f, 0.0f}, 0.0f},
        {{kKeyA}, {85.0f, 0.0f}, -5.0f}}},
  };
  for (const auto& row : cases) {
    auto input = MakeInput();
    for (std::size_t i = 0; i < row.frames.size(); ++i) {
      source->keys = row.frames[i].keys;
      source->cursor = row.frames[i].cursor;
      Step(*input);
      EXPECT_FLOAT_EQ(input->GetActionRangeVal(row.action), row.frames[i].expected)
          << row.name << ", update " << i;
    }
  }
}

TEST_F(InputSystemTest, QueriesOutsideTheActionsReadAsIdle) {
  auto input = MakeInput();
  source->keys = {kKeyLeftShift};
  Step(*input);
  for (int action : {-1, kGameActionCount, 1000}) {
    EXPECT_EQ(input->GetActionState(action), ButtonState::FALSE);
    EXPECT_EQ(input->GetActionRangeVal(action), 0.0f);
  }
}

TEST_F(InputSystemTest, CursorMotionMovesTheVirtualCursorAndIsAnnouncedOnlyWhenItMoves) {
  std::vector<std::string> log;
  RecordingReceiver listener("listener", 1, &log);
  decs->AddChild(&listener);
  auto input = MakeInput();

  const glm::vec2 cursors[] = {{0, 0}, {0, 0}, {640, 360}, {640, 360}, {650, 350}};
  const glm::vec2 expectedVirtual[] = {{0, 0}, {0, 0}, {0, 0}, {640, 360}, {640, 360}};
  for (std::size_t i = 0; i < std::size(cursors); ++i) {
    source->cursor = cursors[i];
    Step(*input);
    EXPECT_EQ(input->GetMousePos(), expectedVirtual[i]) << "update " << i;
    EXPECT_EQ(input->GetCursorPosition(), cursors[i]) << "update " << i;
    EXPECT_EQ(input->GetPointerPosition(), cursors[i]) << "live, the pointer is the cursor";
  }
  // The last update added the motion of the one before (none) and measured (10, -10).
  EXPECT_EQ(input->GetMouseDelta(), glm::vec2(0, 0));
  EXPECT_FLOAT_EQ(input->GetActionRangeVal(VIRTUAL_CURSOR_X), 10.0f);
  EXPECT_FLOAT_EQ(input->GetActionRangeVal(VIRTUAL_CURSOR_Y), -10.0f);
  EXPECT_EQ(log, (std::vector<std::string>{"listener:MouseMotion 640.000000 360.000000",
                                           "listener:MouseMotion 650.000000 350.000000"}));
  EXPECT_EQ(source->polls, 5);
}

TEST_F(InputSystemTest, MouseModeTakesExactlyOneKnownWord) {
  const struct {
    const char* message;
    std::optional<CursorMode> mode;
  } cases[] = {
      {"mouse_mode normal", CursorMode::Normal}, {"mouse_mode locked", CursorMode::Locked},
      {"mouse_mode hidden", CursorMode::Hidden}, {"mouse_mode", std::nullopt},
      {"mouse_mode grabbed", std::nullopt},      {"mouse_mode locked now", std::nullopt},
      {"mouse_modes locked", std::nullopt},
  };
  auto input = MakeInput();
  for (const auto& row : cases) {
    source->cursorMode.reset();
    input->HandleMessage(row.message);
    EXPECT_EQ(source->cursorMode, row.mode) << row.message;
  }
}

TEST_F(InputSystemTest, FirstStartCopiesTheDefaultControlsAndLaterStartsKeepThePlayersCopy) {
  const std::string controls = GetSaveDataFolder() + "/Controls.json";
  std::filesystem::remove(controls);
  auto first = MakeInput();
  ASSERT_TRUE(std::filesystem::exists(controls));
  EXPECT_EQ(first->Bindings()[SEND_RING].size(), 1u);

  WriteControls({{"Inputs", json::array({Single("DASH", 0)})}});
  auto later = MakeInput();
  EXPECT_TRUE(later->Bindings()[SEND_RING].empty());
  ASSERT_EQ(later->Bindings()[DASH].size(), 1u);
  EXPECT_EQ(later->Bindings()[DASH][0].input, 0);
}

TEST_F(InputSystemTest, AnUnusableCopyIsKeptAsideAndTheDefaultsAreBoundAgain) {
  const std::string controls = GetSaveDataFolder() + "/Controls.json";
  const struct {
    std::string text;
    const char* reason;
  } cases[] = {
      {"{ \"Inputs\": [", "parse_error"},
      {"[1, 2]", "it has no \"Inputs\" array"},
      {"{\"Inputs\": " + std::string(100000, '['), "nested deeper than 256 levels"},
  };
  for (const auto& c : cases) {
    const std::string broken = c.text;
    SCOPED_TRACE(broken.substr(0, 20));
    std::ofstream(controls) << broken;
    testing::internal::CaptureStderr();
    auto input = MakeInput();
    const std::string errors = testing::internal::GetCapturedStderr();
    // One line tells what happened, and it is true: nothing says that no input is bound.
    EXPECT_EQ(errors, "");
    EXPECT_EQ(initOutput.find("no input is bound"), std::string::npos) << initOutput;
    const std::string told = "InputSystem : the controls file '" + controls + "' cannot be used (";
    ASSERT_NE(initOutput.find(told), std::string::npos) << initOutput;
    EXPECT_NE(initOutput.find(c.reason), std::string::npos) << initOutput;
    EXPECT_NE(initOutput.find("); it is kept as '" + controls +
                              ".bad' and the default controls are bound\n"),
              std::string::npos)
        << initOutput;
    EXPECT_EQ(input->Bindings()[SEND_RING].size(), 1u) << "the default controls are bound";
    std::ifstream aside(controls + ".bad");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), broken);
    EXPECT_TRUE(std::filesystem::exists(controls));
  }
}

TEST_F(InputSystemTest, FailedCopyOfTheDefaultsLeavesTheGameRunningUnbound) {
  std::filesystem::remove_all(GetSaveDataFolder());  // nowhere to copy to
  testing::internal::CaptureStderr();
  auto input = MakeInput();
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("could not copy the default controls"), std::string::npos) << errors;
  EXPECT_NE(errors.find("no input is bound"), std::string::npos) << errors;
  for (const auto& list : input->Bindings()) EXPECT_TRUE(list.empty());
  source->keys = {kKeyLeftShift};
  Step(*input);
  EXPECT_EQ(input->GetActionState(DASH), ButtonState::FALSE);
}

// Everything the game can ask of the input after one update.
struct Answers {
  std::vector<ButtonState> states;
  std::vector<float> ranges;
  glm::vec2 virtualCursor;
  bool operator==(const Answers&) const = default;
};

Answers Ask(const InputSystem& input) {
  Answers answers;
  for (int action = 0; action < kGameActionCount; ++action) {
    answers.states.push_back(input.GetActionState(action));
    answers.ranges.push_back(input.GetActionRangeVal(action));
  }
  answers.virtualCursor = input.GetMousePos();
  return answers;
}

class InputRecordingTest : public InputSystemTest {
 protected:
  // Records a short run: keys, a wheel step and cursor motion.
  std::vector<Answers> RecordRun() {
    std::filesystem::create_directories(RecordingFolder());
    std::ofstream(RecordingTriggerPath()) << "";
    decs->randomEngines.Seed(11, 22);

    auto recorder = MakeInput();
    EXPECT_TRUE(recorder->recording);
    EXPECT_TRUE(recorder->IsRecordingOrReplaying());
    EXPECT_FALSE(std::filesystem::exists(RecordingTriggerPath()));

    struct Frame {
      std::set<int> keys;
      glm::vec2 cursor;
      float scrollY;
    };
    const Frame frames[] = {
        {{kKeyD}, {0, 0}, 0}, {{kKeyD}, {0, 0}, 0},          {{kKeyA}, {4, 2}, 1},
        {{}, {10, 2}, 0},     {{kKeyLeftShift}, {10, 2}, 0}, {{}, {10, 2}, 0},
    };
    std::vector<Answers> answers;
    for (const Frame& frame : frames) {
      source->keys = frame.keys;
      source->cursor = frame.cursor;
      source->scroll = {0, frame.scrollY};
      Step(*recorder);
      answers.push_back(Ask(*recorder));
    }
    testing::internal::CaptureStdout();
    recorder->Shutdown();
    testing::internal::GetCapturedStdout();
    return answers;
  }
};

TEST_F(InputRecordingTest, ReplayGivesTheRecordedAnswersWithTheRecordedSeedsThenLiveInput) {
  const std::vector<Answers> recorded = RecordRun();
  ASSERT_TRUE(std::filesystem::exists(RecordingPath()));
  ASSERT_TRUE(std::filesystem::is_directory(SavedRecordingsFolder()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(SavedRecordingsFolder()),
                          std::filesystem::directory_iterator()),
            1);

  decs->randomEngines.Seed(1, 2);
  auto player = MakeInput();
  ASSERT_TRUE(player->playback);
  EXPECT_FALSE(player->recording);
  EXPECT_TRUE(player->IsRecordingOrReplaying());
  EXPECT_EQ(decs->randomEngines.standardSeed, 11u);
  EXPECT_EQ(decs->randomEngines.gameplaySeed, 22u);

  // Nothing is touched: the replay answers exactly as the recorded run did.
  for (std::size_t i = 0; i < recorded.size(); ++i) {
    Step(*player);
    EXPECT_TRUE(player->playback) << "update " << i;
    EXPECT_EQ(Ask(*player), recorded[i]) << "update " << i;
  }
  // The frames have run out: live input from now on.
  Step(*player);
  EXPECT_FALSE(player->playback);
  EXPECT_FALSE(player->IsRecordingOrReplaying());
  EXPECT_EQ(player->GetActionState(X_AXIS), ButtonState::FALSE);
  EXPECT_EQ(player->GetActionRangeVal(X_AXIS), 0.0f);
}

TEST_F(InputRecordingTest, LiveInputEndsTheReplayInThatUpdate) {
  const std::vector<Answers> recorded = RecordRun();
  auto player = MakeInput();
  ASSERT_TRUE(player->playback);
  Step(*player);
  EXPECT_EQ(Ask(*player), recorded[0]);

  source->buttons = {0};
  Step(*player);
  EXPECT_FALSE(player->playback);
  EXPECT_EQ(player->GetActionState(THROW_BLOCK), ButtonState::TRIGGERED);
  EXPECT_EQ(player->GetActionState(X_AXIS), ButtonState::FALSE);
}

TEST_F(InputRecordingTest, ReplayedCursorMotionMovesThePointerFromWhereTheCursorStood) {
  const std::vector<Answers> recorded = RecordRun();
  auto player = MakeInput();
  ASSERT_TRUE(player->playback);
  // The real cursor stands still somewhere else than in the recorded run.
  source->cursor = {100, 50};
  for (std::size_t i = 0; i < recorded.size(); ++i) {
    Step(*player);
    ASSERT_TRUE(player->playback);
    EXPECT_EQ(player->GetPointerPosition(), glm::vec2(100, 50) + recorded[i].virtualCursor)
        << "update " << i;
  }
  // The recorded cursor went from (0, 0) to (10, 2).
  EXPECT_EQ(player->GetPointerPosition(), glm::vec2(110, 52));
  // The frames have run out: the pointer is the real cursor again.
  Step(*player);
  ASSERT_FALSE(player->playback);
  EXPECT_EQ(player->GetPointerPosition(), glm::vec2(100, 50));
}

TEST_F(InputRecordingTest, TriggerWinsOverAnExistingRecording) {
  RecordRun();
  std::ofstream(RecordingTriggerPath()) << "";
  auto input = MakeInput();
  EXPECT_TRUE(input->recording);
  EXPECT_FALSE(input->playback);
}

TEST_F(InputRecordingTest, RecordedRunStepsTheMainLoopInFixedSixtiethsOfASecond) {
  std::filesystem::create_directories(RecordingFolder());
  std::ofstream(RecordingTriggerPath()) << "";
  testing::internal::CaptureStdout();
  const auto input = systems->RegisterSystem<InputSystem>(std::make_unique<FakeInputSource>());
  testing::internal::GetCapturedStdout();
  decs->SetInputReplayState(input.get());
  clock->Advance(0.05);
  decs->Update();
  EXPECT_EQ(decs->deltaTime, DECS::kFixedStep);
  EXPECT_EQ(decs->ups, 60.0f);
  EXPECT_EQ(decs->fps, 60.0f);
}

TEST_F(InputRecordingTest, RecordingThatCannotBeReplayedIsNotPlayedBack) {
  std::filesystem::create_directories(RecordingFolder());
  const std::string documents[] = {
      R"({"Frames": [], "Standard RNG Seed": 1, "Gameplay RNG Seed": 2})",
      R"({"Frames": [{"Frame Index": 0, "Button States": [3, 3], "Range Values": [0, 0]}],
          "Standard RNG Seed": 1, "Gameplay RNG Seed": 2})",
      R"({"Frames": )",
      // Crashed every start, as the recording is read at each one.
      R"({"Frames": [{"Frame Index": )" + std::string(300000, '[') + std::string(300000, ']') +
          R"(}], "Standard RNG Seed": 1, "Gameplay RNG Seed": 2})",
  };
  for (const std::string& fullDocument : documents) {
    const std::string document = fullDocument.substr(0, 60);
    std::ofstream(RecordingPath()) << fullDocument;
    decs->randomEngines.Seed(5, 6);
    testing::internal::CaptureStderr();
    auto input = MakeInput();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(input->playback) << document;
    EXPECT_FALSE(input->IsRecordingOrReplaying()) << document;
    EXPECT_NE(errors.find("is not played back"), std::string::npos) << errors;
    EXPECT_EQ(decs->randomEngines.standardSeed, 5u) << document;
    Step(*input);
    EXPECT_EQ(input->GetActionState(DASH), ButtonState::FALSE);
  }
}

}  // namespace
