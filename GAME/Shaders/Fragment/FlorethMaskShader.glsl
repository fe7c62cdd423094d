#version 450 core
// The bright parts of a layer, the start of its glow. A texel keeps the share of its light by
// which its brightest channel passes intensityThreshold, spread over the range left above the
// threshold (threshold 1 keeps only light above white, 0 keeps everything by its brightness).
// The level is written without blending: the colour as it is and the share as alpha. Shares
// too small to show are dropped. The level is the layer's size, so each pixel reads its own
// texel (one fetch, where a filtered read would blend four at the texel's centre).
uniform sampler2D inTexture;
uniform float intensityThreshold;

out vec4 fragColor;

void main() {
  vec4 texel = texelFetch(inTexture, ivec2(gl_FragCoord.xy), 0);
  float brightness = max(texel.r, max(texel.g, texel.b));
  float range = max(1.0 - intensityThreshold, 0.05);
  float share = clamp((brightness - intensityThreshold) / range, 0.0, 1.0) * clamp(texel.a, 0.0, 1.0);
  if (share < 1.0 / 1024.0) {
    fragColor = vec4(0.0);
    return;
  }
  fragColor = vec4(texel.rgb, share);
}
