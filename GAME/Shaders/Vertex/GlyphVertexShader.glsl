#version 450 core
// TrueType glyph quads: the font mesh covers one atlas cell and the instance's cell offset
// moves the texture coordinate onto the glyph's cell.
#include "GAME/Shaders/Include/InstanceAttributes.glsl"

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 textureCoordinate;

uniform mat4 viewProjection;

out vec2 texCoord;
flat out int unitA;
flat out vec4 textColor;
flat out vec3 shadowColor;

void main() {
  texCoord = textureCoordinate + instanceCellOffset;
  unitA = InstanceUnit(instanceTextureA);
  textColor = instanceDiffuse;
  shadowColor = instanceAmbient;
  gl_Position = viewProjection * InstanceModel() * vec4(position, 1.0);
}
