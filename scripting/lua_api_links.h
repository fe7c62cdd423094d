#pragma once
// What the global Lua API needs from systems outside scripting (the input, the rings, the hints,
// the scene stack, the tile world). The composition root fills these once the systems exist; a
// link left empty makes its functions answer as if the system had nothing to offer: every action
// FALSE with range 0 and the virtual cursor still at 0,0, ring counts 0, no hint shown, no
// current scene, tile groups standing and collidable.

#include <functional>
#include <memory>
#include <string>

class InputSystem;

struct LuaApiLinks {
  // The action states and range values and the virtual cursor of the `input` table.
  std::shared_ptr<const InputSystem> input;
  // Number of rings in the left (Floreth) and right (Sundrel) hand.
  std::function<int()> leftHandRingCount;
  std::function<int()> rightHandRingCount;
  // Shows HUD hint number `hint`.
  std::function<void(int hint)> showHint;
  // The name of the scene pushed last among those loaded; empty when none is.
  std::function<std::string()> currentSceneName;
  // How far the tiles of a group (0..15) sit below their own height right now, in map units
  // before the map's y scale (0 while standing, the lowered height while lowered, less while
  // rising); 0 for any other group id.
  std::function<float(int group)> tileGroupHeight;
  // False only while a group 0..15 is lowered.
  std::function<bool(int group)> isTileGroupCollidable;
};
