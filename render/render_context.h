#pragma once
// RenderContext: the owner of every GPU object the game keeps between frames, namely the
// resource cache, the renderer and its post-processing chain.
//
//   window opens (its GL context current)
//   RenderContext context;                  // cache, then renderer, then chain
//   context.AddTeardownStep([&] { ... });   // others holding GPU objects or renderer pointers
//   ...frames...
//   context destroyed before the window     // steps (last added first), chain, renderer, cache
//
// While a context lives, ResourceCache::Instance(), Renderer::Instance() and
// PostProcessingChain::FindInstance() answer with its objects; outside one there are none
// (FindInstance gives null, the two others end the program with a message, as a use of GPU
// state with no GL context behind it would be a fault). Because the context dies while its
// window's GL context is still current, nothing it owns deletes a GL object without one.
// One context at a time: a second one is refused at construction (std::logic_error).

#include <functional>
#include <memory>
#include <vector>

class GpuBackend;
class PostProcessingChain;
class RendererTargets;
class Renderer;
class ResourceCache;

// Ends the program with "<what> : used outside a living render context" on stderr.
[[noreturn]] void FailWithoutRenderContext(const char* what);

class RenderContext {
 public:
  // Creates the cache with the GL backend, the renderer and the chain. The window's GL context
  // must be current and its functions loaded.
  RenderContext();
  // As above, with the cache on `backend`.
  explicit RenderContext(std::unique_ptr<GpuBackend> backend);
  // Runs the teardown steps, then destroys the chain, the renderer and the cache.
  ~RenderContext();
  RenderContext(const RenderContext&) = delete;
  RenderContext& operator=(const RenderContext&) = delete;

  // The living context, or null.
  static RenderContext* Current();

  ResourceCache& Resources() { return *cache; }
  Renderer& GetRenderer() { return *renderer; }
  PostProcessingChain& PostProcessing() { return *chain; }

  // Runs `step` first thing at destruction, while every object of the context is still whole;
  // steps run in the reverse order of their adding. For owners of GPU objects outside the
  // context and holders of pointers into it.
  void AddTeardownStep(std::function<void()> step);

 private:
  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<RendererTargets> targets;
  std::unique_ptr<PostProcessingChain> chain;
  std::vector<std::function<void()>> teardownSteps;
};
