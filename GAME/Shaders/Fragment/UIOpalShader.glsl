#version 450 core
// Floreth opal for the score: the letters drift through sea green, pale blue and lilac.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float time;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float phase = texCoord.x * 2.0 + texCoord.y + time * 0.6;
  vec3 colour = vec3(0.65, 0.8, 0.85) + 0.25 * cos(6.2831853 * (phase + vec3(0.0, 0.33, 0.67)));
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(texel.rgb * colour * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
