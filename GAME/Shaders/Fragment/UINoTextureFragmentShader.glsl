#version 450 core
// Untextured interface geometry: the vertex colour, tinted by the material.
in vec4 vertexColor;
flat in vec4 diffuse;

out vec4 fragColor;

void main() { fragColor = vec4(vertexColor.rgb * diffuse.rgb, vertexColor.a * diffuse.a); }
