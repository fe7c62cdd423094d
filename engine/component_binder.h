#pragma once
// IComponentBinder: exposes component types to a Lua state. The scripting system implements
// it and hands its binders to the ComponentManager (`luaBinders`); component registration only
// reports on them, the binding itself is the scripting system's work.

#include <string_view>

struct lua_State;

class IComponentBinder {
 public:
  virtual ~IComponentBinder() = default;
  // Makes the component type named `typeName` ("class Transform") usable from `state`.
  virtual void BindComponent(lua_State* state, std::string_view typeName) = 0;
};
