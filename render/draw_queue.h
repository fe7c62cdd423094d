#pragma once
// DrawQueue: where systems hand the draws of a frame. Nothing draws directly: a system fills a
// DrawRequest and queues it; the Renderer (the game's queue) draws every queue at the end of the
// frame. Tests hand systems a recording queue instead, so what they queue is checked without a
// window.
//
//   DrawRequest draw;
//   draw.mesh = meshId; draw.material = materialId; draw.textureA = albedo;
//   draw.model = transform.UpdateMatrix();
//   draw.layer = static_cast<int>(FramebufferLayer::SCENE);
//   queue.QueueDraw(draw);

#include <glm/glm.hpp>

struct DrawRequest {
  // Mesh and material handles of the resource caches; -1 draws nothing.
  int mesh = -1;
  int material = -1;
  // GL texture names, -1 for none; a draw without either texture draws nothing.
  int textureA = -1;
  int textureB = -1;
  glm::mat4 model{1.0f};
  // Raises the draw in the transparent order of its layer (higher is drawn earlier).
  float depthModifier = 0.0f;
  // Framebuffer layer 0..8 (FramebufferLayer); layer 0 is never drawn.
  int layer = 1;
  // Offset added to the texture coordinates (the current cell of a sprite sheet).
  glm::vec2 cellOffset{0.0f};
  // Drawn with the transparent draws even when its alpha is 1.
  bool forceTransparent = false;
  // Material values replaced for this draw. The alpha override belongs to the diffuse one.
  bool overrideDiffuse = false;
  glm::vec3 diffuseOverride{1.0f};
  float alphaOverride = 1.0f;
  bool overrideAmbient = false;
  glm::vec3 ambientOverride{1.0f};
  bool overrideSpecular = false;
  glm::vec3 specularOverride{1.0f};
  bool overrideShininess = false;
  float shininessOverride = 0.0f;
  // Gets an order number of its own, so it is a batch of one drawn in the order queued.
  bool ordered = false;
  // Drawn only inside this rectangle of the layer (x, y from the top-left corner, width,
  // height, in pixels). Only ordered draws may carry one: other draws batch without regard
  // to it.
  bool scissor = false;
  glm::ivec4 scissorRect{0};
  // The size in pixels of a layer that this draw, drawn first on it, would cover whole at full
  // coverage (alpha 1 at every pixel, inside the clip range, no narrower scissor), as its
  // queuer vouches; 0 x 0 when it makes no such claim. The renderer then skips the layers
  // beneath (see Renderer).
  glm::ivec2 fillsLayerOfSize{0};
};

class DrawQueue {
 public:
  virtual ~DrawQueue() = default;
  virtual void QueueDraw(const DrawRequest& draw) = 0;
};
