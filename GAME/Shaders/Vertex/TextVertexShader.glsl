#version 450 core
// Bitmap-font characters: one instance per character with its full matrix, two colours and the
// offset of its cell in the font texture.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;
layout(location = 2) in vec4 characterMatrix0;
layout(location = 3) in vec4 characterMatrix1;
layout(location = 4) in vec4 characterMatrix2;
layout(location = 5) in vec4 characterMatrix3;
layout(location = 6) in vec4 color1;
layout(location = 7) in vec4 color2;
layout(location = 8) in vec2 cellOffset;

out vec2 texCoord;
flat out vec4 textColor;
flat out vec4 backColor;

void main() {
  mat4 character = mat4(characterMatrix0, characterMatrix1, characterMatrix2, characterMatrix3);
  texCoord = textureCoordinate + cellOffset;
  textColor = color1;
  backColor = color2;
  gl_Position = character * vec4(position, 1.0);
}
