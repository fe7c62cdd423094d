#pragma once
// What the pause and options menus need of the settings system; empty members do nothing.

#include <functional>

struct MenuSettingsLinks {
  // Makes sure the settings file has been read (it is read once per run).
  std::function<void()> load;
  // Writes the settings file; the values are taken from the window and the sound system.
  std::function<void()> save;
  std::function<bool()> fullscreen;
  std::function<bool()> muteAudio;
};
