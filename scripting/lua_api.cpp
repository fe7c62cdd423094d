#include "scripting/lua_api.h"

#include "scripting/lua_script_system.h"

void RegisterLuaApi(LuaScriptSystem& /*system*/) {}
