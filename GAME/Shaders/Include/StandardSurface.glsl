// Lit surfaces: texture A is the albedo, texture B (when present) a tangent-space normal map
// for surfaces facing the camera; colours come from the material and the layer's lights.
// StandardSurfaceColour() discards a pixel whose albedo is fully transparent.
#include "GAME/Shaders/Include/TextureUnits.glsl"
#include "GAME/Shaders/Include/Lights.glsl"

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;
flat in int unitA;
flat in int unitB;
flat in vec3 ambient;
flat in vec4 diffuse;
flat in vec3 specular;
flat in float shininess;

vec4 StandardSurfaceColour() {
  vec4 albedo = SampleUnit(unitA, texCoord);
  if (albedo.a <= 0.0) discard;
  vec3 normal = normalize(worldNormal);
  if (unitB >= 0) normal = normalize(SampleUnit(unitB, texCoord).xyz * 2.0 - 1.0);
  vec3 base = albedo.rgb;
  vec3 lit = ApplyLights(worldPosition, normal, ambient * base, diffuse.rgb * base, specular,
                         shininess);
  return vec4(lit, albedo.a * diffuse.a);
}
