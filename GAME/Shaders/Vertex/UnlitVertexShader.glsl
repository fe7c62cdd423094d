#version 450 core
// Batched meshes drawn without lights: only the texture coordinate travels on.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 textureCoordinate;

uniform mat4 viewProjection;

out vec2 texCoord;
flat out int unitA;
flat out vec4 diffuse;

void main() {
  texCoord = textureCoordinate + instanceCellOffset;
  unitA = InstanceUnit(instanceTextureA);
  diffuse = instanceDiffuse;
  gl_Position = viewProjection * InstanceModel() * vec4(position, 1.0);
}
