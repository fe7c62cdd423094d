#version 450 core
// Particles: the sprite's alpha, raised by half, shapes the particle; the colour over its life
// comes through the diffuse colour, and the centre is lifted towards white so sparks read bright.
#include "GAME/Shaders/Include/TextureUnits.glsl"

in vec2 texCoord;
flat in int unitA;
flat in vec4 diffuse;

out vec4 fragColor;

void main() {
  vec4 texel = SampleUnit(unitA, texCoord);
  float alpha = min(1.0, 1.5 * texel.a) * diffuse.a;
  if (alpha <= 0.01) discard;
  vec3 colour = mix(diffuse.rgb, vec3(1.0), 0.2 * texel.a * texel.a);
  fragColor = vec4(colour * texel.rgb, alpha);
}
