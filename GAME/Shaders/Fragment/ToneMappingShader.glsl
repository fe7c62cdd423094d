#version 450 core
// Filmic tone mapping (a fitted ACES curve): light above white rolls off smoothly into the
// displayable range and the darks gain a little contrast. Alpha is kept.
in vec2 texCoord;

uniform sampler2D inTexture;

out vec4 fragColor;

void main() {
  vec4 texel = texture(inTexture, texCoord);
  vec3 light = max(texel.rgb, vec3(0.0));
  vec3 mapped = (light * (2.51 * light + 0.03)) / (light * (2.43 * light + 0.59) + 0.14);
  fragColor = vec4(clamp(mapped, 0.0, 1.0), texel.a);
}
