#include "scripting/lua_script_system.h"

#include <lua.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "components/lua_script_container.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/whole_file.h"
#include "platform/os/close_request.h"
#include "platform/os/file_path.h"
#include "scripting/lua_api.h"
#include "scripting/lua_component_binder.h"

namespace {

struct ScriptEntry {
  std::string name;
  std::string path;
};

// The container's scripts in the order its list names them (a name listed twice keeps its
// first place and its last path, as the map holds it), then any the map holds beyond the list,
// by name: the order must not depend on how the map hashes.
std::vector<ScriptEntry> ScriptsInListOrder(const LuaScriptContainer& container) {
  std::vector<ScriptEntry> scripts;
  std::set<std::string> listed;
  for (const std::string& entry : container._scriptList) {
    std::string name = entry.substr(0, entry.find(' '));
    const auto script = container.scriptMap.find(name);
    if (script == container.scriptMap.end() || !listed.insert(name).second) continue;
    scripts.push_back({std::move(name), script->second});
  }
  std::vector<ScriptEntry> unlisted;
  for (const auto& [name, path] : container.scriptMap) {
    if (!listed.contains(name)) unlisted.push_back({name, path});
  }
  std::sort(unlisted.begin(), unlisted.end(),
            [](const ScriptEntry& a, const ScriptEntry& b) { return a.name < b.name; });
  scripts.insert(scripts.end(), unlisted.begin(), unlisted.end());
  return scripts;
}

bool IsStateScript(std::string_view name) { return name.find("state_") != std::string_view::npos; }

// The text after the name's first '_' (the whole name without one): state_Idle → Idle.
std::string_view StateKey(std::string_view name) {
  const std::size_t underscore = name.find('_');
  return underscore == std::string_view::npos ? name : name.substr(underscore + 1);
}

}  // namespace

lua::Limits GameScriptLimits() {
  return {.memoryBytes = kScriptMemoryBytes,
          .instructionsPerCall = kScriptInstructionsPerCall,
          .stopRequested = &os::CloseRequestPending};
}

LuaScriptSystem::LuaScriptSystem(std::string folder, lua::Limits limits)
    : scriptsDirectory(std::move(folder)), lua(limits) {}

LuaScriptSystem::~LuaScriptSystem() { ReleaseBinder(); }

void LuaScriptSystem::Init() {
  level = 1;
  lua.OpenLibraries(
      {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
  if (!DECS::HasInstance()) return;
  DECS& decs = DECS::Instance();
  if (auto systems = decs.GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<LuaScriptSystem>(), {std::string(TypeName<LuaScriptContainer>()),
                                                        std::string(TypeName<Transform>())});
  }
  componentManager = decs.GetManager<ComponentManager>();
  if (componentManager != nullptr) componentManager->luaState = lua.Handle();
  binder = std::make_unique<LuaComponentBinder>(lua, componentManager);
  entityManager = decs.GetManager<EntityManager>();
  binder->BindMathAndEnums();
  binder->BindComponents();
  if (componentManager != nullptr) componentManager->luaBinders.push_back(binder.get());
  messagingManager = decs.GetManager<MessagingManager>();
  // The modules come before the API: their top level calls no API function.
  LoadLibraryScript("Utilities", "lua_utilities.lua");
  LoadLibraryScript("Physics", "lua_physics.lua");
  LoadLibraryScript("PlayerData", "lua_playerdata.lua");
  RegisterLuaApi(*this);
}

bool LuaScriptSystem::LoadLibraryScript(std::string_view globalName, std::string_view file) {
  const std::string path = scriptsDirectory + std::string(file);
  if (lua.IsModuleLoaded(globalName)) return true;
  std::string source;
  const WholeFileRead read = ReadWholeFile(os::NormalizePath(path), source);
  if (read != WholeFileRead::kRead) {
    ReportLuaError(path, "the library script " + DescribeWholeFileRead(read));
    return false;
  }
  // Named after the file, so Lua's messages say "<path>:<line>:".
  const lua::ChunkOutcome outcome = lua.RequireModule(globalName, source, "@" + path);
  if (!outcome.ok()) {
    ReportLuaError(path, outcome.error);
    return false;
  }
  return true;
}

void LuaScriptSystem::Update(float dt) {
  errorLog.PrintDueCounts(Now());
  RunDelayedCalls();
  ForEachEntity([this, dt](int entity) {
    const auto record = entityScripts.find(entity);
    if (record == entityScripts.end() || !record->second.loaded) {
      LoadScriptsOf(entity);
    } else {
      UpdateScriptsOf(entity, dt);
    }
  });
}

void LuaScriptSystem::RunDelayedCalls() {
  // Only the calls queued before this update: a call that queues itself again waits for the
  // next one instead of holding the loop. EraseEntityScripts may shorten the queue meanwhile.
  std::size_t remaining = delayedCalls.size();
  while (remaining-- > 0 && !delayedCalls.empty()) {
    DelayedCall call = std::move(delayedCalls.front());
    delayedCalls.pop_front();
    if (HasLoadedScripts(call.entity)) {
      CallScriptFunction(call.message, call.entity);
    } else {
      heldCalls.push_back(std::move(call));
    }
  }
  // Held calls keep their place ahead of the calls queued while this update ran them.
  delayedCalls.insert(delayedCalls.begin(), std::make_move_iterator(heldCalls.begin()),
                      std::make_move_iterator(heldCalls.end()));
  heldCalls.clear();
}

bool LuaScriptSystem::HasLoadedScripts(int entity) const {
  // A record whose scripts were all missing or failed holds no script a call could reach.
  const auto holdsScripts = [](const auto& record) { return !record.second.scripts.empty(); };
  if (entity >= 0) {
    const auto record = entityScripts.find(entity);
    return record != entityScripts.end() && holdsScripts(*record);
  }
  return std::any_of(entityScripts.begin(), entityScripts.end(), holdsScripts);
}

void LuaScriptSystem::LoadScriptsOf(int entity) {
  const LuaScriptContainer* container =
      componentManager != nullptr ? componentManager->GetComponent<LuaScriptContainer>(entity)
                                  : nullptr;
  // Marked first: the scripts are tried once, whether they load or not.
  EntityScriptRecord& record = RecordOf(entity);
  record.loaded = true;
  if (container == nullptr) return;
  const std::uint64_t serial = record.serial;
  for (const ScriptEntry& script : ScriptsInListOrder(*container)) {
    LoadEntityScript(entity, script.name, script.path);
    // A script's init may destroy its entity or drop every record ("scene_load"): the rest
    // of its scripts are then not loaded into a record that is gone.
    const auto current = entityScripts.find(entity);
    if (current == entityScripts.end() || current->second.serial != serial) return;
    if (IsStateScript(script.name) && current->second.currentState.empty()) {
      current->second.currentState = std::string(StateKey(script.name));
    }
  }
}

void LuaScriptSystem::UpdateScriptsOf(int entity, float dt) {
  const EntityScriptRecord& record = entityScripts.at(entity);
  const std::uint64_t serial = record.serial;
  // Copied: an update may change the state, load scripts, or destroy entities.
  const std::vector<std::pair<std::string, lua::Reference>> scripts(record.scripts.begin(),
                                                                    record.scripts.end());
  for (const auto& [name, environment] : scripts) {
    const auto current = entityScripts.find(entity);
    if (current == entityScripts.end() || current->second.serial != serial) return;
    const auto stored = current->second.scripts.find(name);
    if (stored == current->second.scripts.end() || !stored->second.RawEquals(environment)) {
      continue;
    }
    if (IsStateScript(name) && StateKey(name) != current->second.currentState) continue;
    const lua::Reference behavior = environment.Get("behavior");
    if (behavior.Type() != LUA_TTABLE) continue;
    const lua::Reference update = behavior.Get("update");
    if (!update.Valid()) continue;
    const lua::CallOutcome outcome = lua.Call(update, dt);
    if (!outcome.ok()) ReportLuaError(AliasOf(entity) + "->" + name, outcome.error);
  }
}

void LuaScriptSystem::SetState(int entity, std::string state) {
  if (entity < 0) return;
  if (entityManager != nullptr ? !entityManager->IsAlive(entity) : !IsValidEntityId(entity)) {
    return;
  }
  RecordOf(entity).currentState = std::move(state);
}

void LuaScriptSystem::Shutdown() {
  entityScripts.clear();
  errorLog.Forget();
  ReleaseBinder();
}

void LuaScriptSystem::QueueDelayedCall(std::string message, int entity) {
  delayedCalls.push_back({std::move(message), entity});
}

void LuaScriptSystem::EraseEntityScripts(int entity) {
  entityScripts.erase(entity);
  if (entity < 0) return;
  const auto addressed = [entity](const DelayedCall& call) { return call.entity == entity; };
  std::erase_if(delayedCalls, addressed);
  std::erase_if(heldCalls, addressed);
}

void LuaScriptSystem::ReleaseBinder() {
  if (componentManager == nullptr) return;
  if (binder != nullptr) {
    auto& binders = componentManager->luaBinders;
    binders.erase(std::remove(binders.begin(), binders.end(), binder.get()), binders.end());
  }
  if (componentManager->luaState == lua.Handle()) componentManager->luaState = nullptr;
}

std::vector<std::string> LuaScriptSystem::MissingLinks() const {
  const std::pair<const char*, bool> links[] = {
      {"input", apiLinks.input != nullptr},
      {"leftHandRingCount", static_cast<bool>(apiLinks.leftHandRingCount)},
      {"rightHandRingCount", static_cast<bool>(apiLinks.rightHandRingCount)},
      {"showHint", static_cast<bool>(apiLinks.showHint)},
      {"currentSceneName", static_cast<bool>(apiLinks.currentSceneName)},
      {"tileGroupHeight", static_cast<bool>(apiLinks.tileGroupHeight)},
      {"isTileGroupCollidable", static_cast<bool>(apiLinks.isTileGroupCollidable)},
  };
  std::vector<std::string> missing;
  for (const auto& [name, present] : links) {
    if (!present) missing.emplace_back(name);
  }
  return missing;
}
