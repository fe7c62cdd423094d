#version 450 core
// The off-screen sprite texts hold colours multiplied by their coverage: dividing it out again
// lets the layer's blending put them over the layer as the texts themselves would have been.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec2 texCoord;
flat in int unitA;

out vec4 fragColor;

void main() {
  vec4 texts = SampleUnit(unitA, texCoord);
  if (texts.a <= 0.0) discard;
  fragColor = vec4(texts.rgb / texts.a, texts.a);
}
