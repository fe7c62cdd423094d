#version 450 core
// One grass blade per instance: the blade mesh (x across, y from root 0 to tip 1) is turned,
// scaled to the blade's height, stood on its tile (which may be sinking), bent along the wind
// (more towards the tip) and pressed down where something walks through it.
#include "GAME/Shaders/Include/GrassBuffers.glsl"
#include "GAME/Shaders/Include/WindGrid.glsl"
#include "GAME/Shaders/Include/BindingSlots.glsl"

layout(location = 0) in vec3 position;

layout(std430, binding = GRASS_BLADES_SLOT) readonly buffer Blades {
  float bladeHeader;
  float blades[];
};

uniform mat4 viewProjection;
uniform vec2 windDirection;
uniform float maxWindSpeed;
uniform float maxDepressStrength;

out float alongBlade;
out float colourChoice;

void main() {
  int base = gl_InstanceID * kBladeFloats;
  vec2 root = vec2(blades[base], blades[base + 2]);
  float height = blades[base + 3];
  int tile = int(blades[base + 4]);
  float turn = blades[base + 5];
  colourChoice = blades[base + 6];
  alongBlade = clamp(position.y, 0.0, 1.0);
  // A tile that stopped growing grass since the blades were grown loses them at once.
  if (disabledTiles[tile] >= 0.5) {
    gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
    return;
  }

  float scale = float(max(currentMapScale, 1));
  vec4 wind = WindAt(root, currentMapWidth, currentMapHeight, scale);
  vec2 flow = wind.xy + windDirection * (0.5 + wind.z) * 10.0;
  float speed = length(flow);
  if (speed > maxWindSpeed && speed > 0.0) flow *= maxWindSpeed / speed;

  int cell = PressCellAt(root);
  float press = cell >= 0 ? pressCells[cell] * maxDepressStrength : 0.0;
  press = clamp(press, 0.0, 0.95);

  float bend = alongBlade * alongBlade;
  vec3 local = vec3(position.x * cos(turn), position.y * height * (1.0 - press),
                    position.x * sin(turn));
  vec3 world = vec3(root.x, tileHeights[tile] * scale, root.y) + local +
               vec3(flow.x, 0.0, flow.y) * bend * height * 0.5;
  gl_Position = viewProjection * vec4(world, 1.0);
}
