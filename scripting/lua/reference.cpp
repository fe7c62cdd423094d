#include "scripting/lua/reference.h"

#include <lauxlib.h>
#include <lua.h>

#include <utility>

#include "scripting/lua/detail/state_data.h"

namespace lua {
namespace {

// Reads stack[1][stack[2]] as Lua does; run as a protected call.
int GetFieldProtected(lua_State* L) {
  lua_gettable(L, 1);
  return 1;
}

// Replaces the value at the top of the stack by value[key], as Lua reads it. Chains of
// plain tables (such as a script environment falling back to the globals) are walked without
// leaving C; anything else is read in a protected call. Returns false, with the value popped,
// when the read raised an error.
bool ReplaceByField(lua_State* L, std::string_view key) {
  constexpr int kMaxChain = 100;
  for (int step = 0; step < kMaxChain; ++step) {
    if (lua_type(L, -1) != LUA_TTABLE) break;
    lua_pushlstring(L, key.data(), key.size());
    if (lua_rawget(L, -2) != LUA_TNIL || !lua_getmetatable(L, -2)) {
      lua_remove(L, -2);  // the field (or nil) replaces the table
      return true;
    }
    lua_pushliteral(L, "__index");
    const int handler = lua_rawget(L, -2);  // table, nil, metatable, handler
    if (handler == LUA_TNIL) {
      lua_pop(L, 2);
      lua_remove(L, -2);  // nil replaces the table
      return true;
    }
    if (handler != LUA_TTABLE) {
      lua_pop(L, 3);  // an index function: let Lua call it with the table
      break;
    }
    lua_replace(L, -4);  // the handler table takes the table's place
    lua_pop(L, 2);
  }
  lua_pushcfunction(L, GetFieldProtected);
  lua_insert(L, -2);
  lua_pushlstring(L, key.data(), key.size());
  if (lua_pcall(L, 2, 1, 0) != LUA_OK) {
    lua_pop(L, 1);
    return false;
  }
  return true;
}

}  // namespace

Reference Reference::Pop(lua_State* L) {
  Reference reference;
  lua_State* main = detail::GetStateData(L)->main;
  reference.Attach(main, luaL_ref(L, LUA_REGISTRYINDEX));
  return reference;
}

Reference Reference::At(lua_State* L, int index) {
  lua_pushvalue(L, index);
  return Pop(L);
}

Reference::Reference(const Reference& other) {
  if (other.state_ == nullptr) return;
  other.Push(other.state_);
  *this = Pop(other.state_);
}

Reference::Reference(Reference&& other) noexcept { *this = std::move(other); }

Reference& Reference::operator=(const Reference& other) {
  if (this == &other) return *this;
  Reference copy(other);
  *this = std::move(copy);
  return *this;
}

Reference& Reference::operator=(Reference&& other) noexcept {
  if (this == &other) return *this;
  Reset();
  if (other.state_ == nullptr) return *this;
  lua_State* L = other.state_;
  const int ref = other.ref_;
  other.Unlink();
  other.state_ = nullptr;
  other.ref_ = LUA_NOREF;
  Attach(L, ref);
  return *this;
}

Reference::~Reference() { Reset(); }

void Reference::Reset() {
  if (state_ == nullptr) return;
  luaL_unref(state_, LUA_REGISTRYINDEX, ref_);
  Unlink();
  state_ = nullptr;
  ref_ = LUA_NOREF;
}

bool Reference::Valid() const { return state_ != nullptr && ref_ != LUA_REFNIL; }

int Reference::Type() const {
  if (state_ == nullptr) return LUA_TNONE;
  const int type = lua_rawgeti(state_, LUA_REGISTRYINDEX, ref_);
  lua_pop(state_, 1);
  return type;
}

void Reference::Push(lua_State* L) const {
  if (state_ == nullptr) {
    lua_pushnil(L);
  } else {
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref_);
  }
}

Reference Reference::Get(std::string_view key) const {
  if (state_ == nullptr) return {};
  lua_State* L = state_;
  Push(L);
  if (!ReplaceByField(L, key)) return {};
  return Pop(L);
}

void Reference::RawSet(std::string_view key, const Reference& field) const {
  if (state_ == nullptr) return;
  lua_State* L = state_;
  Push(L);
  if (lua_type(L, -1) == LUA_TTABLE) {
    lua_pushlstring(L, key.data(), key.size());
    field.Push(L);
    lua_rawset(L, -3);
  }
  lua_pop(L, 1);
}

bool Reference::RawEquals(const Reference& other) const {
  if (state_ == nullptr || other.state_ != state_) return state_ == other.state_;
  Push(state_);
  other.Push(state_);
  const bool equal = lua_rawequal(state_, -1, -2) != 0;
  lua_pop(state_, 2);
  return equal;
}

void Reference::Attach(lua_State* L, int ref) {
  state_ = L;
  ref_ = ref;
  detail::StateData* data = detail::GetStateData(L);
  previous_ = nullptr;
  next_ = data->references;
  if (next_ != nullptr) next_->previous_ = this;
  data->references = this;
}

void Reference::Unlink() {
  detail::StateData* data = detail::GetStateData(state_);
  if (previous_ != nullptr) {
    previous_->next_ = next_;
  } else {
    data->references = next_;
  }
  if (next_ != nullptr) next_->previous_ = previous_;
  previous_ = nullptr;
  next_ = nullptr;
}

}  // namespace lua
