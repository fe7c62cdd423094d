#pragma once
// Running small Lua snippets against a lua::State in tests.

#include <lua.h>

#include <string>

#include "scripting/lua/state.h"

namespace lua_test {

// Runs `source` in the globals and returns its first result as text: strings as they are,
// numbers in Lua's text form ("3", "1.5"), nil as "nil", booleans as "true"/"false"; a failed
// run gives its error text.
inline std::string Eval(lua::State& lua, const std::string& source) {
  lua::ChunkOutcome outcome = lua.RunChunk(source);
  if (!outcome.ok()) return outcome.error;
  lua_State* L = lua.Handle();
  outcome.result.Push(L);
  std::string text;
  switch (lua_type(L, -1)) {
    case LUA_TNIL:
      text = "nil";
      break;
    case LUA_TBOOLEAN:
      text = lua_toboolean(L, -1) ? "true" : "false";
      break;
    case LUA_TSTRING:
    case LUA_TNUMBER:
      text = lua_tostring(L, -1);
      break;
    default:
      text = lua_typename(L, lua_type(L, -1));
      break;
  }
  lua_pop(L, 1);
  return text;
}

}  // namespace lua_test
