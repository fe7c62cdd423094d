#version 450 core
// The glow's last step in one draw: the glow (level 0 of its pyramid) added onto the copy of the
// layer, as the glow's additive blend would add it there (light weighted by the glow's
// coverage, coverage laid over as a + d(1 - a)); the result is alpha-blended over the layer.
// Both textures are the layer's size: each pixel reads its own texels.
uniform sampler2D inTextures[2];  // 0: the copy of the layer, 1: the glow

out vec4 fragColor;

void main() {
  vec4 image = texelFetch(inTextures[0], ivec2(gl_FragCoord.xy), 0);
  vec4 glow = texelFetch(inTextures[1], ivec2(gl_FragCoord.xy), 0);
  fragColor = vec4(image.rgb + glow.rgb * glow.a, glow.a + image.a * (1.0 - glow.a));
}
