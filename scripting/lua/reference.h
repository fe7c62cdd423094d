#pragma once
// lua::Reference: a C++ handle on one Lua value, kept alive in the Lua registry.
//
//   lua::Reference table = lua::Reference::Pop(L);   // takes the value on top of the stack
//   table.Push(L);                                   // pushes it back (nil when empty)
//   lua::Reference update = table.Get("update");     // reads a field, metamethods included
//
// A handle is copied by taking a second registry slot and released by its destructor. Every
// handle is known to its lua::State: when the state closes first, it releases all live handles
// before closing, and they become empty (Valid() false, Push gives nil). A handle may therefore
// outlive its state, and values held only through handles are collected with the state.

#include <string_view>

struct lua_State;

namespace lua {

class Reference {
 public:
  Reference() = default;
  // Takes the value on top of the stack of `L` into a new handle and pops it.
  static Reference Pop(lua_State* L);
  // A handle on the value at `index` of the stack of `L`; the stack is left as it is.
  static Reference At(lua_State* L, int index);

  Reference(const Reference& other);
  Reference(Reference&& other) noexcept;
  Reference& operator=(const Reference& other);
  Reference& operator=(Reference&& other) noexcept;
  ~Reference();

  // Releases the value; the handle becomes empty.
  void Reset();
  // True when the handle holds a value of a live state (nil included).
  bool Attached() const { return state_ != nullptr; }
  // True when the handle holds a value other than nil.
  bool Valid() const;
  // The Lua type of the value (LUA_TNIL, LUA_TTABLE, ...); LUA_TNONE for an empty handle.
  int Type() const;
  // Pushes the value onto the stack of `L`, nil for an empty handle. `L` must be the handle's
  // state (or one of its threads) when the handle is attached.
  void Push(lua_State* L) const;
  // The main thread of the handle's state; null when empty.
  lua_State* State() const { return state_; }

  // Reads `value[key]` as Lua would (metamethods included) without ever raising: a value that
  // cannot be indexed, or an index metamethod that fails, gives an empty handle.
  Reference Get(std::string_view key) const;
  // Sets `value[key] = field` without metamethods; does nothing unless the value is a table.
  void RawSet(std::string_view key, const Reference& field) const;
  // True when both handles hold the same Lua value (raw equality).
  bool RawEquals(const Reference& other) const;

 private:
  friend class State;
  void Attach(lua_State* L, int ref);
  void Unlink();

  lua_State* state_ = nullptr;
  int ref_ = -2;  // LUA_NOREF
  Reference* previous_ = nullptr;
  Reference* next_ = nullptr;
};

}  // namespace lua
