#pragma once
// The shader storage buffer binding points of the game's GPU passes, each named once. Shaders
// name the same slots through GAME/Shaders/Include/BindingSlots.glsl, one macro per slot
// (WIND_GRID_SLOT...) with the same number; tests/render/gpu_binding_slots_test.cpp checks that
// the two lists agree and that no shader binds a storage buffer by a bare number.
//
// Every buffer has a slot of its own, so a pass never reads another pass's buffer left bound on
// its slot. All lie below 8, the fewest storage bindings an OpenGL 4.3 driver offers.

namespace gpu_slots {

// The wind compute pass's input: a header and the packed emitters
// (gameplay/wind_emitter_packing.h).
inline constexpr unsigned int kWindEmitters = 0;
// Per tile, 1.0 where no grass grows.
inline constexpr unsigned int kGrassDisabledTiles = 1;
// One grass layer's blades: a leading word, then 16 floats per blade.
inline constexpr unsigned int kGrassBlades = 2;
// 16 x 16 press cells per tile, 0 (upright) to 1 (flat).
inline constexpr unsigned int kGrassPressCells = 3;
// The wind grid the wind pass writes and the grass and the wind view read.
inline constexpr unsigned int kWindGrid = 4;
// The height of every tile, for grass on sinking tiles.
inline constexpr unsigned int kGrassTileHeights = 5;
// One grass layer's indirect draw command; its instance count is the layer's blade count.
inline constexpr unsigned int kGrassDrawCommand = 6;
// The positions of what presses the grass down.
inline constexpr unsigned int kGrassPressers = 7;

// Every slot with the name shaders give it.
struct NamedSlot {
  const char* glslName;
  unsigned int slot;
};
inline constexpr NamedSlot kAllSlots[] = {
    {"WIND_EMITTERS_SLOT", kWindEmitters},
    {"GRASS_DISABLED_TILES_SLOT", kGrassDisabledTiles},
    {"GRASS_BLADES_SLOT", kGrassBlades},
    {"GRASS_PRESS_CELLS_SLOT", kGrassPressCells},
    {"WIND_GRID_SLOT", kWindGrid},
    {"GRASS_TILE_HEIGHTS_SLOT", kGrassTileHeights},
    {"GRASS_DRAW_COMMAND_SLOT", kGrassDrawCommand},
    {"GRASS_PRESSERS_SLOT", kGrassPressers},
};

}  // namespace gpu_slots
