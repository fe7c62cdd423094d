#pragma once
// Enumerations held by more than one component class.

#include <string_view>

#include "engine/type_name.h"

// The renderer's framebuffer layers that cameras and lights are assigned to. Layer i >= 1
// renders into framebuffer i - 1; layers 4, 7 and 8 have no name. The renderer knows this type
// as Renderer::FramebufferLayer, and so do entity files, which name its values
// "Renderer::FramebufferLayer::SCENE" and so on. It is declared here, below the renderer, so
// that components do not depend on the render library.
enum class FramebufferLayer : int {
  DEFAULT_ONLY_FOR_USE_BY_RENDERER_I_WILL_FIND_AND_BERATE_YOU_IF_YOU_USE_THIS = 0,
  SCENE = 1,
  GAMEUI = 2,
  MENUUI = 3,
  SCREENTONE_MASK = 5,
  FXAA = 6,
};

template <>
struct TypeNameOf<FramebufferLayer> {
  static constexpr std::string_view value = "enum Renderer::FramebufferLayer";
};
