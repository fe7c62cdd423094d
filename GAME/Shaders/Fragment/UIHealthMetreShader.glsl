#version 450 core
// The player's health metre: the bar texture is lit up to healthPercentage (0..1) of its width
// and dimmed beyond it; the lit part pulses faster as health falls.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float healthPercentage;
uniform float time;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float fill = clamp(healthPercentage, 0.0, 1.0);
  float lit = 1.0 - smoothstep(fill - 0.005, fill + 0.005, texCoord.x);
  float pulse = 0.85 + 0.15 * sin(time * mix(9.0, 2.0, fill));
  vec3 full = vec3(0.55, 0.95, 0.45);
  vec3 low = vec3(1.0, 0.25, 0.18);
  vec3 colour = mix(low, full, fill) * pulse;
  vec3 rgb = mix(texel.rgb * 0.25, texel.rgb * colour, lit);
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(rgb * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
