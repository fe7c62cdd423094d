#version 450 core
// Film noir: black and white with one colour left. Hues within half of one of colorCount equal
// bands of hueShift (in turns, 0 = red) keep their saturation, in saturationCount steps; every
// other hue turns grey. Lightness gets an S-shaped contrast curve and lightnessCount
// steps; the corners darken and a faint grain changes 24 times a second. Steps as in the
// posterisation pass. Alpha is kept.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform int colorCount;
uniform int saturationCount;
uniform int lightnessCount;
uniform float hueShift;
uniform float time;
uniform vec2 screenDimensions;

out vec4 fragColor;

#include "GAME/Shaders/Include/HslColour.glsl"

// How far round the colour circle two hues are, in turns (0 .. 0.5).
float HueDistance(float a, float b) {
  float distance = fract(a - b);
  return min(distance, 1.0 - distance);
}

float Grain(vec2 pixel) {
  return fract(sin(dot(pixel, vec2(12.9898, 78.233))) * 43758.5453);
}

void main() {
  vec4 texel = texture(inTexture, texCoord);
  vec3 hsl = RgbToHsl(clamp(texel.rgb, 0.0, 1.0));
  bool kept = HueDistance(hsl.x, hueShift) < 0.5 / float(max(colorCount, 1));
  hsl.y = kept ? Steps(hsl.y, saturationCount) : 0.0;
  hsl.z = Steps(smoothstep(0.0, 1.0, hsl.z), lightnessCount);

  vec2 size = max(screenDimensions, vec2(1.0));
  vec2 centred = (texCoord - 0.5) * vec2(size.x / size.y, 1.0);
  float vignette = 1.0 - 0.4 * smoothstep(0.4, 1.0, length(centred));
  float grain = (Grain(texCoord * size + floor(time * 24.0)) - 0.5) * 0.04;
  fragColor = vec4(clamp(HslToRgb(hsl) * vignette + grain, 0.0, 1.0), texel.a);
}
