#version 450 core
// The live grade's letters: their colour climbs from dusty white (gradeLevel 0, "C") to a
// shimmering rose gold (7, "S+"); higher grades shimmer more.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec4 vertexColor;
in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float gradeLevel;
uniform float time;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float level = clamp(gradeLevel / 7.0, 0.0, 1.0);
  vec3 low = vec3(0.92, 0.88, 0.8);
  vec3 high = vec3(1.0, 0.62, 0.82);
  float shimmer = 1.0 + level * 0.25 * sin(time * 4.0 + texCoord.x * 12.0 + texCoord.y * 5.0);
  vec3 colour = mix(low, high, level) * shimmer;
  vec3 tint = vertexColor.a > 0.0 ? vertexColor.rgb / vertexColor.a : vec3(0.0);
  fragColor = vec4(texel.rgb * colour * tint * diffuse.rgb, texel.a * vertexColor.a * diffuse.a);
}
