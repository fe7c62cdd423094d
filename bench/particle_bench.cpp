// Particle update cost: emitters of 1,000 live particles each (long lives, steady pools), moved
// with noise and turbulence on, as weather emitters are. Reported per update of all emitters
// and per particle (per_particle, in seconds with an SI prefix).
//
// Particle draw cost: 50 such emitters (50,000 particles) queued by ParticleSystem::Render on
// the renderer and drawn in a hidden 320 x 180 window (glFinish after each frame). Reported per
// frame: the draw calls and the heap allocations of queueing and drawing, counted by the
// replaced operator new, once the renderer's storage has grown to the frame's size.
//
//   xvfb-run -a build/release/bench/bench_particles

#include <benchmark/benchmark.h>
#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/allocation_counter.h"
#include "bench/support/render_setup.h"
#include "components/particle_emitter.h"
#include "components/transform.h"
#include "gameplay/particle_simulation.h"
#include "gameplay/particle_system.h"
#include "render/renderer.h"
#include "render/resource_cache.h"

namespace {

constexpr int kParticlesPerEmitter = 1000;

ParticleEmitter FullEmitter(ParticleRandom& random) {
  ParticleEmitter emitter;
  emitter._maxParticles = kParticlesPerEmitter;
  emitter._emissionRate = static_cast<float>(kParticlesPerEmitter);
  emitter._lifetimeRange = {1000.0f, 2000.0f};
  emitter._emissionShape = EmissionShape::Box;
  emitter._emissionBounds = {10.0f, 2.0f, 10.0f};
  emitter._startVelocityRange = {-1.0f, -2.0f, 0.0f};
  emitter._endVelocityRange = {1.0f, -1.0f, 0.5f};
  emitter._noiseModifiers.strength = glm::vec3(0.5f);
  emitter._turbulenceModifiers.intensity = 0.3f;
  emitter._startColorRange = {1.0f, 1.0f, 1.0f, 1.0f};
  emitter._endColorRange = {0.5f, 0.6f, 0.7f, 0.0f};
  emitter._endScaleRange = glm::vec3(0.2f);
  EmitParticles(emitter, {}, random, 1.0f);
  return emitter;
}

void BM_ParticleUpdate(benchmark::State& state) {
  const auto emitterCount = static_cast<std::size_t>(state.range(0));
  ParticleRandom random(1);
  std::vector<ParticleEmitter> emitters;
  for (std::size_t i = 0; i < emitterCount; ++i) emitters.push_back(FullEmitter(random));
  // The noise only ever pushes and these particles never die, so their speeds would grow
  // without end: every 10 simulated seconds the pools go back to their first state, keeping the
  // speeds (and how often particles change noise cells) those of live emitters.
  const std::vector<ParticleEmitter> initial = emitters;
  int updates = 0;
  for (auto _ : state) {
    if (++updates % 600 == 0) {
      for (std::size_t i = 0; i < emitterCount; ++i) emitters[i].particles = initial[i].particles;
    }
    for (ParticleEmitter& emitter : emitters) {
      UpdateParticles(emitter, glm::vec3(0.0f), 1.0f / 60.0f);
    }
    benchmark::ClobberMemory();
  }
  const double particles = static_cast<double>(emitterCount * kParticlesPerEmitter);
  state.counters["particles"] = particles;
  // Seconds per particle, printed with an SI prefix ("15.2n" is 15.2 ns).
  state.counters["per_particle"] = benchmark::Counter(
      particles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ParticleUpdate)->ArgName("emitters")->Arg(1)->Arg(10)->Arg(50);

constexpr int kDrawnEmitters = 50;

// The window, an engine with a camera, an ambient light and the particle system, the renderer,
// and 50 emitters of 1,000 live glow particles; made on first use.
class ParticleDrawWorld {
 public:
  static ParticleDrawWorld& Get() {
    static ParticleDrawWorld world;
    return world;
  }

  Renderer& renderer() { return setup.renderer(); }
  ParticleSystem& particles() { return *particleSystem; }

 private:
  ParticleDrawWorld() {
    const QuietStdout quiet;
    particleSystem = setup.systems().RegisterSystem<ParticleSystem>();
    particleSystem->Seed(5);
    particleSystem->SetDrawQueue(&setup.renderer());

    ResourceCache& cache = setup.cache();
    ParticleRandom random(3);
    ParticleEmitter glow = FullEmitter(random);
    glow.particles.clear();
    glow.firstFreeIndex = -1;
    glow._emissionBounds = {4.0f, 4.0f, 1.0f};
    glow._startScaleRange = glow._endScaleRange = glm::vec3(0.4f);
    glow.meshHandle = cache.GetMesh("./GAME/Assets/Meshes/DefaultQuad.txt");
    glow.materialHandle = cache.GetMaterial("./GAME/Assets/Materials/ParticleGlowMaterial.json");
    glow.textureHandle = cache.GetTexture("./GAME/Assets/Textures/Particles/particle.png",
                                          GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
    for (int index = 0; index < kDrawnEmitters; ++index) {
      const glm::vec3 at(-40.0f + 8.0f * static_cast<float>(index % 10),
                         -20.0f + 10.0f * static_cast<float>(index / 10), 0.0f);
      setup.AddEntity("emitter" + std::to_string(index), Transform(at, {}, glm::vec3(1.0f)), glow);
    }
    particleSystem->Update(1.0f);  // each emitter fills its pool
  }

  BenchRenderSetup setup{320, 180, "Kelvaris particle benchmark"};
  std::shared_ptr<ParticleSystem> particleSystem;
};

void BM_ParticleDraw(benchmark::State& state) {
  ParticleDrawWorld& world = ParticleDrawWorld::Get();
  const auto frame = [&] {
    world.particles().Render();
    world.renderer().Render();
    glFinish();
  };
  // The renderer's storage grows to the frame's size in the first frames.
  for (int warmUp = 0; warmUp < 3; ++warmUp) frame();

  const std::uint64_t allocationsBefore = AllocationCount();
  for (auto _ : state) frame();
  const std::uint64_t allocations = AllocationCount() - allocationsBefore;

  const double particles = static_cast<double>(kDrawnEmitters * kParticlesPerEmitter);
  state.counters["particles"] = particles;
  state.counters["draw_calls"] = static_cast<double>(world.renderer().FrameStatistics().drawCalls);
  state.counters["allocs_per_frame"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
  state.counters["per_particle"] = benchmark::Counter(
      particles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ParticleDraw)->Unit(benchmark::kMillisecond);

}  // namespace
