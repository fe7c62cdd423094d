#pragma once
// SettingsSystem: the player's display and audio settings, kept in GetSaveDataFolder() +
// "/settings.json". The first system registered; it handles no messages and has no per-frame
// work. Others call LoadSettings before reading a value (only the first call reads the file) and
// SaveSettings when settings are applied and when the program ends.
//
// The file is one JSON object:
//   "Fullscreen" 1, "GraphicsMode" 0, "GraphicsQuality" 2, "IsOrthographic" true, "MuteAudio" 0,
//   "WindowedPosition.X" 100, "WindowedPosition.Y" 100, "WindowedResolution.X" 1280,
//   "WindowedResolution.Y" 720  (the defaults, in the order written).
// "IsOrthographic" is a boolean, every other key an integer; integers are also read from
// booleans (except "GraphicsMode" and "GraphicsQuality") and from floating-point numbers
// (truncated). A missing file, a document that is not an object, or a missing key gives the
// defaults; a value of the wrong kind gives its key's default and a line on standard output; a
// file that cannot be read or parsed gives every default and a line on standard error. A window
// size below 1 takes its default with a line naming the key.
//
// Saving keeps what the player had: keys the game does not know are written back as read, and
// a file that could not be read (or is not an object) is renamed to "settings.json.bad" before
// the first save replaces it.

#include <functional>
#include <glm/vec2.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "platform/monitor_layout.h"
#include "platform/mute_state.h"

// What SaveSettings reads of the window (the PlatformSystem); app/ fills it. Each may be empty:
// the stored values are then saved as they stand.
struct SettingsSystemLinks {
  // Whether the window is in full screen now.
  std::function<bool()> windowFullscreen;
  // The window's position and size; empty without a window.
  std::function<std::optional<ScreenRect>()> windowRect;
};

class SettingsSystem : public BaseSystem {
 public:
  void Init() override;

  void SetLinks(SettingsSystemLinks value) { links = std::move(value); }
  // The window links and the mute state that are not set.
  std::vector<std::string> MissingLinks() const override;

  // GraphicsModeName of the current GraphicsMode, as the values stand (no file is read).
  std::string CurrentGraphicsModeName() const { return GraphicsModeName(GraphicsMode); }

  // Fills the values from the file, once; later calls return at once.
  void LoadSettings();

  // Where SaveSettings reads whether audio is muted (the sound system); not owned, may be null.
  void SetMuteState(const MuteState* state) { muteState = state; }

  // Takes the full-screen flag and, while windowed, the window's size and position from the
  // window links and the mute flag from the mute state (each when there is one), and writes
  // the file atomically. Returns false, with a line on standard error, when it was not written.
  bool SaveSettings();

  // The post-processing look's folder name: 0 "Default", 1 "Toon", 2 "ScreenToned", 3 "Noir";
  // any other value "Default".
  static std::string GraphicsModeName(int mode);

  // The settings file's path.
  static std::string SettingsPath();

  bool loaded = false;
  int Fullscreen = 1;
  glm::ivec2 WindowedResolution{1280, 720};
  glm::ivec2 WindowedPosition{100, 100};
  int MuteAudio = 0;
  int GraphicsMode = 0;
  bool IsOrthographic = true;
  int GraphicsQuality = 2;

 private:
  // The file existed but could not be read; it is kept aside at the next save.
  bool unreadableFile = false;
  // Keys of the file that are not settings of this game, written back on save.
  nlohmann::json otherKeys = nlohmann::json::object();
  const MuteState* muteState = nullptr;
  SettingsSystemLinks links;
};
DECLARE_TYPE_NAME(class, SettingsSystem);
