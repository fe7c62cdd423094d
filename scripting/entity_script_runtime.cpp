// LuaScriptSystem: loading entity scripts, calling their functions by name, reporting errors.

#include <lua.h>

#include <vector>

#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "engine/entity_manager.h"
#include "engine/whole_file.h"
#include "platform/os/file_path.h"
#include "scripting/lua_script_system.h"

namespace {

struct ScriptCall {
  int entity;
  std::string script;
  lua::Reference environment;
};

}  // namespace

void LuaScriptSystem::ReportLuaError(std::string_view file, std::string_view error) {
  errorLog.Report(file, error, Now());
}

double LuaScriptSystem::Now() const {
  if (DECS::HasInstance()) return DECS::Instance().Clock().Now();
  return SteadyEngineClock().Now();
}

std::string LuaScriptSystem::AliasOf(int entity) const {
  return entityManager != nullptr ? entityManager->GetName(entity) : std::string();
}

const std::string& LuaScriptSystem::SourceOf(const std::string& path, std::string_view reportAs) {
  const auto cached = sourceCache.find(path);
  if (cached != sourceCache.end()) return cached->second;
  std::string source;
  const WholeFileRead read = ReadWholeFile(os::NormalizePath(path), source);
  // Cached all the same, so the report comes once and the script runs as an empty one.
  if (read != WholeFileRead::kRead) {
    ReportLuaError(reportAs, "the script file " + path + " " + DescribeWholeFileRead(read));
  }
  return sourceCache.emplace(path, std::move(source)).first->second;
}

EntityScriptRecord& LuaScriptSystem::RecordOf(int entity) {
  EntityScriptRecord& record = entityScripts[entity];
  if (record.serial == 0) record.serial = nextSerial++;
  return record;
}

std::uint64_t LuaScriptSystem::SerialOf(int entity) const {
  const auto record = entityScripts.find(entity);
  return record != entityScripts.end() ? record->second.serial : 0;
}

void LuaScriptSystem::LoadEntityScript(int entity, const std::string& name,
                                       const std::string& path) {
  lua::Reference environment = lua.NewEnvironment();
  const std::string file = AliasOf(entity) + "->" + name;
  // Copied: a script's init may load other scripts, and the cache may grow meanwhile.
  const std::string source = SourceOf(path, file);
  const std::uint64_t serial = SerialOf(entity);
  lua::ChunkOutcome chunk = lua.RunChunk(source, &environment);
  if (!chunk.ok()) {
    ReportLuaError(file, chunk.error);
    return;
  }
  // The chunk's top level may have destroyed its own entity or dropped every record; the
  // script then belongs to nothing and is not stored.
  if (serial != 0 && SerialOf(entity) != serial) return;
  RecordOf(entity).scripts[name] = environment;

  const int resultType = chunk.result.Type();
  if (resultType != LUA_TTABLE && resultType != LUA_TUSERDATA) return;
  // Neither the record nor the map may be held across init: the script can destroy its own
  // entity or clear every record.
  const lua::Reference init = chunk.result.Get("init");
  if (init.Valid()) {
    const lua::CallOutcome outcome = lua.Call(init, entity);
    if (!outcome.ok()) ReportLuaError(AliasOf(entity), outcome.error);
  }
  environment.RawSet("behavior", chunk.result);
}

void LuaScriptSystem::CallScriptFunction(std::string_view message, int entity) {
  const std::size_t blank = message.find(' ');
  const std::string functionName(message.substr(0, blank));
  const std::string argument =
      blank == std::string_view::npos ? std::string() : std::string(message.substr(blank + 1));

  // The calls are listed first: a called function may destroy entities, clear the records or
  // load new scripts while the walk goes on.
  std::vector<ScriptCall> calls;
  const auto addCalls = [&](int target) {
    const auto record = entityScripts.find(target);
    if (record == entityScripts.end()) return;
    for (const auto& [script, environment] : record->second.scripts) {
      calls.push_back({target, script, environment});
    }
  };
  if (entity < 0) {
    for (int target : entities) addCalls(target);
  } else {
    addCalls(entity);
  }

  for (const ScriptCall& call : calls) {
    // Skip a script whose record was dropped or replaced by an earlier call.
    const auto record = entityScripts.find(call.entity);
    if (record == entityScripts.end()) continue;
    const auto script = record->second.scripts.find(call.script);
    if (script == record->second.scripts.end() || !script->second.RawEquals(call.environment)) {
      continue;
    }
    const lua::Reference function = call.environment.Get(functionName);
    if (!function.Valid()) continue;
    const lua::CallOutcome outcome = lua.Call(function, argument);
    if (!outcome.ok()) {
      ReportLuaError(AliasOf(call.entity) + "->" + call.script + "->" + std::string(message),
                     outcome.error);
    }
  }
}
