#version 450 core
// Untextured interface geometry: the vertex colour, tinted by the material. Vertex colours
// arrive premultiplied by their alpha; the blend wants straight colour.
in vec4 vertexColor;
flat in vec4 diffuse;

out vec4 fragColor;

void main() {
  vec3 color = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(color * diffuse.rgb, vertexColor.a * diffuse.a);
}
