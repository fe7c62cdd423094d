#version 450 core
// A glow level at half the size of the one above it: four bilinear taps half a pixel of this
// level away from the centre average a 4x4 block of the larger level, colours weighted by their
// alpha. As with the mask, the level is written without blending: the average colour, and the
// average alpha.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform vec2 viewPortDimensions;

out vec4 fragColor;

void main() {
  vec2 offset = 0.5 / max(viewPortDimensions, vec2(1.0));
  vec3 colour = vec3(0.0);
  float alpha = 0.0;
  for (int tap = 0; tap < 4; ++tap) {
    vec2 direction = vec2((tap & 1) == 0 ? -1.0 : 1.0, (tap & 2) == 0 ? -1.0 : 1.0);
    vec4 texel = texture(inTexture, texCoord + direction * offset);
    colour += texel.rgb * texel.a;
    alpha += texel.a;
  }
  float average = min(alpha * 0.25, 1.0);
  if (average < 1.0 / 1024.0) {
    fragColor = vec4(0.0);
    return;
  }
  fragColor = vec4(colour / alpha, average);
}
