#version 450 core
// Textured interface geometry: the texel (straight alpha) tinted by the vertex colour and the
// material. Vertex colours arrive premultiplied by their alpha; the blend wants straight
// colour, so the tint is divided back out.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(texel.rgb * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
