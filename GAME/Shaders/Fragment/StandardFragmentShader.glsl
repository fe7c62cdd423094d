#version 450 core
// Lit surfaces (see StandardSurface.glsl).
#include "GAME/Shaders/Include/StandardSurface.glsl"

out vec4 fragColor;

void main() { fragColor = StandardSurfaceColour(); }
