#version 450 core
// Printed-comic screentone. The image (inTextures[0]) is covered with a grid of dots, one per
// fTexSampleSize pixels, whose size grows with how dark the image is there; the dot shape is
// the alpha of inTextures[2], repeated. Where the screentone layer (inTextures[1]) has drawn
// something, at least a half tone is laid. Inked dots darken the image, the paper between them
// keeps it. The grid slides with the camera, 8 cells per world unit, so it stays on the world
// rather than on the glass.
in vec2 texCoord;

uniform sampler2D inTextures[3];
uniform vec2 screenDimensions;
uniform float fTexSampleSize;
uniform vec3 cameraPos;

out vec4 fragColor;

void main() {
  vec4 image = texture(inTextures[0], texCoord);
  float masked = clamp(texture(inTextures[1], texCoord).a, 0.0, 1.0);
  float cell = max(fTexSampleSize, 1.0);
  vec2 dotCoordinate = texCoord * screenDimensions / cell + cameraPos.xy * 8.0;
  float dotShape = texture(inTextures[2], dotCoordinate).a;
  float lightness = dot(clamp(image.rgb, 0.0, 1.0), vec3(0.299, 0.587, 0.114));
  float tone = max(1.0 - lightness, 0.5 * masked) * 0.7;
  float ink = step(1.0 - tone, dotShape);
  fragColor = vec4(mix(image.rgb, image.rgb * 0.3, ink), image.a);
}
