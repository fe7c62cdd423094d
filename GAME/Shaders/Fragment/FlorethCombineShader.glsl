#version 450 core
// The glow's last step in one draw: the glow (level 0 of its pyramid) added onto the copy of the
// layer, as the glow's additive blend would add it there (light weighted by the glow's
// coverage, coverage laid over as a + d(1 - a)); the result is alpha-blended over the layer.
in vec2 texCoord;

uniform sampler2D inTextures[2];  // 0: the copy of the layer, 1: the glow

out vec4 fragColor;

void main() {
  vec4 image = texture(inTextures[0], texCoord);
  vec4 glow = texture(inTextures[1], texCoord);
  fragColor = vec4(image.rgb + glow.rgb * glow.a, glow.a + image.a * (1.0 - glow.a));
}
