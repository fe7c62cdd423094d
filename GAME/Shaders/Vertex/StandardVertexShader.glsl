#version 450 core
// Batched meshes with position, normal and texture coordinate, placed by their instance model
// matrix and seen through the layer camera.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 textureCoordinate;

uniform mat4 viewProjection;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;
flat out int unitA;
flat out int unitB;
flat out vec3 ambient;
flat out vec4 diffuse;
flat out vec3 specular;
flat out float shininess;

void main() {
  mat4 model = InstanceModel();
  vec4 world = model * vec4(position, 1.0);
  worldPosition = world.xyz;
  worldNormal = mat3(transpose(inverse(model))) * normal;
  texCoord = textureCoordinate + instanceCellOffset;
  unitA = InstanceUnit(instanceTextureA);
  unitB = InstanceUnit(instanceTextureB);
  ambient = instanceAmbient;
  diffuse = instanceDiffuse;
  specular = instanceSpecular;
  shininess = instanceShininess;
  gl_Position = viewProjection * world;
}
