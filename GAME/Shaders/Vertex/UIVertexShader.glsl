#version 450 core
// Interface geometry: 2D position, premultiplied vertex colour and texture coordinate. The
// instance model already undoes the layer camera, so the result lands in window space.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 textureCoordinate;

uniform mat4 viewProjection;

out vec4 vertexColor;
out vec2 texCoord;
flat out int unitA;
flat out vec4 diffuse;

void main() {
  vertexColor = color;
  texCoord = textureCoordinate;
  unitA = InstanceUnit(instanceTextureA);
  diffuse = instanceDiffuse;
  gl_Position = viewProjection * InstanceModel() * vec4(position, 0.0, 1.0);
}
