#version 450 core
// The Sundrel (right) hand in amber: sundrelHandEffectStrengthVal stays at 1 (the ring count does
// not drive it); sundrelHandOverallEffectVal flashes to 2 when a ring arrives.
#include "GAME/Shaders/Include/HandGlow.glsl"

uniform float sundrelHandEffectStrengthVal;
uniform float sundrelHandOverallEffectVal;

void main() {
  DrawHand(vec3(1.0, 0.7, 0.3), sundrelHandEffectStrengthVal, sundrelHandOverallEffectVal);
}
