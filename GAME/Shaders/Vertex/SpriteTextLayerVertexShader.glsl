#version 450 core
// The sprite texts of a frame, drawn off-screen, put into the interface layer by one quad that
// covers the layer. The instance model only scales the quad: no camera applies. The quad lies
// at the near plane, where the texts would be had they been drawn into the layer directly.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 textureCoordinate;

out vec2 texCoord;
flat out int unitA;

void main() {
  texCoord = textureCoordinate;
  unitA = InstanceUnit(instanceTextureA);
  vec4 placed = InstanceModel() * vec4(position, 1.0);
  gl_Position = vec4(placed.xy, -1.0, 1.0);
}
