#version 450 core
// The Floreth (left) hand in sea green: florethHandEffectStrengthVal runs from 1 (empty) to 2
// (thirteen rings); florethHandOverallEffectVal flashes to 2 when a ring arrives.
#include "GAME/Shaders/Include/HandGlow.glsl"

uniform float florethHandEffectStrengthVal;
uniform float florethHandOverallEffectVal;

void main() {
  DrawHand(vec3(0.35, 0.95, 0.8), florethHandEffectStrengthVal, florethHandOverallEffectVal);
}
