// Cost of the typed component look-ups, per call: GetComponent<T> and HasComponent<T> through
// the per-type index, next to a look-up that hashes the type name on every call, as a registry
// keyed by name alone would have to.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/support/quiet_stdout.h"
#include "components/component_registration.h"
#include "components/particle_emitter.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"

namespace {

// An engine with the 24 component arrays, built quietly and torn down at the end of the
// benchmark. Every eighth entity has a Transform.
class BenchEngine {
 public:
  BenchEngine() {
    const QuietStdout quiet;
    DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    for (int entity = 0; entity < kMaxEntities; entity += 8) {
      Components().AddComponent(entity, Transform({1, 2, 3}, {0, 0, 0}, {1, 1, 1}));
    }
  }
  ~BenchEngine() { DECS::Instance().Shutdown(); }
  ComponentManager& Components() { return *DECS::Instance().GetManager<ComponentManager>(); }
};

void BM_GetComponent(benchmark::State& state) {
  BenchEngine engine;
  ComponentManager& components = engine.Components();
  int entity = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(components.GetComponent<Transform>(entity));
    entity = (entity + 1) & (kMaxEntities - 1);
  }
}
BENCHMARK(BM_GetComponent);

void BM_HasComponent(benchmark::State& state) {
  BenchEngine engine;
  ComponentManager& components = engine.Components();
  int entity = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(components.HasComponent<Transform>(entity));
    entity = (entity + 1) & (kMaxEntities - 1);
  }
}
BENCHMARK(BM_HasComponent);

// A type registered late, so its index is not the first slot.
void BM_GetComponentOfTheEighteenthType(benchmark::State& state) {
  BenchEngine engine;
  ComponentManager& components = engine.Components();
  int entity = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(components.GetComponent<ParticleEmitter>(entity));
    entity = (entity + 1) & (kMaxEntities - 1);
  }
}
BENCHMARK(BM_GetComponentOfTheEighteenthType);

// For comparison: build the type name and hash it on every call.
void BM_GetComponentByTypeName(benchmark::State& state) {
  BenchEngine engine;
  ComponentManager& components = engine.Components();
  int entity = 0;
  for (auto _ : state) {
    const auto array = components.componentArrays.find(std::string(TypeName<Transform>()));
    benchmark::DoNotOptimize(static_cast<Transform*>(array->second->GetComponent(entity)));
    entity = (entity + 1) & (kMaxEntities - 1);
  }
}
BENCHMARK(BM_GetComponentByTypeName);

}  // namespace
