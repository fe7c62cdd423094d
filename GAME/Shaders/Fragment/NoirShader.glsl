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

vec3 RgbToHsl(vec3 colour) {
  float high = max(colour.r, max(colour.g, colour.b));
  float low = min(colour.r, min(colour.g, colour.b));
  float lightness = (high + low) * 0.5;
  float spread = high - low;
  if (spread <= 0.0) return vec3(0.0, 0.0, lightness);
  float saturation = lightness > 0.5 ? spread / (2.0 - high - low) : spread / (high + low);
  float hue;
  if (high == colour.r) {
    hue = (colour.g - colour.b) / spread + (colour.g < colour.b ? 6.0 : 0.0);
  } else if (high == colour.g) {
    hue = (colour.b - colour.r) / spread + 2.0;
  } else {
    hue = (colour.r - colour.g) / spread + 4.0;
  }
  return vec3(hue / 6.0, saturation, lightness);
}

float HueChannel(float p, float q, float hue) {
  hue = fract(hue);
  if (hue < 1.0 / 6.0) return p + (q - p) * 6.0 * hue;
  if (hue < 0.5) return q;
  if (hue < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - hue) * 6.0;
  return p;
}

vec3 HslToRgb(vec3 hsl) {
  if (hsl.y <= 0.0) return vec3(hsl.z);
  float q = hsl.z < 0.5 ? hsl.z * (1.0 + hsl.y) : hsl.z + hsl.y - hsl.z * hsl.y;
  float p = 2.0 * hsl.z - q;
  return vec3(HueChannel(p, q, hsl.x + 1.0 / 3.0), HueChannel(p, q, hsl.x),
              HueChannel(p, q, hsl.x - 1.0 / 3.0));
}

float Steps(float value, int count) {
  if (count < 2) return value;
  float last = float(count - 1);
  return round(clamp(value, 0.0, 1.0) * last) / last;
}

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
