#version 450 core
// A full-screen pass: the quad of FramebufferMesh.txt is already in clip space.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;

out vec2 texCoord;

void main() {
  texCoord = textureCoordinate;
  gl_Position = vec4(position.xy, 0.0, 1.0);
}
