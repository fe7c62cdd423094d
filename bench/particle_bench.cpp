// Particle update cost: emitters of 1,000 live particles each (long lives, steady pools), moved
// with noise and turbulence on, as weather emitters are. Reported per update of all emitters
// and per particle (per_particle, in seconds with an SI prefix).
//
//   build/release/bench/bench_particles

#include <benchmark/benchmark.h>

#include <vector>

#include "gameplay/particle_simulation.h"

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
  for (auto _ : state) {
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

}  // namespace
