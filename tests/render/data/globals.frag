#version 450 core
#include "tests/render/data/lights.glsl"
#include "tests/render/data/lights.glsl"

uniform float weights[9];
uniform PointLightData pointLights[2];
uniform WaveData waveData;
uniform vec4 tint;
uniform sampler2D inTexture;

out vec4 fragColor;

#debug
#error the debug block reached the compiler
uniform float debugOnly;
#enddebug

void main() {
  float sum = 0.0;
  for (int i = 0; i < 9; ++i) sum += weights[i];
  vec4 color = tint * sum;
  for (int i = 0; i < 2; ++i) {
    color.rgb += pointLights[i].color * pointLights[i].strength + pointLights[i].position +
                 pointLights[i].radii.xyx;
  }
  color.xy += waveData.origin +
              vec2(waveData.time + waveData.dist + waveData.height + waveData.width +
                   waveData.speed);
  fragColor = color + texture(inTexture, vec2(0.5));
}
