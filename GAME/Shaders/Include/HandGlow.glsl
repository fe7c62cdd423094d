// The glow shared by the two hand shaders: a shimmer that grows with the effect strength above 1
// and a flash that follows the overall effect (2 when a ring arrives, then the hand's ring share).
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

uniform float time;

out vec4 fragColor;

void DrawHand(vec3 glowColour, float effectStrength, float overallEffect) {
  vec4 texel = SampleUnit(unitA, texCoord);
  if (texel.a <= 0.0) discard;
  float strength = max(effectStrength - 1.0, 0.0);
  float shimmer = 0.5 + 0.5 * sin(time * 2.0 + texCoord.x * 6.0 + texCoord.y * 4.0);
  vec3 glow = glowColour * (0.25 * strength * shimmer + 0.35 * overallEffect);
  fragColor = vec4(texel.rgb * diffuse.rgb + glow, texel.a * diffuse.a);
}
