// A grass layer's indirect draw command (binding 6): the blade count is its instance count.
layout(std430, binding = 6) buffer DrawCommand {
  uint indexCount;
  uint instanceCount;
  uint firstIndex;
  int baseVertex;
  uint baseInstance;
};
