#version 450 core
// The atlas holds the glyph's coverage in every channel: coverage becomes the text's opacity.
// The second colour tints the soft edge of the glyph.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec2 texCoord;
flat in int unitA;
flat in vec4 textColor;
flat in vec3 shadowColor;

out vec4 fragColor;

void main() {
  float coverage = SampleUnit(unitA, texCoord).a;
  if (coverage <= 0.0) discard;
  vec3 color = mix(shadowColor, textColor.rgb, smoothstep(0.2, 0.6, coverage));
  fragColor = vec4(color, coverage * textColor.a);
}
