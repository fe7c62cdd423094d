#version 450 core
// The bright parts of a layer (FlorethMask.glsl), the glow's level 0, written without blending.
// The level is the layer's size, so each pixel reads its own texel (one fetch, where a filtered
// read would blend four at the texel's centre).
#include "GAME/Shaders/Include/FlorethMask.glsl"

uniform sampler2D inTexture;
uniform float intensityThreshold;

out vec4 fragColor;

void main() {
  fragColor = FlorethMask(texelFetch(inTexture, ivec2(gl_FragCoord.xy), 0), intensityThreshold);
}
