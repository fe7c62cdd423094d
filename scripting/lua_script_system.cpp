#include "scripting/lua_script_system.h"

#include <algorithm>
#include <utility>

#include "components/lua_script_container.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "scripting/lua_api.h"
#include "scripting/lua_component_binder.h"

LuaScriptSystem::LuaScriptSystem(std::string folder) : scriptsDirectory(std::move(folder)) {}

LuaScriptSystem::~LuaScriptSystem() { ReleaseBinder(); }

void LuaScriptSystem::Init() {
  level = 1;
  lua.OpenLibraries(
      {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
  if (!DECS::HasInstance()) return;
  DECS& decs = DECS::Instance();
  if (auto systems = decs.GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<LuaScriptSystem>(),
                          {std::string(TypeName<LuaScriptContainer>()),
                           std::string(TypeName<Transform>())});
  }
  componentManager = decs.GetManager<ComponentManager>();
  if (componentManager != nullptr) componentManager->luaState = lua.Handle();
  binder = std::make_unique<LuaComponentBinder>(lua, componentManager);
  entityManager = decs.GetManager<EntityManager>();
  binder->BindMathAndEnums();
  binder->BindComponents();
  if (componentManager != nullptr) componentManager->luaBinders.push_back(binder.get());
  RegisterLuaApi(*this);
}

void LuaScriptSystem::Shutdown() {
  entityScripts.clear();
  ReleaseBinder();
}

void LuaScriptSystem::QueueDelayedCall(std::string message, int entity) {
  delayedCalls.push_back({std::move(message), entity});
}

void LuaScriptSystem::EraseEntityScripts(int entity) { entityScripts.erase(entity); }

void LuaScriptSystem::ReleaseBinder() {
  if (componentManager == nullptr) return;
  if (binder != nullptr) {
    auto& binders = componentManager->luaBinders;
    binders.erase(std::remove(binders.begin(), binders.end(), binder.get()), binders.end());
  }
  if (componentManager->luaState == lua.Handle()) componentManager->luaState = nullptr;
}
