// The bright part of a texel, the start of its glow: the texel keeps the share of its light by
// which its brightest channel passes `threshold`, spread over the range left above the
// threshold (threshold 1 keeps only light above white, 0 keeps everything by its brightness).
// Returns the colour as it is and the share as alpha; shares too small to show are dropped.
vec4 FlorethMask(vec4 texel, float threshold) {
  float brightness = max(texel.r, max(texel.g, texel.b));
  float range = max(1.0 - threshold, 0.05);
  float share = clamp((brightness - threshold) / range, 0.0, 1.0) * clamp(texel.a, 0.0, 1.0);
  return share < 1.0 / 1024.0 ? vec4(0.0) : vec4(texel.rgb, share);
}
