// The wind grid the wind compute pass writes: one leading word (the update parity), then per
// tile of the map 4 x 4 samples of (wind x, wind z, gust noise 0..1, wind speed), tiles in rows
// along x, samples in rows along x inside their tile.
#include "GAME/Shaders/Include/BindingSlots.glsl"
layout(std430, binding = WIND_GRID_SLOT) buffer WindGrid {
  float bufferSelect;
  float windSamples[];
};

const int kWindSamplesPerSide = 4;

// Index of the sample of tile (tileX, tileZ) at (subX, subZ) in a map `width` tiles wide.
int WindSampleIndex(int tileX, int tileZ, int subX, int subZ, int width) {
  return ((tileZ * width + tileX) * kWindSamplesPerSide + subZ) * kWindSamplesPerSide + subX;
}

// World position (x, z) of a sample on a map centred on the origin with square tiles of side
// `scale`.
vec2 WindSamplePosition(int tileX, int tileZ, int subX, int subZ, int width, int height,
                        float scale) {
  vec2 tile = vec2(tileX, tileZ) + (vec2(subX, subZ) + 0.5) / float(kWindSamplesPerSide);
  return (tile - 0.5 * vec2(width, height)) * scale;
}

vec4 ReadWindSample(int index) {
  int base = index * 4;
  return vec4(windSamples[base], windSamples[base + 1], windSamples[base + 2],
              windSamples[base + 3]);
}

// The wind at a world position: the sample of the tile part under it; zero off the map.
vec4 WindAt(vec2 worldXZ, int width, int height, float scale) {
  if (width <= 0 || height <= 0 || scale <= 0.0) return vec4(0.0);
  vec2 cell = worldXZ / scale + 0.5 * vec2(width, height);
  if (cell.x < 0.0 || cell.y < 0.0 || cell.x >= float(width) || cell.y >= float(height))
    return vec4(0.0);
  ivec2 tile = ivec2(floor(cell));
  ivec2 sub = clamp(ivec2(fract(cell) * float(kWindSamplesPerSide)), ivec2(0),
                    ivec2(kWindSamplesPerSide - 1));
  return ReadWindSample(WindSampleIndex(tile.x, tile.y, sub.x, sub.y, width));
}
