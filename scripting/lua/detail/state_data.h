#pragma once
// What the binding layer keeps per Lua state, reachable from any lua_State* of it through the
// state's extra space.

#include <lua.h>

#include <cstddef>
#include <cstdint>

namespace lua {
class Reference;
}

namespace lua::detail {

struct StateData {
  lua_State* main = nullptr;
  // Head of the list of live handles (lua::Reference), released when the state closes.
  Reference* references = nullptr;

  // The state's limits (see lua::Limits in state.h).
  std::size_t memoryLimit = 0;
  std::uint64_t instructionsPerCall = 0;
  bool (*stopRequested)() = nullptr;

  // Bytes the state's allocator has handed out and not taken back.
  std::size_t memoryInUse = 0;
  // Protected calls from C++ now running, nested ones included (0: no script code runs).
  int callDepth = 0;
  // Instructions run since the outermost running call began, counted in steps of the hook.
  std::uint64_t instructionsUsed = 0;
  // The most instructions any outermost call has run.
  std::uint64_t peakInstructions = 0;
  // Set once the running call has been stopped (budget spent, or a stop requested); until the
  // outermost call returns, a script's pcall does not catch the stop.
  bool stopping = false;
};

inline StateData* GetStateData(lua_State* L) {
  return *static_cast<StateData**>(lua_getextraspace(L));
}

}  // namespace lua::detail
