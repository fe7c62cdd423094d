#version 450 core
// The first of the three draws that blur a glow level onto the level above it (twice its size)
// with the 3x3 Gaussian whose taps lie `radius` pixels of that level apart. This target is
// the level above, grown by `radius` pixels on every side: its pixel q holds the tap at that
// level's pixel q - radius, read from the smaller level with the linear filter, its colour
// weighted by its coverage. A tap `radius` pixels beside one pixel is then the centre tap of
// another, so the sums along rows and down columns need whole texels only. Written without
// blending.
uniform sampler2D inTexture;
uniform vec2 levelSize;  // the size of the level the blur is added to
uniform float radius;

out vec4 fragColor;

void main() {
  vec4 texel = texture(inTexture, (gl_FragCoord.xy - radius) / max(levelSize, vec2(1.0)));
  fragColor = vec4(texel.rgb * texel.a, texel.a);
}
