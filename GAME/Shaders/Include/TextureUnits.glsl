// The texture units a batch binds its textures to. Each instance names its units, and an index
// that varies between instances may not select a sampler directly; a loop's counter, which every
// pixel has alike at each step, may.
uniform sampler2D inTextures[16];

// The texel at `uv` of the texture on `unit`; white for -1 (no texture) or a unit out of range.
// The loop stops at the pixel's unit, so one texture is read: renderers that run every branch of
// a switch for every pixel would read all sixteen units.
vec4 SampleUnit(int unit, vec2 uv) {
  if (unit < 0 || unit > 15) return vec4(1.0);
  vec4 texel = vec4(1.0);
  for (int candidate = 0; candidate <= unit; ++candidate) {
    if (candidate == unit) texel = texture(inTextures[candidate], uv);
  }
  return texel;
}
