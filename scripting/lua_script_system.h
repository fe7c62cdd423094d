#pragma once
// LuaScriptSystem: runs the Lua scripts attached to entities, from the script folder.
// It keeps one script state per entity, keyed by entity id, and drops it when the entity is
// destroyed.

#include <string>
#include <unordered_map>

#include "engine/base_system.h"
#include "engine/engine_hooks.h"
#include "engine/type_name.h"

class LuaScriptSystem : public BaseSystem, public EntityScriptEraser {
 public:
  explicit LuaScriptSystem(std::string scriptFolder = "./GAME/Scripts/");

  // Forgets the entity's script state; an entity without one is ignored.
  void EraseEntityScripts(int entity) override;

  // What the system holds for one entity.
  struct EntityScriptState {
    std::string scriptPath;
  };

  std::string scriptFolder;
  std::unordered_map<int, EntityScriptState> entityScripts;
};
DECLARE_TYPE_NAME(class, LuaScriptSystem);
