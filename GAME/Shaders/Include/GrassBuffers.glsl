// The grass's storage buffers and the map values its passes share.
//   disabled tiles: 1.0 for every tile that grows no grass
//   blades (declared by the stages that use them): one layer's blades, 16 floats each after
//              one leading word: (x, 0, z, height), (tile index, turn in radians, colour
//              choice 0..1, 0), 8 zeros
//   press cells: 16 x 16 press cells per tile, 0 (upright) to 1 (flat)
//   tile heights: the height of every tile
#include "GAME/Shaders/Include/BindingSlots.glsl"
layout(std430, binding = GRASS_DISABLED_TILES_SLOT) buffer DisabledTiles {
  float disabledTiles[];
};
layout(std430, binding = GRASS_PRESS_CELLS_SLOT) buffer PressCells {
  float pressCells[];
};
layout(std430, binding = GRASS_TILE_HEIGHTS_SLOT) buffer TileHeights {
  float tileHeights[];
};

const int kBladeFloats = 16;
const int kPressCellsPerSide = 16;

uniform int currentMapWidth;
uniform int currentMapHeight;
uniform int currentMapScale;
uniform float xOffset;
uniform float zOffset;

// The press cell under a world position, or -1 off the map.
int PressCellAt(vec2 worldXZ) {
  float scale = float(max(currentMapScale, 1));
  vec2 cell = (worldXZ - vec2(xOffset, zOffset)) / scale;
  if (cell.x < 0.0 || cell.y < 0.0 || cell.x >= float(currentMapWidth) ||
      cell.y >= float(currentMapHeight))
    return -1;
  ivec2 tile = ivec2(floor(cell));
  ivec2 sub = clamp(ivec2(fract(cell) * float(kPressCellsPerSide)), ivec2(0),
                    ivec2(kPressCellsPerSide - 1));
  int tileIndex = tile.y * currentMapWidth + tile.x;
  return tileIndex * kPressCellsPerSide * kPressCellsPerSide + sub.y * kPressCellsPerSide + sub.x;
}
