// The texture units a batch binds its textures to. Each instance names its units, so a unit is
// picked with constant indices: an index that varies between instances may not select a
// sampler directly.
uniform sampler2D inTextures[16];

// The texel at `uv` of the texture on `unit`; white for -1 (no texture) or a unit out of range.
vec4 SampleUnit(int unit, vec2 uv) {
  switch (unit) {
    case 0: return texture(inTextures[0], uv);
    case 1: return texture(inTextures[1], uv);
    case 2: return texture(inTextures[2], uv);
    case 3: return texture(inTextures[3], uv);
    case 4: return texture(inTextures[4], uv);
    case 5: return texture(inTextures[5], uv);
    case 6: return texture(inTextures[6], uv);
    case 7: return texture(inTextures[7], uv);
    case 8: return texture(inTextures[8], uv);
    case 9: return texture(inTextures[9], uv);
    case 10: return texture(inTextures[10], uv);
    case 11: return texture(inTextures[11], uv);
    case 12: return texture(inTextures[12], uv);
    case 13: return texture(inTextures[13], uv);
    case 14: return texture(inTextures[14], uv);
    case 15: return texture(inTextures[15], uv);
  }
  return vec4(1.0);
}
