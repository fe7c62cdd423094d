#include "scripting/lua_api.h"

#include <lua.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <utility>

#include "components/prefab_instantiation.h"
#include "components/sound_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/random_engines.h"
#include "platform/button_state.h"
#include "platform/game_action.h"
#include "platform/input_system.h"
#include "scripting/lua_script_system.h"
#include "scripting/lua_tilemap_api.h"
#include "scripting/script_random.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

MessagingManager* Messaging() {
  return DECS::HasInstance() ? DECS::Instance().GetManager<MessagingManager>().get() : nullptr;
}

// ---- Entities and messages ----

void LogToImGui(LuaScriptSystem&) {}

std::string GetEntityAlias(LuaScriptSystem& system, int entity) {
  return system.entityManager != nullptr ? system.entityManager->GetName(entity) : std::string();
}

int GetEntityID(LuaScriptSystem& system, const std::string& alias) {
  return system.entityManager != nullptr ? system.entityManager->FindEntity(alias) : kNoEntity;
}

int CountEntitiesWithAliasSubstring(LuaScriptSystem& system, const std::string& text) {
  if (system.entityManager == nullptr) return 0;
  int count = 0;
  for (const auto& [alias, entity] : system.entityManager->idsByName) {
    if (alias.find(text) != std::string::npos) ++count;
  }
  return count;
}

// The text goes through "%s", so a '%' in it is an ordinary character; a text longer than the
// message buffer is cut as every message is.
lua::Fields<std::string, 1> SendMessage(LuaScriptSystem&, const std::string& text) {
  MessagingManager* messaging = Messaging();
  std::string reply = messaging != nullptr ? messaging->PostFormatted("%s", 0, text.c_str()) : "";
  return {{{"message", std::move(reply)}}};
}

void SendLocalMessage(LuaScriptSystem& system, const std::string& text, int entity) {
  system.CallScriptFunction(text, entity);
}

void SendDelayedMessage(LuaScriptSystem&, const std::string& text) {
  if (MessagingManager* messaging = Messaging()) messaging->QueueFormatted("%s", 0, text.c_str());
}

void SendDelayedLocalMessage(LuaScriptSystem& system, const std::string& text, int entity) {
  system.QueueDelayedCall(text, entity);
}

void SetState(LuaScriptSystem& system, int entity, std::string state) {
  system.SetState(entity, std::move(state));
}

// ---- Random numbers ----

float RandomStandard(LuaScriptSystem&, float a, float b) {
  return DrawFloat(DECS::Instance().randomEngines.standard, a, b);
}

float RandomGameplay(LuaScriptSystem&, float a, float b) {
  return DrawFloat(DECS::Instance().randomEngines.gameplay, a, b);
}

long long RandomStandardInt(LuaScriptSystem&, int a, int b) {
  return DrawUniformInt(DECS::Instance().randomEngines.standard, a, b);
}

long long RandomGameplayInt(LuaScriptSystem&, int a, int b) {
  return DrawFloorInt(DECS::Instance().randomEngines.gameplay, a, b);
}

// ---- Prefabs, rings, scenes ----

int InstantiatePrefab(LuaScriptSystem&, const std::string& prefab, const std::string& scene,
                      const std::string& alias) {
  return InstantiatePrefabInScene(prefab, scene, alias);
}

int GetLeftHandRingsCount(LuaScriptSystem& system) {
  const auto& count = system.apiLinks.leftHandRingCount;
  return count ? count() : 0;
}

int GetRightHandRingsCount(LuaScriptSystem& system) {
  const auto& count = system.apiLinks.rightHandRingCount;
  return count ? count() : 0;
}

bool IsCurrentScene(LuaScriptSystem& system, const std::string& name) {
  const auto& current = system.apiLinks.currentSceneName;
  return current && current() == name;
}

// ---- Matrices ----

glm::mat4 MatrixMultiply(LuaScriptSystem&, const glm::mat4& a, const glm::mat4& b) { return a * b; }

// A zero (or otherwise degenerate) axis has no direction: the identity, not a matrix of NaN.
glm::mat4 RotateMatrix(LuaScriptSystem&, float angle, float x, float y, float z) {
  const glm::vec3 axis = glm::normalize(glm::vec3(x, y, z));
  if (!std::isfinite(axis.x) || !std::isfinite(axis.y) || !std::isfinite(axis.z)) {
    return glm::mat4(1.0f);
  }
  return glm::rotate(glm::mat4(1.0f), angle * kDegreesToRadians, axis);
}

// Snaps the upper-left 3x3 block to -1, 0 and 1; the fourth row and column stay.
void NormalizeEigenvalues(LuaScriptSystem&, glm::mat4& matrix) {
  for (int column = 0; column < 3; ++column) {
    for (int row = 0; row < 3; ++row) {
      float& entry = matrix[column][row];
      entry = entry > 0.5f ? 1.0f : (entry < -0.5f ? -1.0f : 0.0f);
    }
  }
}

// ---- Sound, mouse, shader values, entity removal, hints ----

void SetBackgroundMusic(LuaScriptSystem& system, const std::string& alias) {
  if (system.entityManager == nullptr || system.componentManager == nullptr) return;
  const int player = system.entityManager->FindEntity("player");
  if (!IsValidEntityId(player) || !system.componentManager->HasComponent<SoundEmitter>(player)) {
    return;
  }
  system.componentManager->GetComponent<SoundEmitter>(player)->_soundAlias = alias;
}

lua::Fields<float, 2> XY(const glm::vec2& value) { return {{{"x", value.x}, {"y", value.y}}}; }

lua::Fields<float, 2> GetMousePos(LuaScriptSystem& system) {
  const auto& input = system.apiLinks.input;
  return XY(input != nullptr ? input->GetMousePos() : glm::vec2(0.0f));
}

lua::Fields<float, 2> GetMouseDelta(LuaScriptSystem& system) {
  const auto& input = system.apiLinks.input;
  return XY(input != nullptr ? input->GetMouseDelta() : glm::vec2(0.0f));
}

void SetUniformFloat(LuaScriptSystem&, const std::string& name, float value) {
  if (DECS::HasInstance()) DECS::Instance().globalUniforms.floats[name] = value;
}

void DestroyEntity(LuaScriptSystem& system, const std::string& alias) {
  if (system.entityManager == nullptr || !DECS::HasInstance()) return;
  const int entity = system.entityManager->FindEntity(alias);
  if (IsValidEntityId(entity)) DECS::Instance().DestroyEntity(entity);
}

void ShowHint(LuaScriptSystem& system, int hint) {
  if (system.apiLinks.showHint) system.apiLinks.showHint(hint);
}

// ---- The input table ----

ButtonState ActionState(const LuaScriptSystem& system, GameAction action) {
  const auto& input = system.apiLinks.input;
  return input != nullptr ? input->GetActionState(action) : ButtonState::FALSE;
}

int GetActionState(LuaScriptSystem& system, GameAction action) {
  return static_cast<int>(ActionState(system, action));
}

float GetActionRangeVal(LuaScriptSystem& system, GameAction action) {
  const auto& input = system.apiLinks.input;
  return input != nullptr ? input->GetActionRangeVal(action) : 0.0f;
}

bool IsActionTriggered(LuaScriptSystem& system, GameAction action) {
  return ActionState(system, action) == ButtonState::TRIGGERED;
}

bool IsActionTrue(LuaScriptSystem& system, GameAction action) {
  const ButtonState state = ActionState(system, action);
  return state == ButtonState::TRIGGERED || state == ButtonState::TRUE;
}

bool IsActionReleased(LuaScriptSystem& system, GameAction action) {
  return ActionState(system, action) == ButtonState::RELEASED;
}

bool IsActionFalse(LuaScriptSystem& system, GameAction action) {
  return !IsActionTrue(system, action);
}

// ---- Registration ----

// Pushes a Lua function that calls `function` with the system before the script's arguments.
template <typename Result, typename... Arguments>
void PushApiFunction(LuaScriptSystem& system, Result (*function)(LuaScriptSystem&, Arguments...)) {
  lua::PushFunction(system.lua.Handle(), [&system, function](Arguments... arguments) -> Result {
    return function(system, std::forward<Arguments>(arguments)...);
  });
}

template <typename Function>
void SetGlobalFunction(LuaScriptSystem& system, const char* name, Function function) {
  PushApiFunction(system, function);
  lua_setglobal(system.lua.Handle(), name);
}

// Leaves the new table on the stack.
template <typename Function>
void SetTableFunction(LuaScriptSystem& system, const char* name, Function function) {
  PushApiFunction(system, function);
  lua_setfield(system.lua.Handle(), -2, name);
}

void RegisterGlobalFunctions(LuaScriptSystem& system) {
  SetGlobalFunction(system, "LogToImGui", &LogToImGui);
  SetGlobalFunction(system, "GetEntityAlias", &GetEntityAlias);
  SetGlobalFunction(system, "GetEntityID", &GetEntityID);
  SetGlobalFunction(system, "CountEntitiesWithAliasSubstring", &CountEntitiesWithAliasSubstring);
  SetGlobalFunction(system, "SendMessage", &SendMessage);
  SetGlobalFunction(system, "SendLocalMessage", &SendLocalMessage);
  SetGlobalFunction(system, "SendDelayedMessage", &SendDelayedMessage);
  SetGlobalFunction(system, "SendDelayedLocalMessage", &SendDelayedLocalMessage);
  SetGlobalFunction(system, "SetState", &SetState);
  SetGlobalFunction(system, "RandomStandard", &RandomStandard);
  SetGlobalFunction(system, "RandomGameplay", &RandomGameplay);
  SetGlobalFunction(system, "RandomStandardInt", &RandomStandardInt);
  SetGlobalFunction(system, "RandomGameplayInt", &RandomGameplayInt);
  SetGlobalFunction(system, "InstantiatePrefab", &InstantiatePrefab);
  SetGlobalFunction(system, "GetLeftHandRingsCount", &GetLeftHandRingsCount);
  SetGlobalFunction(system, "GetRightHandRingsCount", &GetRightHandRingsCount);
  SetGlobalFunction(system, "IsCurrentScene", &IsCurrentScene);
  SetGlobalFunction(system, "MatrixMultiply", &MatrixMultiply);
  SetGlobalFunction(system, "RotateMatrix", &RotateMatrix);
  SetGlobalFunction(system, "NormalizeEigenvalues", &NormalizeEigenvalues);
  SetGlobalFunction(system, "SetBackgroundMusic", &SetBackgroundMusic);
  SetGlobalFunction(system, "GetMousePos", &GetMousePos);
  SetGlobalFunction(system, "GetMouseDelta", &GetMouseDelta);
  SetGlobalFunction(system, "WorldPosToMapCoords", &WorldPosToMapCoords);
  SetGlobalFunction(system, "SnapWorldPosToGrid", &SnapWorldPosToGrid);
  SetGlobalFunction(system, "GetLeftHandRingCount", &GetLeftHandRingsCount);
  SetGlobalFunction(system, "GetRightHandRingCount", &GetRightHandRingsCount);
  SetGlobalFunction(system, "GetTilemapModelAtWorldPosition", &GetTilemapModelAtWorldPosition);
  SetGlobalFunction(system, "GetTilemapGroupHeight", &GetTilemapGroupHeight);
  SetGlobalFunction(system, "GetTilemapModelAtIndex", &GetTilemapModelAtIndex);
  SetGlobalFunction(system, "GetTilemapGroupAtWorldPosition", &GetTilemapGroupAtWorldPosition);
  SetGlobalFunction(system, "GetTilemapGroupAtIndex", &GetTilemapGroupAtIndex);
  SetGlobalFunction(system, "SetTilemapModelAtIndex", &SetTilemapModelAtIndex);
  SetGlobalFunction(system, "SetTilemapModelAtWorldPosition", &SetTilemapModelAtWorldPosition);
  SetGlobalFunction(system, "GetTileIndicesInRadius", &GetTileIndicesInRadius);
  SetGlobalFunction(system, "IsIndexCollidable", &IsIndexCollidable);
  SetGlobalFunction(system, "TileIndexToWorldPos", &TileIndexToWorldPos);
  SetGlobalFunction(system, "GetMaxTilemapIndex", &GetMaxTilemapIndex);
  SetGlobalFunction(system, "SetUniformFloat", &SetUniformFloat);
  SetGlobalFunction(system, "DestroyEntity", &DestroyEntity);
  SetGlobalFunction(system, "ShowHint", &ShowHint);
}

// Name -> index for the 24 actions; a plain table, so scripts may read it like any other.
void RegisterGameActionTable(LuaScriptSystem& system) {
  lua_State* L = system.lua.Handle();
  lua_createtable(L, 0, kGameActionCount);
  for (int action = 0; action < kGameActionCount; ++action) {
    lua_pushinteger(L, action);
    lua_setfield(L, -2, GameActionName(action).c_str());
  }
  lua_setglobal(L, "GameAction");
}

void RegisterInputTable(LuaScriptSystem& system) {
  lua_State* L = system.lua.Handle();
  lua_createtable(L, 0, 6);
  SetTableFunction(system, "GetActionState", &GetActionState);
  SetTableFunction(system, "GetActionRangeVal", &GetActionRangeVal);
  SetTableFunction(system, "IsActionTriggered", &IsActionTriggered);
  SetTableFunction(system, "IsActionTrue", &IsActionTrue);
  SetTableFunction(system, "IsActionReleased", &IsActionReleased);
  SetTableFunction(system, "IsActionFalse", &IsActionFalse);
  lua_setglobal(L, "input");
}

}  // namespace

void RegisterLuaApi(LuaScriptSystem& system) {
  RegisterGlobalFunctions(system);
  RegisterGameActionTable(system);
  RegisterInputTable(system);
}
