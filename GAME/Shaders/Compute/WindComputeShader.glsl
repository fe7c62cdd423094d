#version 450 core
// The wind grid: one work group per tile, one invocation per sample. Each sample sums what the
// emitters blow at it (directional and moving emitters push along their direction, vortices
// turn around their centre, all fading to nothing at their radius) and samples the gust noise,
// which scrolls along "windDirection".
#include "GAME/Shaders/Include/WindGrid.glsl"
#include "GAME/Shaders/Include/BindingSlots.glsl"

layout(local_size_x = 4, local_size_y = 4, local_size_z = 1) in;

// Header (count, 0, 0, 0), then six vec4 per emitter: (type bits), (direction), (strength),
// (radius), (resolution bits), (position).
layout(std430, binding = WIND_EMITTERS_SLOT) readonly buffer WindEmitters {
  vec4 emitterHeader;
  vec4 emitterData[];
};

uniform int mapWidth;
uniform int mapHeight;
uniform float mapScale;
uniform sampler2D windNoiseMap;
uniform vec2 windDirection;
uniform float windPerlinScrollSpeed;
uniform float time;

const int kDirectional = 0;
const int kVortex = 1;

void main() {
  ivec2 tile = ivec2(gl_WorkGroupID.xy);
  ivec2 sub = ivec2(gl_LocalInvocationID.xy);
  if (tile.x >= mapWidth || tile.y >= mapHeight) return;
  vec2 position =
      WindSamplePosition(tile.x, tile.y, sub.x, sub.y, mapWidth, mapHeight, mapScale);

  vec2 wind = vec2(0.0);
  int count = int(emitterHeader.x);
  for (int i = 0; i < count; ++i) {
    int base = i * 6;
    int type = floatBitsToInt(emitterData[base].x);
    vec2 direction = emitterData[base + 1].xy;
    float strength = emitterData[base + 2].x;
    float radius = emitterData[base + 3].x;
    vec2 centre = emitterData[base + 5].xz;
    vec2 away = position - centre;
    float distance = length(away);
    if (radius <= 0.0 || distance >= radius) continue;
    float falloff = 1.0 - distance / radius;
    if (type == kVortex) {
      if (distance > 0.0001) wind += vec2(-away.y, away.x) / distance * strength * falloff;
    } else {
      wind += direction * strength * falloff;
    }
  }

  vec2 noiseCoordinate =
      position * 0.03 - windDirection * (time * windPerlinScrollSpeed * 20.0);
  float gust = textureLod(windNoiseMap, noiseCoordinate, 0.0).r;

  int base = WindSampleIndex(tile.x, tile.y, sub.x, sub.y, mapWidth) * 4;
  windSamples[base] = wind.x;
  windSamples[base + 1] = wind.y;
  windSamples[base + 2] = gust;
  windSamples[base + 3] = length(wind);
}
