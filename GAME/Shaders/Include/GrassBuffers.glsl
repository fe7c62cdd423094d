// The grass's storage buffers and the map values its passes share.
//   binding 1: 1.0 for every tile that grows no grass
//   binding 2: the blades of one layer, 16 floats each after one leading word:
//              (x, 0, z, height), (tile index, turn in radians, colour choice 0..1, 0), 8 zeros
//   binding 3: 16 x 16 press cells per tile, 0 (upright) to 1 (flat)
//   binding 5: the height of every tile
layout(std430, binding = 1) buffer DisabledTiles {
  float disabledTiles[];
};
layout(std430, binding = 3) buffer PressCells {
  float pressCells[];
};
layout(std430, binding = 5) buffer TileHeights {
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
