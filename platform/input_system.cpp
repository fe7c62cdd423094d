#include "platform/input_system.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "engine/decs.h"
#include "engine/json_file.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/random_engines.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "engine/whole_file.h"
#include "platform/controls_file.h"
#include "platform/os/file_path.h"

namespace {

constexpr const char* kDefaultControlsPath = "./GAME/Settings/DefaultControls.json";

// Whether a file is there; a status query that fails for another reason than "not found" is
// reported and read as "not there".
bool FileExists(const std::string& path) {
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (error) {
    std::fprintf(stderr, "InputSystem : cannot look for '%s': %s\n", path.c_str(),
                 error.message().c_str());
  }
  return exists;
}

}  // namespace

InputSystem::InputSystem() : InputSystem(nullptr) {}

InputSystem::InputSystem(std::unique_ptr<InputSource> inputSource)
    : source(std::move(inputSource)) {
  // Input is also read while the engine steps frozen.
  freezable = false;
  states.fill(ButtonState::FALSE);
  lastActiveTime.fill(-1.0);
  DecideRecordingMode();
}

void InputSystem::DecideRecordingMode() {
  try {
    const std::string trigger = RecordingTriggerPath();
    recording = FileExists(trigger);
    if (recording) {
      std::error_code error;
      std::filesystem::remove(trigger, error);
      if (error) {
        std::fprintf(stderr, "InputSystem : cannot remove '%s': %s\n", trigger.c_str(),
                     error.message().c_str());
      }
      const RandomEngines& engines = DECS::Instance().randomEngines;
      recorded.standardSeed = engines.standardSeed;
      recorded.gameplaySeed = engines.gameplaySeed;
      playback = false;
      return;
    }
    if (FileExists(RecordingPath())) StartPlayback();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "InputSystem : input recording is off: %s\n", error.what());
    recording = false;
    playback = false;
  }
}

void InputSystem::StartPlayback() {
  std::string path = RecordingPath();
  try {
    JsonFile file;
    LoadJsonFile(file, path);
    recorded = RecordingFromJson(file.document);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "InputSystem : recording '%s' is not played back: %s\n", path.c_str(),
                 error.what());
    recorded = InputRecording{};
    playback = false;
    return;
  }
  playback = true;
  // The replayed run draws the same random numbers as the recorded one.
  DECS::Instance().randomEngines.Seed(recorded.standardSeed, recorded.gameplaySeed);
}

void InputSystem::Init() {
  engine = &DECS::Instance();
  SystemManager& systems = *engine->GetManager<SystemManager>();
  systems.SetSignature(TypeName<InputSystem>(), {"class Physics", "class TagContainer"});
  messaging = engine->GetManager<MessagingManager>().get();
  level = 1;
  pausable = false;

  if (!source) {
    std::printf("InputSystem : no window, input stays idle\n");
    source = std::make_unique<IdleInputSource>();
  }

  FindControlsFile();

  virtualCursor = previousVirtualCursor = {0.0f, 0.0f};
  lastActiveTime.fill(-1.0);
  current.fill(0.0f);
  previous.fill(0.0f);
}

void InputSystem::FindControlsFile() {
  std::string path;
  try {
    path = GetSaveDataFolder() + "/Controls.json";
  } catch (const std::exception& error) {
    std::fprintf(stderr, "InputSystem : no controls file, no input is bound: %s\n", error.what());
    return;
  }
  // The copy is written whole or not at all: one cut short by a crash would be a damaged file
  // that the next start has to set aside. Empty when it was written, else why not.
  const auto copyDefaults = [&path] {
    std::string problem;
    std::string defaults;
    const WholeFileRead read = ReadWholeFile(os::NormalizePath(kDefaultControlsPath), defaults);
    if (read != WholeFileRead::kRead) {
      problem = "the defaults " + DescribeWholeFileRead(read);
    } else {
      try {
        WriteFileAtomically(path, defaults);
      } catch (const std::exception& error) {
        problem = error.what();
      }
    }
    return problem;
  };
  // The player's copy is never overwritten: a changed default reaches only new players.
  if (!FileExists(path)) {
    if (const std::string problem = copyDefaults(); !problem.empty()) {
      std::fprintf(stderr,
                   "InputSystem : could not copy the default controls '%s' to '%s' (%s); no "
                   "input is bound\n",
                   kDefaultControlsPath, path.c_str(), problem.c_str());
      return;
    }
  }
  std::string unusable;
  if (::LoadControls(path, bindings, unusable)) return;

  // A copy the game cannot use would leave the player without input: it is kept aside for the
  // player and the default controls take its place. One line says what became of it.
  std::string aside;
  try {
    aside = KeepFileAside(path);
  } catch (const std::exception& error) {
    std::fprintf(stderr,
                 "InputSystem : the controls file '%s' cannot be used (%s) and is left as it is "
                 "(%s); no input is bound\n",
                 path.c_str(), unusable.c_str(), error.what());
    return;
  }
  std::string defaultsProblem = copyDefaults();
  if (defaultsProblem.empty() && ::LoadControls(path, bindings, defaultsProblem)) {
    std::printf(
        "InputSystem : the controls file '%s' cannot be used (%s); it is kept as '%s' "
        "and the default controls are bound\n",
        path.c_str(), unusable.c_str(), aside.c_str());
    return;
  }
  std::fprintf(stderr,
               "InputSystem : the controls file '%s' cannot be used (%s); it is kept as '%s', "
               "and the default controls '%s' cannot be bound either (%s); no input is bound\n",
               path.c_str(), unusable.c_str(), aside.c_str(), kDefaultControlsPath,
               defaultsProblem.c_str());
}

void InputSystem::LoadControls(const std::string& path) {
  std::string problem;
  if (!::LoadControls(path, bindings, problem)) {
    std::fprintf(stderr, "InputSystem : controls file '%s' not loaded, no input is bound: %s\n",
                 path.c_str(), problem.c_str());
  }
}

void InputSystem::HandleMessage(const std::string& message) {
  if (!IsMessage(message, "mouse_mode")) return;
  std::string mode;
  if (!ParseMessageArguments(message, mode) || !source) return;
  if (mode == "normal") {
    source->SetCursorMode(CursorMode::Normal);
  } else if (mode == "locked") {
    source->SetCursorMode(CursorMode::Locked);
  } else if (mode == "hidden") {
    source->SetCursorMode(CursorMode::Hidden);
  }
}

void InputSystem::Update(float) {
  if (!source || engine == nullptr) return;
  source->PollEvents();
  PollInputs();
  UpdateActions();

  if (playback &&
      (mostRecentTime != -1.0 || frameCounter >= static_cast<int>(recorded.frames.size()))) {
    playback = false;
  }
  if (recording) {
    RecordedFrame frame;
    frame.frameIndex = frameCounter;
    frame.states = states;
    frame.ranges = ranges;
    recorded.frames.push_back(frame);
  }
  ++frameCounter;
}

void InputSystem::PollInputs() {
  previousMouse = mouse;
  mouse = source->CursorPosition();
  if (frameCounter == 0) playbackPointerOrigin = mouse;
  if (mouse != previousMouse && messaging != nullptr) {
    char text[128];
    std::snprintf(text, sizeof(text), "MouseMotion %f %f", static_cast<double>(mouse.x),
                  static_cast<double>(mouse.y));
    messaging->PostFormatted("%s", 0, text);
  }

  previous = current;
  for (int slot = 0; slot < kKeySlotCount; ++slot) {
    current[static_cast<std::size_t>(slot)] =
        source->IsKeyDown(kSlotKeyCodes[static_cast<std::size_t>(slot)]) ? 1.0f : 0.0f;
  }
  for (int button = 0; button < kMouseButtonCount; ++button) {
    current[static_cast<std::size_t>(kFirstMouseButtonSlot + button)] =
        source->IsMouseButtonDown(button) ? 1.0f : 0.0f;
  }
  // The first two polls have no trustworthy earlier cursor position.
  if (frameCounter > 1) {
    current[kMouseMotionXSlot] = mouse.x - previousMouse.x;
    current[kMouseMotionYSlot] = mouse.y - previousMouse.y;
  }
  const glm::vec2 scroll = source->TakeScroll();
  current[kScrollXSlot] = scroll.x;
  current[kScrollYSlot] = scroll.y;

  const double now = engine->Clock().Now();
  for (std::size_t slot = 0; slot < current.size(); ++slot) {
    if (current[slot] != 0.0f) lastActiveTime[slot] = now;
  }

  // The cursor moves by the values of the previous update (or of the replayed frame).
  previousVirtualCursor = virtualCursor;
  virtualCursor +=
      glm::vec2(GetActionRangeVal(VIRTUAL_CURSOR_X), GetActionRangeVal(VIRTUAL_CURSOR_Y));

  mostRecentTime = *std::max_element(lastActiveTime.begin(), lastActiveTime.end());
}

void InputSystem::UpdateActions() {
  const auto active = [](float value) { return std::fabs(value) > 0.0f; };

  for (std::size_t action = 0; action < bindings.size(); ++action) {
    const std::vector<InputBinding>& list = bindings[action];

    // TRIGGERED beats TRUE, which beats RELEASED, which beats FALSE.
    ButtonState state = ButtonState::FALSE;
    for (const InputBinding& binding : list) {
      const int slots[2] = {binding.input, binding.input2};
      bool triggered = false;
      for (const int slot : slots) {
        if (slot < 0 || slot >= kInputSlotCount) continue;
        const bool now = active(current[static_cast<std::size_t>(slot)]);
        const bool before = active(previous[static_cast<std::size_t>(slot)]);
        if (now && !before) {
          state = ButtonState::TRIGGERED;
          triggered = true;
          break;
        }
        if (now && before) {
          state = ButtonState::TRUE;
        } else if (!now && before && state != ButtonState::TRUE) {
          state = ButtonState::RELEASED;
        }
      }
      if (triggered) break;
    }
    states[action] = state;

    // A later binding overrides an earlier one whenever it applies.
    float value = 0.0f;
    for (const InputBinding& binding : list) {
      if (binding.input < 0 || binding.input >= kInputSlotCount) continue;
      const auto input = static_cast<std::size_t>(binding.input);
      const float sign = binding.invert ? -1.0f : 1.0f;
      if (binding.input2 < 0 || binding.input2 >= kInputSlotCount) {
        if (lastActiveTime[input] > 0.0) value = binding.sensitivity * current[input] * sign;
        continue;
      }
      const auto input2 = static_cast<std::size_t>(binding.input2);
      if (std::max(lastActiveTime[input], lastActiveTime[input2]) > 0.0) {
        const bool negative = current[input] != 0.0f;
        const bool positive = current[input2] != 0.0f;
        if (negative && positive) {
          value = 0.0f;
        } else if (negative) {
          value = -binding.sensitivity * sign;
        } else if (positive) {
          value = binding.sensitivity * sign;
        }
      }
    }
    ranges[action] = value;
  }
}

const RecordedFrame& InputSystem::PlaybackFrame() const {
  const int last = static_cast<int>(recorded.frames.size()) - 1;
  const int index = std::clamp(frameCounter - 1, 0, std::max(last, 0));
  return recorded.frames[static_cast<std::size_t>(index)];
}

ButtonState InputSystem::GetActionState(int action) const {
  if (action < 0 || action >= kGameActionCount) return ButtonState::FALSE;
  const auto index = static_cast<std::size_t>(action);
  if (playback && !recorded.frames.empty()) return PlaybackFrame().states[index];
  return states[index];
}

float InputSystem::GetActionRangeVal(int action) const {
  if (action < 0 || action >= kGameActionCount) return 0.0f;
  const auto index = static_cast<std::size_t>(action);
  if (playback && !recorded.frames.empty()) return PlaybackFrame().ranges[index];
  return ranges[index];
}

bool InputSystem::IsActionTrue(int action) const {
  const ButtonState state = GetActionState(action);
  return state == ButtonState::TRIGGERED || state == ButtonState::TRUE;
}

void InputSystem::Shutdown() {
  if (recording) WriteRecording();
}

void InputSystem::WriteRecording() const {
  JsonFile file;
  file.document = RecordingToJson(recorded);
  std::string path = RecordingPath();
  try {
    std::filesystem::create_directories(RecordingFolder());
    SaveJsonFile(file, path);
    std::filesystem::create_directories(SavedRecordingsFolder());
    std::ostringstream stamp;
    stamp << (engine != nullptr ? engine->Clock().Now() : 0.0);
    path = SavedRecordingsFolder() + "macro" + stamp.str() + ".txt";
    SaveJsonFile(file, path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "InputSystem : the recording was not saved to '%s': %s\n", path.c_str(),
                 error.what());
  }
}
