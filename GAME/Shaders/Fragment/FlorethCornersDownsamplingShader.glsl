#version 450 core
// The second of the two draws that make level 1 from an even-sized layer: the downsampling
// (FlorethDownsampling.glsl) of the taps FlorethMaskCornersShader worked out. Pixel (i, j)
// takes the taps at (i, j), (i + 1, j), (i, j + 1) and (i + 1, j + 1).
#include "GAME/Shaders/Include/FlorethDownsampling.glsl"

uniform sampler2D inTexture;  // the taps

out vec4 fragColor;

void main() {
  ivec2 pixel = ivec2(gl_FragCoord.xy);
  vec4 taps[4];
  for (int tap = 0; tap < 4; ++tap) {
    taps[tap] = texelFetch(inTexture, pixel + ivec2(tap & 1, tap >> 1), 0);
  }
  fragColor = FlorethDownsampled(taps);
}
