// The renderer's frame for many quads that share a mesh and a material, two ways:
//
// - BM_QueueAndBuild, the engine's own share without GL: every quad queued into a BatchBuilder,
//   then every layer's opaque and transparent batches built (instance records and texture
//   sub-batches) as a frame does, and the queues cleared. Needs no display.
// - BM_QueueAndRender, the full path in a hidden 320 x 180 window: QueueDraw for every entity,
//   then Renderer::Render (and glFinish, so frames do not pile up in the driver). The entities
//   are lit (StandardMaterial) and seen through a scene camera, as in the game.
//
// Reported per frame: the sub-batches (one instanced call each; 13 texture units per call, the
// quads use their textures in runs) as the builder or the renderer counted them, and the heap
// allocations made while queueing and building or rendering, counted by the replaced operator
// new, once the storage has grown to the frame's size.
//
//   build/release/bench/bench_render --benchmark_filter=QueueAndBuild
//   xvfb-run -a build/release/bench/bench_render --benchmark_filter=QueueAndRender

#include <benchmark/benchmark.h>
#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <cstdint>
#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "bench/support/allocation_counter.h"
#include "bench/support/render_setup.h"
#include "render/batch_builder.h"
#include "render/renderer.h"
#include "render/resource_cache.h"

namespace {

constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 180;
constexpr int kTextureUnitsPerCall = Renderer::kSamplerUnits - Renderer::kReservedTextureUnits;

// `count` quads in a grid over the 89 x 50 units the camera sees, using the first
// `textureCount` of `textures` in equal runs, one after the other.
std::vector<DrawRequest> QuadGrid(int count, int mesh, int material,
                                  const std::vector<int>& textures, int textureCount) {
  std::vector<DrawRequest> draws(static_cast<std::size_t>(count));
  const int columns = 100;
  const int rows = (count + columns - 1) / columns;
  for (int index = 0; index < count; ++index) {
    DrawRequest& draw = draws[static_cast<std::size_t>(index)];
    draw.mesh = mesh;
    draw.material = material;
    draw.textureA = textures[static_cast<std::size_t>(index * textureCount / count)];
    draw.model =
        glm::scale(glm::translate(glm::mat4(1.0f),
                                  glm::vec3(-44.0f + 0.88f * static_cast<float>(index % columns),
                                            -24.0f + 48.0f * static_cast<float>(index / columns) /
                                                         static_cast<float>(rows),
                                            0.0f)),
                   glm::vec3(0.8f, 0.4f, 1.0f));
  }
  return draws;
}

void BM_QueueAndBuild(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int textureCount = static_cast<int>(state.range(1));
  std::vector<int> textures;
  for (int texture = 1; texture <= textureCount; ++texture) textures.push_back(texture);
  Material material;
  material.shader = 1;
  const std::vector<DrawRequest> draws = QuadGrid(count, 0, 0, textures, textureCount);

  BatchBuilder builder(Renderer::kLayerCount, kTextureUnitsPerCall);
  std::uint64_t subBatches = 0;
  const auto frame = [&] {
    for (const DrawRequest& draw : draws) builder.Queue(draw, material, 0);
    subBatches = 0;
    for (int layer = 1; layer < Renderer::kLayerCount; ++layer) {
      subBatches += builder.BuildOpaque(layer).SubBatchCount();
      benchmark::DoNotOptimize(builder.Built().instances.data());
    }
    for (int layer = 1; layer < Renderer::kLayerCount; ++layer) {
      subBatches += builder.BuildTransparent(layer, glm::vec3(0.0f, 0.0f, 10.0f)).SubBatchCount();
      benchmark::DoNotOptimize(builder.Built().instances.data());
    }
    builder.Clear();
  };
  // The builder's storage grows to the frame's size in the first frame.
  frame();

  const std::uint64_t allocationsBefore = AllocationCount();
  for (auto _ : state) frame();
  const std::uint64_t allocations = AllocationCount() - allocationsBefore;

  state.counters["sub_batches"] = static_cast<double>(subBatches);
  state.counters["allocs_per_frame"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QueueAndBuild)
    ->ArgNames({"quads", "textures"})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({10000, 20})
    ->Args({100000, 20})
    ->Unit(benchmark::kMillisecond);

// The window, the engine with a camera and an ambient light, the renderer and the resources;
// made on first use and kept for every benchmark of the run.
class RenderWorld {
 public:
  static RenderWorld& Get() {
    static RenderWorld world;
    return world;
  }

  Renderer& renderer() { return setup.renderer(); }
  int mesh = -1;
  int material = -1;
  std::vector<int> textures;

 private:
  RenderWorld() {
    const QuietStdout quiet;
    ResourceCache& cache = setup.cache();
    mesh = cache.GetMesh("./GAME/Assets/Meshes/DefaultQuad.txt");
    material = cache.GetMaterial("./GAME/Assets/Materials/StandardMaterial.json");
    for (int index = 0; index < 20; ++index) {
      const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(index * 12), 128, 200, 255};
      char name[32];
      std::snprintf(name, sizeof name, "bench texture %d", index);
      textures.push_back(cache.CreateTexture(1, 1, pixel, name));
    }
  }

  BenchRenderSetup setup{kWindowWidth, kWindowHeight, "Kelvaris render benchmark"};
};

void BM_QueueAndRender(benchmark::State& state) {
  RenderWorld& world = RenderWorld::Get();
  Renderer& renderer = world.renderer();
  const int count = static_cast<int>(state.range(0));
  const int textureCount = static_cast<int>(state.range(1));

  const std::vector<DrawRequest> draws =
      QuadGrid(count, world.mesh, world.material, world.textures, textureCount);
  const auto frame = [&] {
    for (const DrawRequest& draw : draws) renderer.QueueDraw(draw);
    renderer.Render();
    glFinish();
  };
  // The renderer's storage grows to the frame's size in the first frames.
  for (int warmUp = 0; warmUp < 3; ++warmUp) frame();

  const std::uint64_t allocationsBefore = AllocationCount();
  for (auto _ : state) frame();
  const std::uint64_t allocations = AllocationCount() - allocationsBefore;

  const Renderer::Statistics& statistics = renderer.FrameStatistics();
  state.counters["draw_calls"] = static_cast<double>(statistics.drawCalls);
  state.counters["sub_batches"] = static_cast<double>(statistics.subBatches);
  state.counters["instances"] =
      static_cast<double>(statistics.drawCalls) + statistics.instancesSaved;
  state.counters["allocs_per_frame"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QueueAndRender)
    ->ArgNames({"entities", "textures"})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({1000, 20})
    ->Args({10000, 20})
    ->Unit(benchmark::kMillisecond);

}  // namespace
