#version 450 core
// The wind view: one line per wind grid sample (one instance each), from the sample's place a
// little above the ground along the wind, longer where it blows harder.
#include "GAME/Shaders/Include/WindGrid.glsl"

layout(location = 0) in vec3 position;

uniform mat4 viewProjection;
uniform int mapWidth;
uniform int mapHeight;
uniform float mapScale;
uniform vec2 windDirection;

out float windSpeed;

void main() {
  int samplesPerTile = kWindSamplesPerSide * kWindSamplesPerSide;
  int tileIndex = gl_InstanceID / samplesPerTile;
  int inTile = gl_InstanceID % samplesPerTile;
  int width = max(mapWidth, 1);
  ivec2 tile = ivec2(tileIndex % width, tileIndex / width);
  ivec2 sub = ivec2(inTile % kWindSamplesPerSide, inTile / kWindSamplesPerSide);
  vec2 start = WindSamplePosition(tile.x, tile.y, sub.x, sub.y, mapWidth, mapHeight, mapScale);
  vec4 wind = ReadWindSample(gl_InstanceID);
  vec2 flow = wind.xy + windDirection * wind.z;
  windSpeed = length(flow);
  vec2 end = start + flow * mapScale * 0.5;
  vec2 place = mix(start, end, position.x);
  gl_Position = viewProjection * vec4(place.x, 0.2, place.y, 1.0);
}
