#version 450 core
// Sundrel gold for the score: warm gold letters crossed by quick flickering bright streaks.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float time;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float streak = smoothstep(0.92, 1.0, sin(texCoord.y * 30.0 + texCoord.x * 9.0 + time * 11.0));
  float flicker = 0.9 + 0.1 * sin(time * 23.0);
  vec3 colour = mix(vec3(1.0, 0.72, 0.25), vec3(1.0, 0.97, 0.8), streak) * flicker;
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(texel.rgb * colour * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
