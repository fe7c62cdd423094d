#version 450 core
// Fades what a layer shows towards fadeColor: fadePercentage 0 leaves it, 1 shows the colour
// wherever the layer has drawn something. Alpha is kept, so the empty parts of a layer stay
// empty and the layers under it are not covered.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform float fadePercentage;
uniform vec3 fadeColor;

out vec4 fragColor;

void main() {
  vec4 texel = texture(inTexture, texCoord);
  fragColor = vec4(mix(texel.rgb, fadeColor, clamp(fadePercentage, 0.0, 1.0)), texel.a);
}
