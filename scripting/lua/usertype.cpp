#include "scripting/lua/usertype.h"

#include <lauxlib.h>

#include <algorithm>
#include <cstring>

namespace lua::detail {
namespace {

constexpr char kHeldMetatableKey[] = "kelvaris.held";

// Upvalues of __index and __newindex: 1 the field table, 2 the type's tag.
Box* CheckedSelf(lua_State* L) {
  const auto* tag = static_cast<const TypeTag*>(lua_touserdata(L, lua_upvalueindex(2)));
  if (lua_type(L, 1) == LUA_TUSERDATA && lua_rawlen(L, 1) >= sizeof(Box)) {
    auto* box = static_cast<Box*>(lua_touserdata(L, 1));
    if (box->tag == tag && box->object != nullptr) return box;
  }
  std::string name = "userdata";
  if (lua_rawgetp(L, LUA_REGISTRYINDEX, tag) == LUA_TTABLE &&
      lua_getfield(L, -1, "__name") == LUA_TSTRING) {
    name = lua_tostring(L, -1);
  }
  ThrowBadSelf(L, name);
}

int Index(lua_State* L) {
  if (lua_gettop(L) != 2) throw Error(std::string(kArgumentCountError));
  Box* self = CheckedSelf(L);
  lua_pushvalue(L, 2);
  if (lua_rawget(L, lua_upvalueindex(1)) == LUA_TUSERDATA) {
    const Field* field = HeldAt<Field>(L, -1);
    return field->get(L, self->object, field);
  }
  return 1;  // a method, or nil for an unknown field
}

std::string KeyText(lua_State* L, int index) {
  if (lua_type(L, index) == LUA_TSTRING) return lua_tostring(L, index);
  return "<" + std::string(DescribeValue(L, index)) + ">";
}

int NewIndex(lua_State* L) {
  if (lua_gettop(L) != 3) throw Error(std::string(kArgumentCountError));
  Box* self = CheckedSelf(L);
  lua_pushvalue(L, 2);
  const int kind = lua_rawget(L, lua_upvalueindex(1));
  if (kind == LUA_TUSERDATA) {
    const Field* field = HeldAt<Field>(L, -1);
    if (field->set == nullptr) {
      throw Error("cannot set " + std::string(field->displayName) + ": the field is read-only");
    }
    field->set(L, self->object, 3, field);
    return 0;
  }
  std::string type = "userdata";
  if (lua_getmetatable(L, 1) && lua_getfield(L, -1, "__name") == LUA_TSTRING) {
    type = lua_tostring(L, -1);
  }
  if (kind == LUA_TFUNCTION) {
    throw Error("cannot set " + type + "." + KeyText(L, 2) + ": it is a method");
  }
  throw Error("cannot set " + type + "." + KeyText(L, 2) + ": no such field");
}

int CollectBox(lua_State* L) {
  auto* box = static_cast<Box*>(lua_touserdata(L, 1));
  if (box != nullptr && box->owned && box->object != nullptr) {
    box->tag->destroy(box->object);
    box->object = nullptr;
  }
  return 0;
}

int CollectHeld(lua_State* L) {
  auto* header = static_cast<HeldObject*>(lua_touserdata(L, 1));
  if (header != nullptr && header->destroy != nullptr) {
    void (*destroy)(void*) = header->destroy;
    header->destroy = nullptr;  // never twice, even if the userdata is resurrected
    header->alive = false;
    destroy(header);
  }
  return 0;
}

}  // namespace

std::string_view DescribeValue(lua_State* L, int index) {
  if (lua_type(L, index) == LUA_TUSERDATA && lua_getmetatable(L, index)) {
    const bool named = lua_getfield(L, -1, "__name") == LUA_TSTRING;
    // The name string stays reachable from the metatable, so the view outlives the pop.
    std::string_view name = named ? std::string_view(lua_tostring(L, -1)) : "userdata";
    lua_pop(L, 2);
    return name;
  }
  return lua_typename(L, lua_type(L, index));
}

void SetDisplayName(Field& field, std::string_view typeName, std::string_view fieldName) {
  std::string text(typeName);
  text += '.';
  text += fieldName;
  const std::size_t length = std::min(text.size(), sizeof(field.displayName) - 1);
  std::memcpy(field.displayName, text.data(), length);
  field.displayName[length] = '\0';
}

void ThrowBadSelf(lua_State* L, std::string_view typeName) {
  throw Error("bad self: " + std::string(typeName) + " expected, got " +
              std::string(DescribeValue(L, 1)) +
              " (call methods with ':' and read fields from the object)");
}

Reference CreateUsertype(lua_State* L, std::string_view name, const TypeTag* tag,
                         bool collectOwned) {
  lua_createtable(L, 0, 4);  // the metatable
  lua_pushlstring(L, name.data(), name.size());
  lua_setfield(L, -2, "__name");
  lua_newtable(L);  // the field table
  Reference fields = Reference::At(L, -1);
  lua_pushlightuserdata(L, const_cast<TypeTag*>(tag));
  lua_pushcclosure(L, &Guarded<&Index>, 2);
  lua_setfield(L, -2, "__index");
  fields.Push(L);
  lua_pushlightuserdata(L, const_cast<TypeTag*>(tag));
  lua_pushcclosure(L, &Guarded<&NewIndex>, 2);
  lua_setfield(L, -2, "__newindex");
  if (collectOwned) {
    lua_pushcfunction(L, &CollectBox);
    lua_setfield(L, -2, "__gc");
  }
  lua_rawsetp(L, LUA_REGISTRYINDEX, tag);
  return fields;
}

void SetHeldMetatable(lua_State* L) {
  if (luaL_newmetatable(L, kHeldMetatableKey)) {
    lua_pushcfunction(L, &CollectHeld);
    lua_setfield(L, -2, "__gc");
  }
  lua_setmetatable(L, -2);
}

}  // namespace lua::detail
