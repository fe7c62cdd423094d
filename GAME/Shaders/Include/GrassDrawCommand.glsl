// A grass layer's indirect draw command: the blade count is its instance count.
#include "GAME/Shaders/Include/BindingSlots.glsl"
layout(std430, binding = GRASS_DRAW_COMMAND_SLOT) buffer DrawCommand {
  uint indexCount;
  uint instanceCount;
  uint firstIndex;
  int baseVertex;
  uint baseInstance;
};
