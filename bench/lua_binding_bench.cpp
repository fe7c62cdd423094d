// The binding layer against hand-written Lua C API code doing the same work, side by side:
//   Call       a bound free function f(i) called from a Lua loop (CallCapture: the bound
//              lambda captures a pointer, as the game's API functions capture their system);
//   Method     a method call t:Touch() on a usertype that also has fields;
//   Property   t._position.x = t._position.x + 1 (a member reference, a read and a write).
// Each benchmark runs a Lua loop of kLoop iterations per benchmark iteration; compare the
// items/s (or time) of the Layer and Raw rows of the same work.

#include <benchmark/benchmark.h>
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <cstring>
#include <glm/glm.hpp>

#include "scripting/lua/state.h"

namespace {

constexpr int kLoop = 1000;

struct Body {
  glm::vec3 _position{0.0f};
  float _mass = 1.0f;
  int touches = 0;
  void Touch() { ++touches; }
};

const char* const kCallLoop =
    "return function(n) local f = f; local s = 0; for i = 1, n do s = s + f(i) end "
    "return s end";
const char* const kCaptureLoop =
    "return function(n) local f = g; local s = 0; for i = 1, n do s = s + f(i) end "
    "return s end";
const char* const kMethodLoop =
    "return function(n) local t = body; for i = 1, n do t:Touch() end end";
const char* const kPropertyLoop =
    "return function(n) local t = body; for i = 1, n do t._position.x = t._position.x + 1 "
    "end end";

// Runs `loop(kLoop)` per iteration, `loop` being the function the chunk returns.
void RunLoop(benchmark::State& state, lua_State* L, const char* chunk) {
  if (luaL_loadstring(L, chunk) != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
    state.SkipWithError(lua_tostring(L, -1));
    return;
  }
  const int loop = luaL_ref(L, LUA_REGISTRYINDEX);
  for (auto _ : state) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, loop);
    lua_pushinteger(L, kLoop);
    if (lua_pcall(L, 1, 0, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      break;
    }
  }
  luaL_unref(L, LUA_REGISTRYINDEX, loop);
  state.SetItemsProcessed(state.iterations() * kLoop);
}

// ---- The binding layer ----

void BindLayer(lua::State& lua, Body& body) {
  lua.OpenLibraries({lua::Library::base});
  lua.NewUsertype<glm::vec3>("Vec3")
      .Member("x", &glm::vec3::x)
      .Member("y", &glm::vec3::y)
      .Member("z", &glm::vec3::z);
  lua.NewUsertype<Body>("Body")
      .Member("_position", &Body::_position)
      .Member("_mass", &Body::_mass)
      .Method("Touch", &Body::Touch);
  lua.SetFunction("f", [](int i) { return i + 1; });
  lua.SetFunction("g", [&body](int i) { return i + body.touches; });
  lua::PushResult(lua.Handle(), &body);
  lua_setglobal(lua.Handle(), "body");
}

void BM_Layer(benchmark::State& state, const char* chunk) {
  lua::State lua;
  Body body;
  BindLayer(lua, body);
  RunLoop(state, lua.Handle(), chunk);
}

// ---- Raw C API: the same types written by hand ----

constexpr char kRawBody[] = "RawBody";
constexpr char kRawVec3[] = "RawVec3";

struct RawRef {
  void* object;
};

int RawF(lua_State* L) {
  lua_pushinteger(L, lua_tointeger(L, 1) + 1);
  return 1;
}

int RawG(lua_State* L) {
  const auto* body = static_cast<const Body*>(lua_touserdata(L, lua_upvalueindex(1)));
  lua_pushinteger(L, lua_tointeger(L, 1) + body->touches);
  return 1;
}

int RawTouch(lua_State* L) {
  auto* ref = static_cast<RawRef*>(luaL_checkudata(L, 1, kRawBody));
  static_cast<Body*>(ref->object)->Touch();
  return 0;
}

void PushRawRef(lua_State* L, void* object, const char* metatable) {
  auto* ref = static_cast<RawRef*>(lua_newuserdatauv(L, sizeof(RawRef), 0));
  ref->object = object;
  luaL_setmetatable(L, metatable);
}

int RawBodyIndex(lua_State* L) {
  auto* body = static_cast<Body*>(static_cast<RawRef*>(luaL_checkudata(L, 1, kRawBody))->object);
  const char* key = luaL_checkstring(L, 2);
  if (std::strcmp(key, "_position") == 0) {
    PushRawRef(L, &body->_position, kRawVec3);
  } else if (std::strcmp(key, "_mass") == 0) {
    lua_pushnumber(L, body->_mass);
  } else if (std::strcmp(key, "Touch") == 0) {
    lua_pushcfunction(L, RawTouch);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

float* RawVecField(lua_State* L) {
  auto* vec =
      static_cast<glm::vec3*>(static_cast<RawRef*>(luaL_checkudata(L, 1, kRawVec3))->object);
  const char* key = luaL_checkstring(L, 2);
  if (key[0] != '\0' && key[1] == '\0') {
    if (key[0] == 'x') return &vec->x;
    if (key[0] == 'y') return &vec->y;
    if (key[0] == 'z') return &vec->z;
  }
  return nullptr;
}

int RawVecIndex(lua_State* L) {
  const float* field = RawVecField(L);
  if (field == nullptr) {
    lua_pushnil(L);
  } else {
    lua_pushnumber(L, *field);
  }
  return 1;
}

int RawVecNewIndex(lua_State* L) {
  float* field = RawVecField(L);
  if (field == nullptr) return luaL_error(L, "no such field");
  *field = static_cast<float>(luaL_checknumber(L, 3));
  return 0;
}

void BM_Raw(benchmark::State& state, const char* chunk) {
  lua_State* L = luaL_newstate();
  luaL_requiref(L, LUA_GNAME, luaopen_base, 1);
  lua_pop(L, 1);
  luaL_newmetatable(L, kRawBody);
  lua_pushcfunction(L, RawBodyIndex);
  lua_setfield(L, -2, "__index");
  lua_pop(L, 1);
  luaL_newmetatable(L, kRawVec3);
  lua_pushcfunction(L, RawVecIndex);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, RawVecNewIndex);
  lua_setfield(L, -2, "__newindex");
  lua_pop(L, 1);
  lua_register(L, "f", RawF);
  Body body;
  lua_pushlightuserdata(L, &body);
  lua_pushcclosure(L, RawG, 1);
  lua_setglobal(L, "g");
  PushRawRef(L, &body, kRawBody);
  lua_setglobal(L, "body");
  RunLoop(state, L, chunk);
  lua_close(L);
}

BENCHMARK_CAPTURE(BM_Layer, Call, kCallLoop);
BENCHMARK_CAPTURE(BM_Raw, Call, kCallLoop);
BENCHMARK_CAPTURE(BM_Layer, CallCapture, kCaptureLoop);
BENCHMARK_CAPTURE(BM_Raw, CallCapture, kCaptureLoop);
BENCHMARK_CAPTURE(BM_Layer, Method, kMethodLoop);
BENCHMARK_CAPTURE(BM_Raw, Method, kMethodLoop);
BENCHMARK_CAPTURE(BM_Layer, Property, kPropertyLoop);
BENCHMARK_CAPTURE(BM_Raw, Property, kPropertyLoop);

}  // namespace
