// A script reading and writing an entity's position through the component getter, as game
// scripts do: each benchmark iteration runs one script call whose loop does
//   GetTransform(id)._position.x = GetTransform(id)._position.x + 1
// 10,000 times (two getter calls, a read and a write per pass) against the real script system
// and component arrays. Time is per script call; items/s counts passes.

#include <benchmark/benchmark.h>

#include "bench/support/quiet_stdout.h"
#include "components/component_registration.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "scripting/lua_script_system.h"

namespace {

constexpr int kPasses = 10000;

void BM_TransformPositionLoop(benchmark::State& state) {
  LuaScriptSystem* scripts = nullptr;
  int entity = -1;
  {
    const QuietStdout quiet;
    DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    DECS& decs = DECS::Instance();
    scripts = decs.GetManager<SystemManager>()->RegisterSystem<LuaScriptSystem>().get();
    entity = decs.GetManager<EntityManager>()->CreateEntity("mover");
    decs.GetManager<ComponentManager>()->AddComponent(entity, Transform{});
  }
  lua::ChunkOutcome chunk = scripts->lua.RunChunk(
      "return function(id, n) for i = 1, n do "
      "GetTransform(id)._position.x = GetTransform(id)._position.x + 1 end end");
  if (!chunk.ok()) state.SkipWithError(chunk.error.c_str());
  for (auto _ : state) {
    const lua::CallOutcome call = scripts->lua.Call(chunk.result, entity, kPasses);
    if (!call.ok()) {
      state.SkipWithError(call.error.c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPasses);
  chunk.result.Reset();
  const QuietStdout quiet;
  DECS::Instance().Shutdown();
}

BENCHMARK(BM_TransformPositionLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
