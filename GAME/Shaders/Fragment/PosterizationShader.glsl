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

#include "GAME/Shaders/Include/HslColour.glsl"

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
