#version 450 core
// Grows one layer of grass: one work group per tile, one invocation per blade slot of the
// tile's d x d grid. A slot keeps its blade where the density map is brighter than the slot's
// own random threshold; kept blades are appended to the blade buffer and counted into the
// layer's draw command.
#include "GAME/Shaders/Include/GrassBuffers.glsl"
#include "GAME/Shaders/Include/BindingSlots.glsl"

layout(local_size_x = 1, local_size_y = 1, local_size_z = 16) in;

layout(std430, binding = GRASS_BLADES_SLOT) writeonly buffer Blades {
  float bladeHeader;
  float blades[];
};
#include "GAME/Shaders/Include/GrassDrawCommand.glsl"

uniform sampler2D densityMap;
uniform sampler2D heightMap;
uniform float maxDensity;
uniform float foliageMinHeight;
uniform float foliageMaxHeight;
uniform int bladeCapacity;
uniform int layerIndex;

// A number in [0, 1) from three integers.
float Hash(uvec3 v) {
  v = v * 1664525u + 1013904223u;
  v.x += v.y * v.z;
  v.y += v.z * v.x;
  v.z += v.x * v.y;
  v ^= v >> 16u;
  v.x += v.y * v.z;
  v.y += v.z * v.x;
  v.z += v.x * v.y;
  return float(v.x >> 8u) / 16777216.0;
}

void main() {
  ivec2 tile = ivec2(gl_WorkGroupID.xy);
  int d = int(maxDensity);
  int slot = int(gl_GlobalInvocationID.z);
  if (d <= 0 || slot >= d * d || tile.x >= currentMapWidth || tile.y >= currentMapHeight) return;
  int tileIndex = tile.y * currentMapWidth + tile.x;
  if (disabledTiles[tileIndex] >= 0.5) return;

  uint seed = uint(tileIndex) * 4099u + uint(layerIndex) * 7919u;
  vec2 jitter = vec2(Hash(uvec3(seed, slot, 1u)), Hash(uvec3(seed, slot, 2u)));
  vec2 inTile = (vec2(slot % d, slot / d) + jitter) / float(d);
  vec2 mapCoordinate = (vec2(tile) + inTile) / vec2(currentMapWidth, currentMapHeight);
  float density = textureLod(densityMap, mapCoordinate, 0.0).r;
  if (density <= Hash(uvec3(seed, slot, 3u))) return;

  uint index = atomicAdd(instanceCount, 1u);
  if (index >= uint(bladeCapacity)) {
    atomicAdd(instanceCount, 0xFFFFFFFFu);  // full: take the count back
    return;
  }
  float scale = float(max(currentMapScale, 1));
  float height = mix(foliageMinHeight, foliageMaxHeight,
                     textureLod(heightMap, mapCoordinate, 0.0).r);
  int base = int(index) * kBladeFloats;
  blades[base + 0] = xOffset + (float(tile.x) + inTile.x) * scale;
  blades[base + 1] = 0.0;
  blades[base + 2] = zOffset + (float(tile.y) + inTile.y) * scale;
  blades[base + 3] = height;
  blades[base + 4] = float(tileIndex);
  blades[base + 5] = Hash(uvec3(seed, slot, 4u)) * 6.2831853;
  blades[base + 6] = Hash(uvec3(seed, slot, 5u));
  for (int i = 7; i < kBladeFloats; ++i) blades[base + i] = 0.0;
}
