#version 450 core
// The boss's health bar: filled to healthPercentageBoss (0..1) of its width in the colour of
// the boss named by bossName (0 default, 1 final boss, 2 Biberty, 3 Volok, 4 Vololok), with a
// band of light running along the filled part.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float healthPercentageBoss;
uniform int bossName;
uniform float time;

out vec4 fragColor;

vec3 BossColour(int boss) {
  switch (boss) {
    case 1: return vec3(1.0, 0.45, 0.8);
    case 2: return vec3(0.45, 0.95, 0.8);
    case 3: return vec3(1.0, 0.6, 0.3);
    case 4: return vec3(1.0, 0.35, 0.25);
  }
  return vec3(0.85, 0.2, 0.25);
}

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float fill = clamp(healthPercentageBoss, 0.0, 1.0);
  float lit = step(texCoord.x, fill);
  float band = 0.2 * exp(-40.0 * pow(fract(texCoord.x - time * 0.4) - 0.5, 2.0));
  vec3 colour = BossColour(bossName) * (0.9 + band);
  vec3 rgb = mix(vec3(0.08, 0.03, 0.04), texel.rgb * colour, lit);
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(rgb * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
