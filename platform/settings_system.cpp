#include "platform/settings_system.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>

#include "engine/decs.h"
#include "engine/json_file.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "platform/mute_state.h"

namespace {

struct IntKey {
  const char* key;
  int SettingsSystem::*member;
  int fallback;
  bool fromBoolean;  // whether true/false read as 1/0
};

// In the order of the members; "WindowedResolution"/"WindowedPosition" are read separately.
constexpr IntKey kIntKeys[] = {
    {"Fullscreen", &SettingsSystem::Fullscreen, 1, true},
    {"MuteAudio", &SettingsSystem::MuteAudio, 0, true},
    {"GraphicsMode", &SettingsSystem::GraphicsMode, 0, false},
    {"GraphicsQuality", &SettingsSystem::GraphicsQuality, 2, false},
};

// A 32-bit integer from a JSON number (floating-point numbers truncate toward zero) or, when
// allowed, a boolean. Nothing for any other kind or a number outside the 32-bit range.
std::optional<int> ToInt(const nlohmann::json& value, bool fromBoolean) {
  if (value.is_boolean()) {
    if (!fromBoolean) return std::nullopt;
    return value.get<bool>() ? 1 : 0;
  }
  if (!value.is_number()) return std::nullopt;
  const double number = std::trunc(value.get<double>());
  if (!(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  return static_cast<int>(number);
}

void ReportWrongKind(const std::string& path, const char* key, const nlohmann::json& value,
                     const std::string& fallback) {
  std::printf("SettingsSystem : '%s' in '%s' is %s, not the expected kind; using the default %s\n",
              key, path.c_str(), value.dump().c_str(), fallback.c_str());
}

void ReadInt(const nlohmann::json& document, const std::string& path, const char* key, int fallback,
             bool fromBoolean, int& target) {
  target = fallback;
  if (!document.contains(key)) return;
  if (const auto value = ToInt(document[key], fromBoolean)) {
    target = *value;
  } else {
    ReportWrongKind(path, key, document[key], std::to_string(fallback));
  }
}

bool IsSettingsKey(const std::string& key) {
  static constexpr const char* kKeys[] = {
      "Fullscreen",         "WindowedResolution.X", "WindowedResolution.Y",
      "WindowedPosition.X", "WindowedPosition.Y",   "MuteAudio",
      "GraphicsMode",       "IsOrthographic",       "GraphicsQuality"};
  for (const char* known : kKeys) {
    if (key == known) return true;
  }
  return false;
}

// A window needs at least one pixel each way: a smaller stored size takes the default.
void KeepWindowSizeUsable(const std::string& path, const char* key, int fallback, int& value) {
  if (value >= 1) return;
  std::printf("SettingsSystem : '%s' in '%s' is %d, not a window size; using the default %d\n", key,
              path.c_str(), value, fallback);
  value = fallback;
}

}  // namespace

// Settings work on no entities.
void SettingsSystem::Init() {
  DECS::Instance().GetManager<SystemManager>()->SetSignature(TypeName<SettingsSystem>(), {});
}

std::string SettingsSystem::SettingsPath() { return GetSaveDataFolder() + "/settings.json"; }

std::string SettingsSystem::GraphicsModeName(int mode) {
  switch (mode) {
    case 1:
      return "Toon";
    case 2:
      return "ScreenToned";
    case 3:
      return "Noir";
    default:
      return "Default";
  }
}

void SettingsSystem::LoadSettings() {
  if (loaded) return;
  loaded = true;

  // Defaults first: every value below that cannot be read keeps its default.
  Fullscreen = 1;
  WindowedResolution = {1280, 720};
  WindowedPosition = {100, 100};
  MuteAudio = 0;
  GraphicsMode = 0;
  IsOrthographic = true;
  GraphicsQuality = 2;
  unreadableFile = false;
  otherKeys = nlohmann::json::object();

  std::string path;
  nlohmann::json document;
  try {
    path = SettingsPath();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
      if (error) {
        std::fprintf(stderr, "SettingsSystem : cannot look for '%s' (%s); using the defaults\n",
                     path.c_str(), error.message().c_str());
      }
      return;
    }
    JsonFile file;
    LoadJsonFile(file, path);
    document = std::move(file.document);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "SettingsSystem : settings file '%s' not read (%s); using the defaults\n",
                 path.c_str(), error.what());
    unreadableFile = true;
    return;
  }
  if (!document.is_object()) {
    unreadableFile = !document.is_null();
    return;
  }
  // Keys of other versions of the game are written back as they were.
  for (const auto& [key, value] : document.items()) {
    if (!IsSettingsKey(key)) otherKeys[key] = value;
  }

  for (const IntKey& key : kIntKeys) {
    ReadInt(document, path, key.key, key.fallback, key.fromBoolean, this->*key.member);
  }
  ReadInt(document, path, "WindowedResolution.X", 1280, true, WindowedResolution.x);
  ReadInt(document, path, "WindowedResolution.Y", 720, true, WindowedResolution.y);
  KeepWindowSizeUsable(path, "WindowedResolution.X", 1280, WindowedResolution.x);
  KeepWindowSizeUsable(path, "WindowedResolution.Y", 720, WindowedResolution.y);
  ReadInt(document, path, "WindowedPosition.X", 100, true, WindowedPosition.x);
  ReadInt(document, path, "WindowedPosition.Y", 100, true, WindowedPosition.y);
  if (document.contains("IsOrthographic")) {
    if (document["IsOrthographic"].is_boolean()) {
      IsOrthographic = document["IsOrthographic"].get<bool>();
    } else {
      ReportWrongKind(path, "IsOrthographic", document["IsOrthographic"], "true");
    }
  }
}

bool SettingsSystem::SaveSettings() {
  const bool fullscreenNow = links.windowFullscreen ? links.windowFullscreen() : Fullscreen != 0;
  // While in full screen the stored windowed values are kept for the way back.
  if (!fullscreenNow && links.windowRect) {
    if (const auto rect = links.windowRect(); rect && rect->width > 0 && rect->height > 0) {
      WindowedResolution = {rect->width, rect->height};
      WindowedPosition = {rect->x, rect->y};
    }
  }
  Fullscreen = fullscreenNow ? 1 : 0;
  if (muteState != nullptr) MuteAudio = muteState->IsMuted() ? 1 : 0;

  JsonFile file;
  file.document = otherKeys.is_object() ? otherKeys : nlohmann::json::object();
  file.document.update({
      {"Fullscreen", Fullscreen},
      {"WindowedResolution.X", WindowedResolution.x},
      {"WindowedResolution.Y", WindowedResolution.y},
      {"WindowedPosition.X", WindowedPosition.x},
      {"WindowedPosition.Y", WindowedPosition.y},
      {"MuteAudio", MuteAudio != 0 ? 1 : 0},
      {"IsOrthographic", IsOrthographic},
      {"GraphicsMode", GraphicsMode},
      {"GraphicsQuality", GraphicsQuality},
  });
  std::string path;
  try {
    path = SettingsPath();
    if (unreadableFile) {
      // The file the player had is not lost to the defaults: it is kept beside the new one.
      std::error_code error;
      if (std::filesystem::exists(path, error)) {
        const std::string aside = KeepFileAside(path);
        std::printf("SettingsSystem : the unreadable settings file '%s' is kept as '%s'\n",
                    path.c_str(), aside.c_str());
      }
      unreadableFile = false;
    }
    SaveJsonFile(file, path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "SettingsSystem : settings not saved to '%s': %s\n", path.c_str(),
                 error.what());
    return false;
  }
  return true;
}

std::vector<std::string> SettingsSystem::MissingLinks() const {
  std::vector<std::string> missing;
  if (!links.windowFullscreen) missing.emplace_back("windowFullscreen");
  if (!links.windowRect) missing.emplace_back("windowRect");
  if (muteState == nullptr) missing.emplace_back("muteState");
  return missing;
}
