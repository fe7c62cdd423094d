#version 450 core
// Fast approximate anti-aliasing. The luma of the four diagonal neighbours gives the direction
// of an edge; two and four taps along it are averaged, and the wider average is taken unless
// its luma falls outside the neighbourhood. Colours are premultiplied by alpha while they are
// averaged, so the outline of a layer's drawing is smoothed too. inTextures[1] is the FXAA
// layer's own drawing, which the result is laid over.
in vec2 texCoord;

uniform sampler2D inTextures[2];
uniform vec2 viewPortDimensions;

out vec4 fragColor;

const float kReduceMin = 1.0 / 128.0;
const float kReduceScale = 1.0 / 8.0;
const float kSpanMax = 8.0;
const vec3 kLuma = vec3(0.299, 0.587, 0.114);

vec4 Premultiplied(vec2 coordinate) {
  vec4 texel = texture(inTextures[0], coordinate);
  return vec4(texel.rgb * texel.a, texel.a);
}

void main() {
  vec2 pixel = 1.0 / max(viewPortDimensions, vec2(1.0));
  float lumaNW = dot(Premultiplied(texCoord + vec2(-1.0, -1.0) * pixel).rgb, kLuma);
  float lumaNE = dot(Premultiplied(texCoord + vec2(1.0, -1.0) * pixel).rgb, kLuma);
  float lumaSW = dot(Premultiplied(texCoord + vec2(-1.0, 1.0) * pixel).rgb, kLuma);
  float lumaSE = dot(Premultiplied(texCoord + vec2(1.0, 1.0) * pixel).rgb, kLuma);
  float lumaM = dot(Premultiplied(texCoord).rgb, kLuma);
  float lumaMin = min(lumaM, min(min(lumaNW, lumaNE), min(lumaSW, lumaSE)));
  float lumaMax = max(lumaM, max(max(lumaNW, lumaNE), max(lumaSW, lumaSE)));

  vec2 direction = vec2(-((lumaNW + lumaNE) - (lumaSW + lumaSE)), (lumaNW + lumaSW) - (lumaNE + lumaSE));
  float reduce = max((lumaNW + lumaNE + lumaSW + lumaSE) * 0.25 * kReduceScale, kReduceMin);
  float scale = 1.0 / (min(abs(direction.x), abs(direction.y)) + reduce);
  direction = clamp(direction * scale, vec2(-kSpanMax), vec2(kSpanMax)) * pixel;

  vec4 near = 0.5 * (Premultiplied(texCoord + direction * (1.0 / 3.0 - 0.5)) +
                     Premultiplied(texCoord + direction * (2.0 / 3.0 - 0.5)));
  vec4 wide = near * 0.5 + 0.25 * (Premultiplied(texCoord - direction * 0.5) +
                                   Premultiplied(texCoord + direction * 0.5));
  float lumaWide = dot(wide.rgb, kLuma);
  vec4 result = (lumaWide < lumaMin || lumaWide > lumaMax) ? near : wide;
  fragColor = result.a > 0.0 ? vec4(result.rgb / result.a, result.a) : vec4(0.0);
}
