// Colour helpers of the posterising passes: RGB to hue, saturation and lightness (each 0..1,
// hue in turns from red) and back, and snapping a value to even steps.

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
