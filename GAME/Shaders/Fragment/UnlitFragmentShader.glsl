#version 450 core
// Texture A tinted by the diffuse colour and faded by alpha.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  if (texel.a <= 0.0) discard;
  fragColor = texel * diffuse;
}
