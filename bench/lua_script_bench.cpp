// Cost of the script system's update with N scripted entities (N = 10, 100, 500), each running
// one script whose update(dt) reads and writes its transform, as the game's movers do:
//   local t = GetTransform(id); t._position.x = t._position.x + dt
// The scripts are loaded before timing starts; the time is per update of the whole system, the
// items per second count entity updates.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "bench/support/quiet_stdout.h"
#include "components/component_registration.h"
#include "components/lua_script_container.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "scripting/lua_script_system.h"

namespace {

const char* const kMoverScript =
    "local id = -1\n"
    "return {\n"
    "  init = function(entity) id = entity end,\n"
    "  update = function(dt)\n"
    "    local t = GetTransform(id)\n"
    "    t._position.x = t._position.x + dt\n"
    "  end,\n"
    "}\n";

// An engine with the component arrays, the script system and `count` scripted entities whose
// scripts are loaded; torn down at the end with the script folder.
class ScriptedEntities {
 public:
  explicit ScriptedEntities(int count) {
    const QuietStdout quiet;
    folder =
        std::filesystem::temp_directory_path() / ("kelvaris-lua-bench-" + std::to_string(count));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "mover.lua") << kMoverScript;
    DECS& decs = DECS::CreateInstance();
    CreateManagers();
    RegisterAllComponents();
    auto systems = decs.GetManager<SystemManager>();
    auto components = decs.GetManager<ComponentManager>();
    auto entities = decs.GetManager<EntityManager>();
    scripts = systems->RegisterSystem<LuaScriptSystem>().get();
    LuaScriptContainer container;
    container.pathPrefix = folder.string() + "/";
    container._scriptList = {"mover mover.lua"};
    container.BuildScriptMap();
    for (int index = 0; index < count; ++index) {
      const int entity = entities->CreateEntity("mover" + std::to_string(index));
      components->AddComponent(entity, Transform{});
      components->AddComponent(entity, container);
      entities->AddToSignature<Transform>(entity);
      entities->AddToSignature<LuaScriptContainer>(entity);
      systems->EntitySignatureChanged(entity, entities->signaturesById[entity]);
    }
    scripts->Update(0.0f);  // loads every entity's script
  }
  ~ScriptedEntities() {
    const QuietStdout quiet;
    DECS::Instance().Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  ScriptedEntities(const ScriptedEntities&) = delete;
  ScriptedEntities& operator=(const ScriptedEntities&) = delete;

  LuaScriptSystem* scripts = nullptr;
  std::filesystem::path folder;
};

void BM_ScriptUpdate(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  ScriptedEntities world(count);
  if (world.scripts->entityScripts.size() != static_cast<std::size_t>(count)) {
    state.SkipWithError("not every entity loaded its script");
    return;
  }
  for (auto _ : state) world.scripts->Update(1.0f / 60.0f);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ScriptUpdate)->Arg(10)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace
