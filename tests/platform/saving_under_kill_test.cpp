// The player's files survive the game being killed while it writes them. Each case runs the
// real saving code in a child process that saves again and again, kills it at a random moment
// 50 times, and after every kill reads the file back as the game would at its next start (the
// diary's case is in tests/ui/diary_under_kill_test.cpp).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "engine/json_file.h"
#include "engine/user_folders.h"
#include "platform/input_recording.h"
#include "platform/input_source.h"
#include "platform/input_system.h"
#include "platform/settings_system.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/kill_while_saving.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::KillWhileSaving;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

constexpr int kKills = 50;

// Reads a whole JSON file; null when it is missing or not whole JSON.
nlohmann::json ReadJson(const std::string& path) {
  std::ifstream file(path);
  if (!file) return nullptr;
  return nlohmann::json::parse(file, nullptr, /*allow_exceptions=*/false);
}

class SavingUnderKillTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    std::filesystem::create_directories(GetSaveDataFolder());
  }

  TempFolder home;
  ScopedEnvironment homeVariable{"HOME", home.path.string()};
  ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path / "data").string()};
  ScopedEnvironment configHome{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(SavingUnderKillTest, SettingsAreAlwaysOneWholeSave) {
  auto settings = systems->RegisterSystem<SettingsSystem>();
  const std::string path = SettingsSystem::SettingsPath();
  std::mt19937 random(7);
  for (int kill = 0; kill < kKills; ++kill) {
    KillWhileSaving(
        [&](int round) {
          settings->GraphicsMode = round % 4;
          settings->WindowedResolution = {640 + round % 640, 480};
          settings->SaveSettings();
        },
        std::chrono::milliseconds(20), random);
    const nlohmann::json saved = ReadJson(path);
    ASSERT_TRUE(saved.is_object()) << "after kill " << kill << " the settings file is damaged";
    ASSERT_TRUE(saved.contains("GraphicsMode") && saved.contains("WindowedResolution.X"))
        << saved.dump();
  }
}

TEST_F(SavingUnderKillTest, ControlsCopiedAtFirstStartAreWholeOrAbsent) {
  const std::string path = GetSaveDataFolder() + "/Controls.json";
  const nlohmann::json defaults = ReadJson("GAME/Settings/DefaultControls.json");
  ASSERT_TRUE(defaults.is_object());
  std::mt19937 random(11);
  for (int kill = 0; kill < kKills; ++kill) {
    KillWhileSaving(
        [&](int) {
          // Every round is a first start: the player's copy is made from the defaults.
          std::filesystem::remove(path);
          InputSystem input(std::make_unique<IdleInputSource>());
          input.Init();
        },
        std::chrono::milliseconds(20), random);
    // Killed before the copy was made, the next start copies it: absent is fine, damaged is not.
    if (!std::filesystem::exists(path)) continue;
    ASSERT_EQ(ReadJson(path), defaults) << "after kill " << kill << " the controls are damaged";
  }
}

TEST_F(SavingUnderKillTest, RecordingsAreAlwaysReplayable) {
  std::filesystem::create_directories(RecordingFolder());
  std::mt19937 random(13);
  for (int kill = 0; kill < kKills; ++kill) {
    KillWhileSaving(
        [&](int) {
          // A trigger file makes the run record; its Shutdown writes the recording.
          std::ofstream(RecordingTriggerPath()) << "";
          InputSystem input(std::make_unique<IdleInputSource>());
          input.Init();
          for (int update = 0; update < 30; ++update) input.Update(1.0f / 60.0f);
          input.Shutdown();
        },
        std::chrono::milliseconds(20), random);
    const nlohmann::json saved = ReadJson(RecordingPath());
    ASSERT_FALSE(saved.is_null()) << "after kill " << kill << " the recording is damaged";
    EXPECT_NO_THROW(RecordingFromJson(saved)) << saved.dump().substr(0, 200);
  }
}

}  // namespace
