#version 450 core
// Posterisation in hue, saturation and lightness. Hue snaps to the nearest of colorCount hues
// (starting at red) and is then turned by hueShift (in turns, 0.5 = the opposite hue);
// saturation and lightness snap to saturationCount and lightnessCount even steps from 0 to 1.
// A count below 1 (hue) or 2 (the others) leaves that part as it is. Alpha is kept.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform int colorCount;
uniform int saturationCount;
uniform int lightnessCount;
uniform float hueShift;

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

float Hues(float hue, int count) {
  if (count < 1) return hue;
  return fract(round(hue * float(count)) / float(count));
}

void main() {
  vec4 texel = texture(inTexture, texCoord);
  vec3 hsl = RgbToHsl(clamp(texel.rgb, 0.0, 1.0));
  hsl.x = fract(Hues(hsl.x, colorCount) + hueShift);
  hsl.y = Steps(hsl.y, saturationCount);
  hsl.z = Steps(hsl.z, lightnessCount);
  fragColor = vec4(HslToRgb(hsl), texel.a);
}
