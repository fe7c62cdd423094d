#include "render/render_context.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "render/gpu_backend.h"
#include "render/post_processing.h"
#include "render/renderer.h"
#include "render/resource_cache.h"

namespace {

RenderContext* current = nullptr;

}  // namespace

void FailWithoutRenderContext(const char* what) {
  std::fprintf(stderr, "%s : used outside a living render context\n", what);
  std::abort();
}

RenderContext::RenderContext() : RenderContext(MakeGlBackend()) {}

RenderContext::RenderContext(std::unique_ptr<GpuBackend> backend) {
  if (current != nullptr) throw std::logic_error("a render context exists already");
  current = this;
  try {
    cache = std::make_unique<ResourceCache>(std::move(backend));
    renderer = std::make_unique<Renderer>(*cache);
    targets = std::make_unique<RendererTargets>(*renderer);
    chain = std::make_unique<PostProcessingChain>(*targets, *cache);
  } catch (...) {
    current = nullptr;
    throw;
  }
  renderer->SetPostProcessing(chain.get());
}

RenderContext::~RenderContext() {
  while (!teardownSteps.empty()) {
    const std::function<void()> step = std::move(teardownSteps.back());
    teardownSteps.pop_back();
    step();
  }
  renderer->SetPostProcessing(nullptr);
  chain.reset();
  targets.reset();
  renderer.reset();
  cache.reset();
  current = nullptr;
}

RenderContext* RenderContext::Current() { return current; }

void RenderContext::AddTeardownStep(std::function<void()> step) {
  if (step) teardownSteps.push_back(std::move(step));
}
