#version 450 core
// One Sobel draw. The kernel in `weights` runs over the intensity of nine taps (the brightest
// channel times alpha; a depth texture gives its depth) spaced radius x edgeThickness pixels
// apart. Where the response passes `threshold` the edge colour is written, its alpha growing
// with `contrast`; elsewhere nothing, so the edges can be laid over the image. The ink goes on
// the darker side of an edge only, so a thin bright stroke (a line of text) keeps its colour
// and is outlined from outside rather than painted over.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform float weights[9];
uniform float radius;
uniform vec2 viewPortDimensions;
uniform float threshold;
uniform float edgeThickness;
uniform float contrast;
uniform vec3 edgeColor;

out vec4 fragColor;

float Intensity(vec4 texel) { return max(texel.r, max(texel.g, texel.b)) * texel.a; }

void main() {
  vec2 tapSpacing = radius * edgeThickness / max(viewPortDimensions, vec2(1.0));
  float response = 0.0;
  float mean = 0.0;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      vec2 offset = vec2(float(column - 1), float(1 - row)) * tapSpacing;
      float intensity = Intensity(texture(inTexture, texCoord + offset));
      response += weights[row * 3 + column] * intensity;
      mean += intensity / 9.0;
    }
  }
  float centre = Intensity(texture(inTexture, texCoord));
  float darkerSide = smoothstep(-0.02, 0.02, mean - centre);
  float strength = clamp((abs(response) - threshold) * contrast, 0.0, 1.0) * darkerSide;
  fragColor = vec4(edgeColor, strength);
}
