#version 450 core
// The third blur draw, onto the level above (added by the glow's additive blend).
#include "GAME/Shaders/Include/FlorethBlur.glsl"

uniform sampler2D inTexture;  // the row sums
uniform int radius;

out vec4 fragColor;

void main() { fragColor = FlorethBlur(inTexture, ivec2(gl_FragCoord.xy), radius); }
