#version 450 core
// Empties a grass layer's draw command before its blades are grown again.

layout(local_size_x = 1) in;

#include "GAME/Shaders/Include/GrassDrawCommand.glsl"

void main() { instanceCount = 0u; }
