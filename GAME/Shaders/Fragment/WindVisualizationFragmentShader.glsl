#version 450 core
// Wind lines: blue where it is calm, through green to red where it blows at full speed.

in float windSpeed;

uniform float maxWindSpeed;

out vec4 fragColor;

void main() {
  float t = clamp(windSpeed / max(maxWindSpeed, 0.0001), 0.0, 1.0);
  vec3 calm = vec3(0.1, 0.3, 1.0);
  vec3 middle = vec3(0.1, 0.9, 0.2);
  vec3 strong = vec3(1.0, 0.15, 0.1);
  vec3 colour = t < 0.5 ? mix(calm, middle, t * 2.0) : mix(middle, strong, t * 2.0 - 1.0);
  fragColor = vec4(colour, 1.0);
}
