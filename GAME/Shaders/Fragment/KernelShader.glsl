#version 450 core
// One 3x3 kernel draw. The nine taps lie `radius` pixels apart (pixels of the image whose size
// is viewPortDimensions) and are weighted row by row, top row first. Colours are weighted by
// their alpha as well, so transparent texels spread coverage rather than black. Results are
// drawn with alpha blending, which multiplies colour and alpha by the alpha written; the square
// root of the weighted alpha is written, so that over an empty target the coverage is stored as
// it is (an opaque image stays opaque either way).
in vec2 texCoord;

uniform sampler2D inTexture;
uniform float weights[9];
uniform float radius;
uniform vec2 viewPortDimensions;

out vec4 fragColor;

void main() {
  vec2 tapSpacing = radius / max(viewPortDimensions, vec2(1.0));
  vec3 colour = vec3(0.0);
  float alpha = 0.0;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      vec2 offset = vec2(float(column - 1), float(1 - row)) * tapSpacing;
      vec4 texel = texture(inTexture, texCoord + offset);
      float weight = weights[row * 3 + column];
      colour += weight * texel.a * texel.rgb;
      alpha += weight * texel.a;
    }
  }
  fragColor = alpha > 0.0 ? vec4(colour / alpha, sqrt(min(alpha, 1.0))) : vec4(0.0);
}
