// Post-processing at 320 x 180, in a hidden window with the renderer's eight layers: each pass
// type over layer 1 (a picture of soft colour bands and bright spots), and the pass lists of
// the main menu's scene settings for each graphics mode run over every layer as a frame runs
// them. glFinish ends every iteration, so the time is the GPU's (Mesa's llvmpipe here) as well
// as the CPU's. Also reported: heap allocations per iteration once the targets exist.
//
//   xvfb-run -a build/release/bench/bench_post_processing

#include <benchmark/benchmark.h>
#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/allocation_counter.h"
#include "bench/support/bench_window.h"
#include "bench/support/quiet_stdout.h"
#include "engine/decs.h"
#include "engine/json_file.h"
#include "render/gpu_mesh.h"
#include "render/post_processing.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "render/shader.h"

namespace {

constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 180;

const char* const kTypeNames[] = {"Floreth",     "Blur", "MultiScaleBlur", "Edge", "Posterization",
                                  "ToneMapping", "Fade", "Screentone",     "FXAA", "Noir"};
const char* const kModes[] = {"Default", "Toon", "ScreenToned", "Noir"};

// The window, the engine's global values, the renderer with its layers, the chain and the
// full-screen quad; made on first use and kept for every benchmark of the run.
class PostProcessingWorld {
 public:
  static PostProcessingWorld& Get() {
    static PostProcessingWorld world;
    return world;
  }

  // The state the renderer sets up before its passes.
  void PrepareFrame() {
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, kWindowWidth, kWindowHeight);
    renderer->SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    composite->Use();
    quad->Bind();
    renderer->BindLayer(0);
  }

  // Layer 1 gets the test picture again.
  void ResetPicture() {
    glTextureSubImage2D(renderer->LayerFramebuffer(1).ColorTexture(), 0, 0, 0, kWindowWidth,
                        kWindowHeight, GL_RGBA, GL_FLOAT, picture.data());
  }

  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<RendererTargets> targets;
  std::unique_ptr<PostProcessingChain> chain;
  std::unique_ptr<GpuMesh> quad;
  Shader* composite = nullptr;

 private:
  PostProcessingWorld() {
    window = OpenBenchmarkWindow(kWindowWidth, kWindowHeight, "Kelvaris post-processing benchmark");

    const QuietStdout quiet;
    DECS::CreateInstance();
    CreateManagers();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    renderer = std::make_unique<Renderer>(*cache);
    targets = std::make_unique<RendererTargets>(*renderer);
    chain = std::make_unique<PostProcessingChain>(*targets, *cache);
    renderer->SetPostProcessing(chain.get());
    chain->SetSceneFadeSource([] { return 0.5f; });
    quad = std::make_unique<GpuMesh>(
        cache->MeshAt(cache->GetMesh("./GAME/Assets/Meshes/FramebufferMesh.txt")));
    composite = cache->GetShaderById(cache->GetShader(
        PassShaders::kVertex, "./GAME/Shaders/Fragment/FramebufferFragmentShader.glsl"));
    if (composite == nullptr) throw std::runtime_error("no composite program");

    // Soft bands of colour with bright spots, so masks, edges and tones all have work.
    picture.resize(static_cast<std::size_t>(kWindowWidth * kWindowHeight));
    for (int y = 0; y < kWindowHeight; ++y) {
      for (int x = 0; x < kWindowWidth; ++x) {
        const float u = static_cast<float>(x) / kWindowWidth;
        const float v = static_cast<float>(y) / kWindowHeight;
        const bool spot = (x / 16 + y / 16) % 5 == 0;
        picture[static_cast<std::size_t>(y * kWindowWidth + x)] =
            spot ? glm::vec4(1.0f)
                 : glm::vec4(0.5f + 0.5f * std::sin(9.0f * u), v, 0.5f + 0.5f * std::cos(7.0f * v),
                             1.0f);
      }
    }
  }

  ~PostProcessingWorld() {
    chain.reset();
    targets.reset();
    renderer.reset();
    quad.reset();
    cache.reset();
    DECS::Instance().Shutdown();
    glfwDestroyWindow(window);
    glfwTerminate();
  }

  GLFWwindow* window = nullptr;
  std::vector<glm::vec4> picture;
};

PostProcessPass TypicalPass(PostProcessType type) {
  std::vector<int> ints;
  std::vector<float> floats;
  switch (type) {
    case PostProcessType::Floreth:
      ints = {5, 2, 7};
      floats = {0.5f};
      break;
    case PostProcessType::Blur:
      ints = {1, 1};
      break;
    case PostProcessType::MultiScaleBlur:
      ints = {3, 1};
      break;
    case PostProcessType::Edge:
      ints = {0};
      floats = {0.25f, 1.0f, 3.0f, 0.05f, 0.04f, 0.08f};
      break;
    case PostProcessType::Posterization:
      ints = {0, 0, 6};
      floats = {0.0f};
      break;
    case PostProcessType::Fade:
      floats = {0.0f, 0.0f, 0.0f, 0.0f};
      break;
    case PostProcessType::Noir:
      ints = {4, 4, 0};
      floats = {0.1f};
      break;
    default:
      break;
  }
  return MakePostProcessPass(static_cast<int>(type), ints.data(), static_cast<int>(ints.size()),
                             floats.data(), static_cast<int>(floats.size()), true);
}

void ReportAllocations(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs_per_iteration"] =
      static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}

// One pass of each type over layer 1, in place, as the renderer runs it.
void BM_Pass(benchmark::State& state) {
  PostProcessingWorld& world = PostProcessingWorld::Get();
  const auto type = static_cast<PostProcessType>(state.range(0));
  state.SetLabel(kTypeNames[state.range(0)]);
  const PostProcessPass pass = TypicalPass(type);
  Framebuffer& layer = world.renderer->LayerFramebuffer(1);
  world.PrepareFrame();
  world.ResetPicture();
  // The first run makes the program and the scratch targets.
  world.chain->ApplyPostProcessPass(pass, layer, layer, *world.composite);
  glFinish();

  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    world.chain->ApplyPostProcessPass(pass, layer, layer, *world.composite);
    glFinish();
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_Pass)->DenseRange(0, 9)->ArgName("type")->Unit(benchmark::kMicrosecond);

// The main menu's pass lists of one graphics mode over every layer framebuffer.
void BM_MainMenuPipeline(benchmark::State& state) {
  PostProcessingWorld& world = PostProcessingWorld::Get();
  const std::string mode = kModes[state.range(0)];
  state.SetLabel(mode);
  {
    const QuietStdout quiet;
    JsonFile settings;
    std::string path = "GAME/Scenes/Settings/" + mode + "/main_menu_scene.json";
    LoadJsonFile(settings, path);
    world.chain->ApplySceneSettings(settings.document);
  }
  Renderer& renderer = *world.renderer;
  const auto frame = [&] {
    for (int index = 0; index + 1 < renderer.LayerCount(); ++index) {
      world.chain->ApplyLayerPasses(index, renderer.LayerFramebuffer(index + 1), *world.composite,
                                    false);
    }
    glFinish();
  };
  world.PrepareFrame();
  world.ResetPicture();
  frame();

  const std::uint64_t before = AllocationCount();
  for (auto _ : state) frame();
  ReportAllocations(state, before);
}
BENCHMARK(BM_MainMenuPipeline)->DenseRange(0, 3)->ArgName("mode")->Unit(benchmark::kMicrosecond);

}  // namespace
