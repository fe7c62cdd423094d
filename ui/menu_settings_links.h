#pragma once
// What the pause and options menus need of the settings system; empty members do nothing.

#include <functional>
#include <glm/vec2.hpp>

struct MenuSettingsLinks {
  // Makes sure the settings file has been read (it is read once per run).
  std::function<void()> load;
  // Writes the settings file; the values are taken from the window and the sound system. False
  // when the file was not written.
  std::function<bool()> save;
  std::function<bool()> fullscreen;
  // The window's size when windowed, in pixels.
  std::function<glm::ivec2()> windowedResolution;
  std::function<bool()> muteAudio;
};
