#version 450 core
// Copies a layer's colour texture onto the bound target.
in vec2 texCoord;

uniform sampler2D inTexture;

out vec4 fragColor;

void main() { fragColor = texture(inTexture, texCoord); }
