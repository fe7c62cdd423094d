#include "scripting/lua_script_system.h"

#include <utility>

LuaScriptSystem::LuaScriptSystem(std::string folder) : scriptFolder(std::move(folder)) {}

void LuaScriptSystem::EraseEntityScripts(int entity) { entityScripts.erase(entity); }
