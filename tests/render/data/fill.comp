#version 450 core
layout(local_size_x = 1) in;

layout(binding = 0, rgba8) uniform image2D target;
uniform float level;

void main() { imageStore(target, ivec2(gl_GlobalInvocationID.xy), vec4(level)); }
