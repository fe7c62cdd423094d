#version 450 core
// Grass colour: four colours along the blade, each taking over from its threshold on, and a
// blade-by-blade shift between neighbouring colours so the field is not one flat tone; graded by
// the weather like the rest of the ground.
#include "GAME/Shaders/Include/Weather.glsl"

in float alongBlade;
in float colourChoice;

uniform vec3 foliageAlbedoColor1;
uniform vec3 foliageAlbedoColor2;
uniform vec3 foliageAlbedoColor3;
uniform vec3 foliageAlbedoColor4;
uniform float foliageAlbedo1Threshold;
uniform float foliageAlbedo2Threshold;
uniform float foliageAlbedo3Threshold;
uniform float foliageAlbedo4Threshold;

out vec4 fragColor;

vec3 ColourAt(float t) {
  vec3 colour = foliageAlbedoColor1;
  colour = mix(colour, foliageAlbedoColor2,
               smoothstep(foliageAlbedo2Threshold - 0.1, foliageAlbedo2Threshold + 0.1, t));
  colour = mix(colour, foliageAlbedoColor3,
               smoothstep(foliageAlbedo3Threshold - 0.1, foliageAlbedo3Threshold + 0.1, t));
  colour = mix(colour, foliageAlbedoColor4,
               smoothstep(foliageAlbedo4Threshold - 0.1, foliageAlbedo4Threshold + 0.1, t));
  return t < foliageAlbedo1Threshold ? foliageAlbedoColor1 * 0.8 : colour;
}

void main() {
  float t = clamp(alongBlade * 0.8 + colourChoice * 0.3, 0.0, 1.0);
  fragColor = vec4(ApplyWeather(ColourAt(t)), 1.0);
}
