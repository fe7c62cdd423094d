#version 450 core
// Textured interface geometry: texel times vertex colour, tinted by the material.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

out vec4 fragColor;

void main() {
  vec4 color = SampleUnit(unitA, texCoord) * vertexColor;
  fragColor = vec4(color.rgb * diffuse.rgb, color.a * diffuse.a);
}
