// Cost of one collision update's passes:
//   BM_PairPass/N/0  N box bodies spread apart: every pair is tested, none touch;
//   BM_PairPass/N/1  N box bodies on one spot: every pair is pushed apart and reported (the
//                    bodies are put back before each iteration, which costs O(N));
//   BM_TilePass      256 box bodies standing on a 64 x 64 floor of 2 x 2 cells.
// Times are per update.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench/support/quiet_stdout.h"
#include "components/collider.h"
#include "components/component_registration.h"
#include "components/physics.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "physics/collision_system.h"

namespace {

// An engine with the component arrays and the collision system, torn down at the end.
class CollisionBench {
 public:
  CollisionBench() {
    const QuietStdout quiet;
    DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    collision =
        DECS::Instance().GetManager<SystemManager>()->RegisterSystem<CollisionSystem>().get();
  }
  ~CollisionBench() {
    const QuietStdout quiet;
    DECS::Instance().Shutdown();
  }

  template <typename Component>
  Component& Add(int entity, const Component& value) {
    DECS& decs = DECS::Instance();
    auto components = decs.GetManager<ComponentManager>();
    auto entities = decs.GetManager<EntityManager>();
    components->AddComponent(entity, value);
    entities->AddToSignature<Component>(entity);
    decs.GetManager<SystemManager>()->EntitySignatureChanged(entity,
                                                             entities->signaturesById[entity]);
    return *components->GetComponent<Component>(entity);
  }

  int AddBody(const glm::vec3& position) {
    const QuietStdout quiet;
    const int entity = DECS::Instance().GetManager<EntityManager>()->CreateEntity("body");
    Add(entity, Collider{});
    Add(entity, Physics{});
    transforms.push_back(&Add(entity, Transform(position, {}, glm::vec3(1.0f))));
    return entity;
  }

  void AddFloor(unsigned int side) {
    const QuietStdout quiet;
    Tilemap map;
    map.width = side;
    map.height = side;
    const std::size_t count = static_cast<std::size_t>(side) * side;
    map.layer1.assign(count, '1');
    map.layer2.assign(count, '0');
    map.layer3.assign(count, '0');
    map.heights.assign(count, 0.0f);
    map.tileValues.assign(count, 0);
    const int entity = DECS::Instance().GetManager<EntityManager>()->CreateEntity("Tilemap");
    Add(entity, Transform({}, {}, glm::vec3(2.0f)));
    Add(entity, map);
    collision->RequestRebuild();
  }

  CollisionSystem* collision = nullptr;
  std::vector<Transform*> transforms;
};

void BM_PairPass(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const bool overlapping = state.range(1) != 0;
  CollisionBench bench;
  const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
  std::vector<glm::vec3> positions;
  for (int i = 0; i < count; ++i) {
    positions.push_back(overlapping ? glm::vec3(0.0f)
                                    : glm::vec3(3.0f * static_cast<float>(i % columns), 0.0f,
                                                3.0f * static_cast<float>(i / columns)));
    bench.AddBody(positions.back());
  }
  for (auto _ : state) {
    if (overlapping) {
      for (int i = 0; i < count; ++i)
        bench.transforms[static_cast<std::size_t>(i)]->_position =
            positions[static_cast<std::size_t>(i)];
    }
    bench.collision->PairPass();
  }
  state.counters["pairs"] = static_cast<double>(count) * (count - 1) / 2.0;
}
BENCHMARK(BM_PairPass)->ArgsProduct({{16, 64, 256, 1023}, {0, 1}})->Unit(benchmark::kMicrosecond);

void BM_TilePass(benchmark::State& state) {
  CollisionBench bench;
  bench.AddFloor(64);
  // 16 x 16 bodies, one per fourth cell, over the middle of the map.
  for (int i = 0; i < 256; ++i) {
    bench.AddBody({-30.0f + 4.0f * static_cast<float>(i % 16), 0.0f,
                   -30.0f + 4.0f * static_cast<float>(i / 16)});
  }
  for (auto _ : state) bench.collision->TilePass();
}
BENCHMARK(BM_TilePass)->Unit(benchmark::kMicrosecond);

}  // namespace
