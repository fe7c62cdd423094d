#pragma once
// LuaComponentBinder: makes engine data visible to the scripts of one Lua state.
//
//   LuaComponentBinder binder(lua, componentManager);
//   binder.BindMathAndEnums();   // Vec2, Vec3, Vec4, the matrix type, ButtonState, ColliderLayer
//   binder.BindComponents();     // nine component usertypes, each with its getter
//
// Vectors and the matrix have no constructor: scripts get them from component fields and API
// results. `Vec4` names its components both r, g, b, a and x, y, z, w. The matrix is opaque (no
// fields). The enumerations are read-only global tables.
//
// Component usertypes carry only the fields listed in the .cpp: members give direct access to
// the component (a vector member refers to the component's own storage, so `t._position.x = 1`
// moves the entity); properties are read as copies and written whole through a setter
// (`Camera._zoom` also marks the camera dirty). Writing `Collider._isGrounded`, or a `_layer`
// outside 0 to 6, raises a Lua error.
//
// Getters: for each component class a global "Get" + its class name (`GetTransform`) taking an
// entity id. For every id from 0 to 1023 it returns the entity's slot of that class, whether or
// not the entity has the component (scripts test presence themselves); for any other id, or an
// id out of the integer range, nil. An id that is not a number (nil, 'abc') raises a Lua error.
// Slots never move while the component manager lives.
//
// The binder belongs to the script system, which lists it with the component manager for as
// long as the Lua state exists.

#include <memory>
#include <string_view>

#include "engine/component_binder.h"

class ComponentManager;

namespace lua {
class State;
}

class LuaComponentBinder : public IComponentBinder {
 public:
  LuaComponentBinder(lua::State& lua, std::shared_ptr<ComponentManager> componentManager);

  // Registers, in order, "Vec2", "Vec3", "Vec4", the matrix type, "ButtonState" and
  // "ColliderLayer".
  void BindMathAndEnums();
  // Registers, in order, the usertypes and getters of Transform, Camera, Physics, Collider,
  // Light, MaterialComponent, ParticleEmitter, TTF and MeshComponent.
  void BindComponents();
  // Binds the class named `typeName` ("class Transform") with its getter when it is one of
  // the nine and `state` is this binder's state; does nothing otherwise.
  void BindComponent(lua_State* state, std::string_view typeName) override;

  lua::State* lua;
  std::shared_ptr<ComponentManager> componentManager;
};
