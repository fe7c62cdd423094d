#version 450 core
// Bitmap-font text. Colour escapes give channels from 0 to 9, the default colours 0 or 1: every
// channel counts as full from 1 up. The first colour tints the glyph, the second fills the cell
// behind it.
in vec2 texCoord;
flat in vec4 textColor;
flat in vec4 backColor;

uniform sampler2D fontTexture;

out vec4 fragColor;

void main() {
  vec4 glyph = texture(fontTexture, texCoord);
  vec4 front = vec4(glyph.rgb * clamp(textColor.rgb, 0.0, 1.0), glyph.a);
  vec4 back = clamp(backColor, 0.0, 1.0);
  fragColor = mix(back, front, glyph.a);
  if (fragColor.a <= 0.0) discard;
}
