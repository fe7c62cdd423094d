#version 450 core
// The first of two draws that make the glow's level 1 straight from an even-sized layer, when
// level 0 (the layer's bright parts, FlorethMask.glsl) is needed for nothing else. Each of the
// downsampling's linear-filter taps over level 0 then lies on a texel corner and is the plain
// average of the four texels around it; neighbouring pixels of level 1 share taps, so each is
// worked out once here. Pixel (u, v) holds the tap on the corner between texels 2u - 1 and 2u,
// 2v - 1 and 2v: the average of those four texels of the layer, each masked, clamped at the
// edges as the filter clamps. Written without blending, (W / 2 + 1) x (H / 2 + 1) pixels.
#include "GAME/Shaders/Include/FlorethMask.glsl"

uniform sampler2D inTexture;  // the layer (read up to layerSize, the size of level 0)
uniform vec2 layerSize;
uniform float intensityThreshold;

out vec4 fragColor;

vec4 MaskedTexel(ivec2 texel) {
  return FlorethMask(texelFetch(inTexture, clamp(texel, ivec2(0), ivec2(layerSize) - 1), 0),
                     intensityThreshold);
}

void main() {
  ivec2 corner = 2 * ivec2(gl_FragCoord.xy);
  fragColor = 0.25 * (MaskedTexel(corner - ivec2(1, 1)) + MaskedTexel(corner - ivec2(0, 1)) +
                      MaskedTexel(corner - ivec2(1, 0)) + MaskedTexel(corner));
}
