#version 450 core
// The glow's last step in one draw: the glow added onto the copy of the layer, as the glow's
// additive blend would add it there (light weighted by the glow's coverage, coverage laid over
// as a + d(1 - a)); the result is alpha-blended over the layer. The glow is the bright part of
// the texel (level 0, taken again here rather than read back) with, when `blurred`, the blur of
// level 1 added as its additive blend would add it. Both textures hold a texel per pixel of the
// layer. With `overWindow`, texture 0 is the layer itself, and what that alpha blend would
// leave in the layer is given instead, for the window's blend of colours weighted by coverage.
#include "GAME/Shaders/Include/FlorethBlur.glsl"
#include "GAME/Shaders/Include/FlorethMask.glsl"

uniform sampler2D inTextures[2];  // 0: the copy of the layer, 1: level 1's row sums
uniform float intensityThreshold;
uniform int blurred;
uniform int radius;
uniform int overWindow;

out vec4 fragColor;

void main() {
  ivec2 pixel = ivec2(gl_FragCoord.xy);
  vec4 image = texelFetch(inTextures[0], pixel, 0);
  vec4 glow = FlorethMask(image, intensityThreshold);
  if (blurred != 0) {
    vec4 blur = FlorethBlur(inTextures[1], pixel, radius);
    glow = vec4(blur.rgb * blur.a + glow.rgb, blur.a + glow.a * (1.0 - blur.a));
  }
  vec4 glowing = vec4(image.rgb + glow.rgb * glow.a, glow.a + image.a * (1.0 - glow.a));
  if (overWindow != 0) {
    glowing = vec4(glowing.rgb * glowing.a + image.rgb * (1.0 - glowing.a),
                   glowing.a * glowing.a + image.a * (1.0 - glowing.a));
  }
  fragColor = glowing;
}
