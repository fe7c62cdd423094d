#version 450 core
// Ground lifted by the slam shock waves: each live wave is a ring of height `height` and width
// `width` that leaves `origin` (world x, z) at `speed` and fades out by `dist`.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 textureCoordinate;

struct WaveData {
  vec2 origin;
  float time;
  float dist;
  float height;
  float width;
  float speed;
};

uniform mat4 viewProjection;
uniform WaveData waveData[9];

out vec2 texCoord;
flat out int unitA;
flat out vec4 diffuse;

float WaveLift(vec2 ground) {
  float lift = 0.0;
  for (int i = 0; i < 9; ++i) {
    WaveData wave = waveData[i];
    if (wave.time <= 0.0 || wave.width <= 0.0) continue;
    float front = wave.time * wave.speed;
    float fade = wave.dist > 0.0 ? clamp(1.0 - front / wave.dist, 0.0, 1.0) : 0.0;
    float offset = (distance(ground, wave.origin) - front) / wave.width;
    lift += wave.height * fade * exp(-offset * offset);
  }
  return lift;
}

void main() {
  texCoord = textureCoordinate + instanceCellOffset;
  unitA = InstanceUnit(instanceTextureA);
  diffuse = instanceDiffuse;
  vec4 world = InstanceModel() * vec4(position, 1.0);
  world.y += WaveLift(world.xz);
  gl_Position = viewProjection * world;
}
