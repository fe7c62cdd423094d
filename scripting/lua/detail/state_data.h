#pragma once
// What the binding layer keeps per Lua state, reachable from any lua_State* of it through the
// state's extra space.

#include <lua.h>

namespace lua {
class Reference;
}

namespace lua::detail {

struct StateData {
  lua_State* main = nullptr;
  // Head of the list of live handles (lua::Reference), released when the state closes.
  Reference* references = nullptr;
};

inline StateData* GetStateData(lua_State* L) {
  return *static_cast<StateData**>(lua_getextraspace(L));
}

}  // namespace lua::detail
