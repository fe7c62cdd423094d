#pragma once
// Renderer: draws every frame after the systems have rendered. It sits under DECS in the message
// tree at level 3 and is created during system registration, after the window exists.

#include <memory>
#include <string>

#include "engine/engine_hooks.h"
#include "engine/message_receiver.h"
#include "engine/type_name.h"

class Renderer : public MessageReciever, public FrameRenderer {
 public:
  Renderer() { level = 3; }

  // The renderer, created on first use.
  static Renderer& Instance();
  static bool HasInstance();
  // Destroys the renderer (at shutdown, after the engine).
  static void DestroyInstance();

  void HandleMessage(const std::string& message) override;
  void RenderFrame() override;
};
DECLARE_TYPE_NAME(class, Renderer);
