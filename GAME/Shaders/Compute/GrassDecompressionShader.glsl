#version 450 core
// Presses the grass down near the entities tagged "GrassInteractable" and lets it rise again:
// one work group per tile, one invocation per press cell (16 x 16 per tile). A cell takes the
// strongest press of the pressers around it and otherwise recovers at
// "grassDecompressionSpeed" per second.
#include "GAME/Shaders/Include/GrassBuffers.glsl"
#include "GAME/Shaders/Include/BindingSlots.glsl"

layout(local_size_x = 256) in;

layout(std430, binding = GRASS_PRESSERS_SLOT) readonly buffer Pressers {
  vec4 presserPositions[48];
};

uniform int grassDecompressionEntityCount;
uniform float grassDecompressionSpeed;
uniform float grassDeltaTime;

// World units around a presser where grass lies flat, fading to nothing at twice the distance.
const float kPressRadius = 0.6;

void main() {
  ivec2 tile = ivec2(gl_WorkGroupID.xy);
  if (tile.x >= currentMapWidth || tile.y >= currentMapHeight) return;
  int local = int(gl_LocalInvocationID.x);
  ivec2 sub = ivec2(local % kPressCellsPerSide, local / kPressCellsPerSide);
  float scale = float(max(currentMapScale, 1));
  vec2 position = vec2(xOffset, zOffset) +
                  (vec2(tile) + (vec2(sub) + 0.5) / float(kPressCellsPerSide)) * scale;

  float press = 0.0;
  int count = clamp(grassDecompressionEntityCount, 0, 48);
  for (int i = 0; i < count; ++i) {
    float distance = length(presserPositions[i].xz - position);
    press = max(press, clamp(2.0 - distance / kPressRadius, 0.0, 1.0));
  }
  int cell = (tile.y * currentMapWidth + tile.x) * kPressCellsPerSide * kPressCellsPerSide + local;
  float recovered = pressCells[cell] - grassDecompressionSpeed * grassDeltaTime;
  pressCells[cell] = clamp(max(recovered, press), 0.0, 1.0);
}
