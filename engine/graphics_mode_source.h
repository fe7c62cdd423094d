#pragma once
// GraphicsModeSource: the name of the player's post-processing look ("Default", "Toon",
// "ScreenToned" or "Noir"), which names the folder of per-scene settings. The settings system
// provides it.

#include <string>

class GraphicsModeSource {
 public:
  virtual ~GraphicsModeSource() = default;

  virtual std::string CurrentGraphicsModeName() const = 0;
};
