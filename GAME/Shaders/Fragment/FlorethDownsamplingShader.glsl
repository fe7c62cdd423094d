#version 450 core
// A glow level at half the size of the one above it (FlorethDownsampling.glsl).
#include "GAME/Shaders/Include/FlorethDownsampling.glsl"

in vec2 texCoord;

uniform sampler2D inTexture;
uniform vec2 viewPortDimensions;

out vec4 fragColor;

void main() {
  vec4 taps[4];
  for (int tap = 0; tap < 4; ++tap) {
    taps[tap] = texture(inTexture, FlorethDownsamplingTap(texCoord, viewPortDimensions, tap));
  }
  fragColor = FlorethDownsampled(taps);
}
