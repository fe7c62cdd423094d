#version 450 core
// A glow level at half the size of the one above it (FlorethDownsampling.glsl).
#include "GAME/Shaders/Include/FlorethDownsampling.glsl"

in vec2 texCoord;

uniform sampler2D inTexture;
uniform vec2 viewPortDimensions;

out vec4 fragColor;

vec4 FlorethLevelTap(vec2 coord) { return texture(inTexture, coord); }

void main() { fragColor = FlorethDownsampling(texCoord, viewPortDimensions); }
