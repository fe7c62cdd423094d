#version 450 core
// The ground of a level: lit surfaces (see StandardSurface.glsl) graded by the weather.
#include "GAME/Shaders/Include/StandardSurface.glsl"
#include "GAME/Shaders/Include/Weather.glsl"

out vec4 fragColor;

void main() {
  vec4 colour = StandardSurfaceColour();
  fragColor = vec4(ApplyWeather(colour.rgb), colour.a);
}
