#version 450 core
// Shows a depth texture as grey levels: near is black, far is white, linear in distance.
in vec2 texCoord;

uniform sampler2D inTexture;
uniform float nearPlane;
uniform float farPlane;

out vec4 fragColor;

void main() {
  float depth = texture(inTexture, texCoord).r;
  float near = max(nearPlane, 0.001);
  float far = max(farPlane, near + 0.001);
  float ndc = depth * 2.0 - 1.0;
  float distanceToEye = 2.0 * near * far / (far + near - ndc * (far - near));
  float level = clamp((distanceToEye - near) / (far - near), 0.0, 1.0);
  fragColor = vec4(vec3(level), 1.0);
}
