// The GPU world effects in a hidden 320 x 180 window:
//   BM_GrassBuild/N     growing the grass of an N x N map (one layer, 4 x 4 blades per tile,
//                       full density): buffers, count and grow passes, to the finished count
//   BM_GrassFrame       one frame of the renderer with a 32 x 32 map of grass drawn into the
//                       scene layer, seen from above
//   BM_WindPackUpload/N packing N wind emitters and uploading them (no map: no dispatch)
// Each iteration ends with glFinish, so the GPU's work is counted.
//
//   xvfb-run -a build/release/bench/bench_world_effects

#include <benchmark/benchmark.h>
#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/support/quiet_stdout.h"
#include "bench/support/render_setup.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "components/wind_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "gameplay/grass_system.h"
#include "gameplay/wind_system.h"
#include "render/renderer.h"

namespace {

constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 180;

// The window, the engine with a camera looking down on the map, the renderer, the wind and the
// grass; made on first use and kept for every benchmark of the run.
class EffectsWorld {
 public:
  static EffectsWorld& Get() {
    static EffectsWorld world;
    return world;
  }

  // Gives the map entity an N x N map with one grass layer and grows it.
  void BuildMap(int side) {
    Tilemap tiles;
    tiles.width = static_cast<unsigned int>(side);
    tiles.height = static_cast<unsigned int>(side);
    tiles.layer1.assign(static_cast<std::size_t>(side * side), '1');
    tiles.heights.assign(static_cast<std::size_t>(side * side), 0.0f);
    FoliageData layer;
    layer._meshPath = "./GAME/Assets/Meshes/GrassBlade.txt";
    layer._maxDensity = 4;
    layer._color2 = {0.2f, 0.5f, 0.1f};
    layer._color3 = {0.4f, 0.7f, 0.2f};
    tiles._foliageData.push_back(layer);
    *DECS::Instance().GetManager<ComponentManager>()->GetComponent<Tilemap>(map) = tiles;
    const QuietStdout quiet;
    DECS::Instance().GetManager<MessagingManager>()->PostFormatted("scene_load bench", 1);
  }

  // Gives the wind exactly `count` emitters.
  void SetEmitters(int count) {
    const QuietStdout quiet;
    while (static_cast<int>(emitters.size()) > count) {
      DECS::Instance().DestroyEntity(emitters.back());
      emitters.pop_back();
    }
    while (static_cast<int>(emitters.size()) < count) {
      WindEmitter emitter;
      emitter._type =
          emitters.size() % 2 == 0 ? WindEmitterType::Directional : WindEmitterType::Vortex;
      emitter._strengthVariationRange = {0.5f, 1.5f};
      emitter._strenghVariationDelta = 0.1f;
      emitters.push_back(setup.AddEntity("emitter", Transform(), emitter));
    }
  }

  Renderer& renderer() { return setup.renderer(); }
  GrassSystem& grass() { return *grassSystem; }
  WindSystem& wind() { return *windSystem; }

 private:
  EffectsWorld()
      : setup(kWindowWidth, kWindowHeight, "Kelvaris world effects benchmark",
              // about 33 units high, looking straight down on the map
              BenchCamera{Transform({0.0f, 20.0f, 0.0f}, {-90.0f, 0.0f, 0.0f}, glm::vec3(1.0f)),
                          0.03f}) {
    grassSystem = setup.systems().RegisterSystem<GrassSystem>();
    windSystem = setup.systems().RegisterSystem<WindSystem>();
    grassSystem->AttachGpu(setup.cache());
    windSystem->AttachGpu(setup.cache());
    setup.renderer().AddSceneLayerDrawer(grassSystem.get());
    map = setup.AddEntity("Tilemap", Transform({}, {}, {2.0f, 1.0f, 2.0f}), Tilemap());
  }

  // The systems give their GPU objects back before the set-up takes the renderer and context.
  ~EffectsWorld() {
    grassSystem->ReleaseGpu();
    windSystem->ReleaseGpu();
  }

  BenchRenderSetup setup;
  std::shared_ptr<GrassSystem> grassSystem;
  std::shared_ptr<WindSystem> windSystem;
  int map = -1;
  std::vector<int> emitters;
};

void BM_GrassBuild(benchmark::State& state) {
  EffectsWorld& world = EffectsWorld::Get();
  const int side = static_cast<int>(state.range(0));
  for (auto _ : state) {
    world.BuildMap(side);
    glFinish();
  }
  state.counters["blades"] = static_cast<double>(world.grass().BladeCount(0));
}
BENCHMARK(BM_GrassBuild)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_GrassFrame(benchmark::State& state) {
  EffectsWorld& world = EffectsWorld::Get();
  world.SetEmitters(0);
  world.BuildMap(32);
  world.wind().Update(0.016f);
  world.grass().Update(0.016f);
  for (auto _ : state) {
    world.renderer().Render();
    glFinish();
  }
  state.counters["blades"] = static_cast<double>(world.grass().BladeCount(0));
}
BENCHMARK(BM_GrassFrame)->Unit(benchmark::kMillisecond);

void BM_WindPackUpload(benchmark::State& state) {
  EffectsWorld& world = EffectsWorld::Get();
  // On an empty map the wind has no grid to fill: the update packs, uploads and dispatches
  // nothing.
  world.BuildMap(0);
  world.SetEmitters(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    world.wind().Update(0.016f);
    glFinish();
  }
}
BENCHMARK(BM_WindPackUpload)->Arg(0)->Arg(8)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

}  // namespace
