#pragma once
// What the post-processing passes need from the renderer: its layer framebuffers and the blend
// state it keeps. The renderer's own layers are RendererTargets; tests give their own.

#include "render/framebuffer.h"
#include "render/renderer.h"

class PostProcessTargets {
 public:
  virtual ~PostProcessTargets() = default;
  // The framebuffer of layer 1..8, or null for any other number.
  virtual Framebuffer* LayerFramebuffer(int layer) = 0;
  // Binds a layer's framebuffer; 0 binds the window's.
  virtual void BindLayer(int layer) = 0;
  virtual void SetBlendFunc(unsigned int source, unsigned int destination) = 0;
  virtual unsigned int BlendSource() const = 0;
  virtual unsigned int BlendDestination() const = 0;
};

// The renderer's layers as PostProcessTargets.
class RendererTargets final : public PostProcessTargets {
 public:
  explicit RendererTargets(Renderer& renderer) : renderer(renderer) {}
  Framebuffer* LayerFramebuffer(int layer) override {
    if (layer < 1 || layer >= renderer.LayerCount()) return nullptr;
    return &renderer.LayerFramebuffer(layer);
  }
  void BindLayer(int layer) override { renderer.BindLayer(layer); }
  void SetBlendFunc(unsigned int source, unsigned int destination) override {
    renderer.SetBlendFunc(source, destination);
  }
  unsigned int BlendSource() const override { return renderer.BlendSource(); }
  unsigned int BlendDestination() const override { return renderer.BlendDestination(); }

 private:
  Renderer& renderer;
};
