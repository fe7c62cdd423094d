#include "platform/settings_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_system.h"
#include "engine/user_folders.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

struct Values {
  int fullscreen = 1;
  int width = 1280;
  int height = 720;
  int x = 100;
  int y = 100;
  int muteAudio = 0;
  int graphicsMode = 0;
  bool isOrthographic = true;
  int graphicsQuality = 2;
};

class SettingsSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    std::filesystem::create_directories(GetSaveDataFolder());
    testing::internal::CaptureStdout();
    settings = systems->RegisterSystem<SettingsSystem>().get();
    testing::internal::GetCapturedStdout();
  }

  static void WriteSettings(const std::string& text) {
    std::ofstream(SettingsSystem::SettingsPath()) << text;
  }

  static std::string ReadSettingsFile() {
    std::ifstream file(SettingsSystem::SettingsPath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  static void ExpectValues(const SettingsSystem& loaded, const Values& expected,
                           const std::string& name) {
    EXPECT_EQ(loaded.Fullscreen, expected.fullscreen) << name;
    EXPECT_EQ(loaded.WindowedResolution.x, expected.width) << name;
    EXPECT_EQ(loaded.WindowedResolution.y, expected.height) << name;
    EXPECT_EQ(loaded.WindowedPosition.x, expected.x) << name;
    EXPECT_EQ(loaded.WindowedPosition.y, expected.y) << name;
    EXPECT_EQ(loaded.MuteAudio, expected.muteAudio) << name;
    EXPECT_EQ(loaded.GraphicsMode, expected.graphicsMode) << name;
    EXPECT_EQ(loaded.IsOrthographic, expected.isOrthographic) << name;
    EXPECT_EQ(loaded.GraphicsQuality, expected.graphicsQuality) << name;
  }

  TempFolder home;
  ScopedEnvironment homeVariable{"HOME", home.path.string()};
  ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path / "data").string()};
  SettingsSystem* settings = nullptr;
};

TEST_F(SettingsSystemTest, FileGivesTheValuesAndEachBadValueItsDefault) {
  const struct {
    const char* name;
    std::optional<std::string> file;
    Values expected;
    std::vector<std::string> reportedKeys;
  } cases[] = {
      {"no file", std::nullopt, {}, {}},
      {"every key",
       R"({"Fullscreen": 0, "WindowedResolution.X": 1600, "WindowedResolution.Y": 900,
           "WindowedPosition.X": -20, "WindowedPosition.Y": 40, "MuteAudio": 1,
           "GraphicsMode": 3, "IsOrthographic": false, "GraphicsQuality": 0})",
       {0, 1600, 900, -20, 40, 1, 3, false, 0},
       {}},
      {"booleans and fractions",
       R"({"Fullscreen": true, "MuteAudio": 0.9, "WindowedResolution.X": 1920.7,
           "WindowedPosition.X": -5.9, "GraphicsQuality": 1.5})",
       {1, 1920, 720, -5, 100, 0, 0, true, 1},
       {}},
      {"window sizes below one pixel",
       R"({"Fullscreen": 0, "WindowedResolution.X": -5, "WindowedResolution.Y": 0})",
       {0, 1280, 720, 100, 100, 0, 0, true, 2},
       {"WindowedResolution.X", "WindowedResolution.Y"}},
      {"missing keys", R"({"GraphicsMode": 5})", {1, 1280, 720, 100, 100, 0, 5, true, 2}, {}},
      {"not an object", "null", {}, {}},
      {"wrong kinds",
       R"({"Fullscreen": "yes", "GraphicsMode": true, "IsOrthographic": 0,
           "GraphicsQuality": 1e12, "MuteAudio": 1, "WindowedResolution.Y": [600]})",
       {1, 1280, 720, 100, 100, 1, 0, true, 2},
       {"Fullscreen", "GraphicsMode", "IsOrthographic", "GraphicsQuality", "WindowedResolution.Y"}},
  };
  for (const auto& row : cases) {
    std::filesystem::remove(SettingsSystem::SettingsPath());
    if (row.file) WriteSettings(*row.file);
    SettingsSystem loaded;
    testing::internal::CaptureStdout();
    loaded.LoadSettings();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(loaded.loaded) << row.name;
    ExpectValues(loaded, row.expected, row.name);
    for (const std::string& key : row.reportedKeys) {
      EXPECT_NE(log.find("'" + key + "' in '" + SettingsSystem::SettingsPath()), std::string::npos)
          << row.name << ": " << log;
    }
    if (row.reportedKeys.empty()) {
      EXPECT_EQ(log.find("not the expected kind"), std::string::npos) << row.name << ": " << log;
    }
  }
}

TEST_F(SettingsSystemTest, UnreadableFileGivesTheDefaultsAndSaysWhichFile) {
  WriteSettings("{ \"Fullscreen\": 0, ");
  testing::internal::CaptureStderr();
  settings->LoadSettings();
  const std::string errors = testing::internal::GetCapturedStderr();
  ExpectValues(*settings, {}, "truncated file");
  EXPECT_NE(errors.find(SettingsSystem::SettingsPath()), std::string::npos) << errors;
}

TEST_F(SettingsSystemTest, SavingKeepsAnUnreadableFileAsideAndKeysOfOtherVersions) {
  WriteSettings("{ \"Fullscreen\": 0, ");
  testing::internal::CaptureStderr();
  settings->LoadSettings();
  testing::internal::GetCapturedStderr();
  testing::internal::CaptureStdout();
  EXPECT_TRUE(settings->SaveSettings());
  const std::string log = testing::internal::GetCapturedStdout();
  const std::string aside = SettingsSystem::SettingsPath() + ".bad";
  EXPECT_NE(log.find("kept as '" + aside + "'"), std::string::npos) << log;
  std::ifstream keptFile(aside);
  std::stringstream kept;
  kept << keptFile.rdbuf();
  EXPECT_EQ(kept.str(), "{ \"Fullscreen\": 0, ");

  // Only the first save replaces the unreadable file; later saves leave the kept one alone.
  std::filesystem::remove(aside);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(settings->SaveSettings());
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(std::filesystem::exists(aside));

  WriteSettings(R"({"GraphicsQuality": 1, "Language": "fr", "Volume": {"Music": 0.5}})");
  SettingsSystem readable;
  testing::internal::CaptureStdout();
  readable.LoadSettings();
  EXPECT_TRUE(readable.SaveSettings());
  testing::internal::GetCapturedStdout();
  const nlohmann::json saved = nlohmann::json::parse(ReadSettingsFile());
  EXPECT_EQ(saved["Language"], "fr");
  EXPECT_EQ(saved["Volume"]["Music"], 0.5);
  EXPECT_EQ(saved["GraphicsQuality"], 1);
  EXPECT_FALSE(std::filesystem::exists(aside));
}

TEST_F(SettingsSystemTest, DeeplyNestedFileIsUnreadableAndKeptAsideOnSave) {
  // Each crashed the game at every start: in the error report, in the copy kept for saving, or
  // in the save's indentation (growing with the square of the depth).
  const auto nested = [](std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"a known key", "{\"GraphicsMode\": " + nested(100000) + "}"},
      {"an unknown key", "{\"Fullscreen\": 0, \"Later\": " + nested(3000000) + "}"},
      {"an unknown key, less deep", "{\"Later\": " + nested(20000) + "}"},
  };
  const std::string aside = SettingsSystem::SettingsPath() + ".bad";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(aside);
    WriteSettings(c.text);
    SettingsSystem loaded;
    testing::internal::CaptureStderr();
    loaded.LoadSettings();
    const std::string errors = testing::internal::GetCapturedStderr();
    ExpectValues(loaded, {}, c.name);
    EXPECT_NE(errors.find(SettingsSystem::SettingsPath()), std::string::npos) << errors;
    EXPECT_NE(errors.find("nested deeper than 256 levels"), std::string::npos) << errors;

    testing::internal::CaptureStdout();
    EXPECT_TRUE(loaded.SaveSettings());
    testing::internal::GetCapturedStdout();
    std::ifstream keptFile(aside);
    std::stringstream kept;
    kept << keptFile.rdbuf();
    EXPECT_TRUE(kept.str() == c.text) << "the file is kept aside as it was";
    EXPECT_LT(ReadSettingsFile().size(), 1000u);
  }
}

TEST_F(SettingsSystemTest, FileIsReadOnlyOnce) {
  WriteSettings(R"({"GraphicsQuality": 1})");
  settings->LoadSettings();
  WriteSettings(R"({"GraphicsQuality": 0})");
  settings->LoadSettings();
  EXPECT_EQ(settings->GraphicsQuality, 1);
}

TEST_F(SettingsSystemTest, SaveWritesEveryKeyInOrderWithTheSoundSystemsMuteFlag) {
  WriteSettings(R"({"Fullscreen": 0, "WindowedResolution.X": 800, "WindowedResolution.Y": 600,
                    "WindowedPosition.X": 30, "WindowedPosition.Y": 40, "MuteAudio": 1,
                    "GraphicsMode": 2, "IsOrthographic": false, "GraphicsQuality": 1})");
  testing::internal::CaptureStdout();
  SoundSystem* sound = systems->RegisterSystem<SoundSystem>().get();
  testing::internal::GetCapturedStdout();
  SoundSystemLinks stored;
  stored.settings = settings;
  sound->SetLinks(stored);
  settings->SetMuteState(sound);
  EXPECT_TRUE(sound->muted);
  sound->HandleMessage("unmute");
  EXPECT_FALSE(sound->muted);

  testing::internal::CaptureStdout();
  EXPECT_TRUE(settings->SaveSettings());
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(settings->MuteAudio, 0);

  const std::string text = ReadSettingsFile();
  const nlohmann::json document = nlohmann::json::parse(text);
  EXPECT_TRUE(document["IsOrthographic"].is_boolean());
  EXPECT_TRUE(document["MuteAudio"].is_number_integer());
  const char* const order[] = {
      "Fullscreen",          "GraphicsMode",       "GraphicsQuality",    "IsOrthographic",
      "MuteAudio",           "WindowedPosition.X", "WindowedPosition.Y", "WindowedResolution.X",
      "WindowedResolution.Y"};
  std::size_t previous = 0;
  for (const char* key : order) {
    const std::size_t at = text.find(std::string("\"") + key + "\"");
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at + 1, previous) << key;
    previous = at + 1;
  }

  SettingsSystem reloaded;
  testing::internal::CaptureStdout();
  reloaded.LoadSettings();
  testing::internal::GetCapturedStdout();
  ExpectValues(reloaded, {0, 800, 600, 30, 40, 0, 2, false, 1}, "saved file");

  sound->HandleMessage("mute");
  EXPECT_TRUE(sound->muted);
}

TEST_F(SettingsSystemTest, FailedSaveIsReportedAndLeavesNoFile) {
  settings->LoadSettings();
  std::filesystem::remove_all(GetSaveDataFolder());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(settings->SaveSettings());
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("settings not saved to '" + SettingsSystem::SettingsPath()),
            std::string::npos)
      << errors;
  EXPECT_FALSE(std::filesystem::exists(SettingsSystem::SettingsPath()));
}

TEST(SettingsSystem, GraphicsModeNamesTheSceneSettingsFolder) {
  const struct {
    int mode;
    const char* name;
  } cases[] = {{0, "Default"}, {1, "Toon"},    {2, "ScreenToned"},
               {3, "Noir"},    {5, "Default"}, {-1, "Default"}};
  for (const auto& row : cases) EXPECT_EQ(SettingsSystem::GraphicsModeName(row.mode), row.name);
}

}  // namespace
