#version 450 core
// The glow's level 1 straight from the layer, when level 0 (the layer's bright parts,
// FlorethMask.glsl) is needed for nothing else: the downsampling of level 0
// (FlorethDownsampling.glsl) with each of its linear-filter taps worked out here over masked
// texels of the layer: the four texels around the tap, clamped at the edges as the filter
// clamps, masked and blended with the filter's weights. Used for layers with an odd side; over
// an even-sized layer every tap lies on a texel corner, and FlorethMaskCornersShader and
// FlorethCornersDownsamplingShader share the taps between neighbouring pixels.
#include "GAME/Shaders/Include/FlorethMask.glsl"
#include "GAME/Shaders/Include/FlorethDownsampling.glsl"

uniform sampler2D inTexture;  // the layer (read up to layerSize, the size of level 0)
uniform vec2 layerSize;
uniform vec2 viewPortDimensions;  // the size of level 1
uniform float intensityThreshold;

out vec4 fragColor;

vec4 MaskedTexel(ivec2 texel, ivec2 size) {
  return FlorethMask(texelFetch(inTexture, clamp(texel, ivec2(0), size - 1), 0),
                     intensityThreshold);
}

// The linear filter's read of the masked layer at texture coordinate `coord`.
vec4 MaskedTap(vec2 coord) {
  ivec2 size = ivec2(layerSize);
  vec2 position = coord * vec2(size) - 0.5;
  vec2 corner = floor(position);
  vec2 weight = position - corner;
  ivec2 texel = ivec2(corner);
  vec4 below = mix(MaskedTexel(texel, size), MaskedTexel(texel + ivec2(1, 0), size), weight.x);
  vec4 above = mix(MaskedTexel(texel + ivec2(0, 1), size), MaskedTexel(texel + ivec2(1, 1), size),
                   weight.x);
  return mix(below, above, weight.y);
}

void main() {
  vec2 coord = gl_FragCoord.xy / max(viewPortDimensions, vec2(1.0));
  vec4 taps[4];
  for (int tap = 0; tap < 4; ++tap) {
    taps[tap] = MaskedTap(FlorethDownsamplingTap(coord, viewPortDimensions, tap));
  }
  fragColor = FlorethDownsampled(taps);
}
