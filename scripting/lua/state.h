#pragma once
// lua::State: one Lua 5.4 state and the operations the game needs on it.
//
//   lua::State lua;
//   lua.OpenLibraries({lua::Library::base, lua::Library::math});
//   lua.SetFunction("Double", [](int value) { return value * 2; });
//   lua::Reference env = lua.NewEnvironment();            // globals visible, own top level
//   lua::ChunkOutcome chunk = lua.RunChunk(source, &env);
//   if (!chunk.ok()) print(chunk.error);                   // "sol: syntax error: ..."
//   lua::CallOutcome call = lua.Call(chunk.result.Get("update"), 0.016);
//   if (!call.ok()) print(call.error);                     // message and traceback
//
// Loading: chunks are always loaded as text; precompiled (binary) chunks are refused, also by
// the base library's load, loadfile and dofile, since crafted bytecode can crash Lua. A chunk
// is named by its own source text (the first 508 characters, then "..."), so Lua's messages
// name it by its first line.
// Calls: every call from C++ is protected, with a message handler that appends Lua's stack
// traceback to the error message (a non-string error value becomes "An unknown error has
// triggered the default error handler"). Loading and running a chunk report failures as
// "sol: <status> error: <message>"; calling a function reports the handler's text alone.
// Unprotected errors (only possible for allocation failures while C++ pushes values) throw
// lua::Error instead of aborting the process.
// Lifetime: the state owns everything made in it; handles (lua::Reference) still alive when it
// closes are released first and become empty.
// Limits (lua::Limits, none by default): a state may be given a memory limit, an instruction
// budget per call and a stop request. Past the memory limit an allocation fails as Lua's own
// memory errors do (status memory, "not enough memory: ..."); a call that runs past its budget,
// or while a stop is requested, is stopped with a Lua error naming the line it was on. A stop
// cannot be caught by the script's own pcall or xpcall: it ends the whole call from C++.
// Files: dofile and loadfile read named regular files only; without a name (standard input),
// or for a pipe or device, dofile raises an error and loadfile returns nil and the message.

#include <lua.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "scripting/lua/error.h"
#include "scripting/lua/function.h"
#include "scripting/lua/reference.h"
#include "scripting/lua/stack.h"
#include "scripting/lua/usertype.h"

namespace lua {

namespace detail {
struct StateData;
}

enum class Library { base, math, table, string };

// What a state may use; a zero or null member sets no limit.
struct Limits {
  // Bytes the state may hold. Past it an allocation made while script code runs fails with a
  // memory error; C++ working on the state between calls may go a sixteenth beyond it, so the
  // game's own bookkeeping does not fail where a script's allocation would.
  std::size_t memoryBytes = 0;
  // Virtual-machine instructions one call from C++ (RunChunk, Call, RequireModule) may run,
  // nested calls from C++ included; counted in steps of kInstructionStep.
  std::uint64_t instructionsPerCall = 0;
  // Asked every kInstructionStep instructions while script code runs; true stops the running
  // call. Must be cheap and must not use the state.
  bool (*stopRequested)() = nullptr;
};

// How often the instruction count is taken, and the stop request asked for.
inline constexpr int kInstructionStep = 1000;

struct CallOutcome {
  Status status = Status::ok;
  // Empty on success; otherwise the error text as described above.
  std::string error;
  bool ok() const { return status == Status::ok; }
};

struct ChunkOutcome : CallOutcome {
  // The chunk's first result (nil when it returned nothing); empty when it failed.
  Reference result;
};

// The longest part of a source text used as its chunk name; longer texts get "..." after it.
inline constexpr std::size_t kChunkNameLength = 508;
std::string ChunkNameFor(std::string_view source);

class State {
 public:
  explicit State(Limits limits = {});
  ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  lua_State* Handle() const { return state_; }

  // Bytes the state holds now.
  std::size_t MemoryInUse() const;
  // The most instructions any call from C++ has run so far (in steps of kInstructionStep; 0
  // without an instruction budget or stop request, which are what count them).
  std::uint64_t PeakCallInstructions() const;

  // Opens the given standard libraries, in the given order.
  void OpenLibraries(std::initializer_list<Library> libraries);

  Reference Globals() const;
  // The global `name` (raw read); nil when unset.
  Reference Global(std::string_view name) const;
  void SetGlobal(std::string_view name, const Reference& value);
  Reference NewTable();
  // A new table whose metatable's __index is the global table: reads fall back to the
  // globals, assignments stay in the table.
  Reference NewEnvironment();

  // Loads `source` as text and runs it as a protected call with `environment` as its _ENV
  // (the globals when null). `chunkName` empty: the name comes from the source (above).
  ChunkOutcome RunChunk(std::string_view source, const Reference* environment = nullptr,
                        std::string_view chunkName = {});

  // Calls `function` with `arguments` (converted as results are, see stack.h) as a protected
  // call; results are dropped.
  template <typename... Arguments>
  CallOutcome Call(const Reference& function, Arguments&&... arguments) {
    const int base = BeginCall(function);
    (PushResult(state_, std::forward<Arguments>(arguments)), ...);
    return FinishCall(base, static_cast<int>(sizeof...(Arguments)));
  }

  // Loads a named module once: when `name` is already loaded, returns success with the
  // recorded value. Otherwise runs `source` in the global environment (protected); on success
  // the first result is recorded as the module and, when not nil, stored in the global `name`.
  // A failed module is not recorded.
  ChunkOutcome RequireModule(std::string_view name, std::string_view source,
                             std::string_view chunkName = {});
  bool IsModuleLoaded(std::string_view name) const;

  // Publishes `function` as the global `name` (see function.h).
  template <typename F>
  void SetFunction(std::string_view name, F&& function) {
    PushFunction(state_, std::forward<F>(function));
    lua_setglobal(state_, std::string(name).c_str());
  }

  // Creates the usertype of T named `name` (see usertype.h); it is not published as a global.
  template <typename T>
  Usertype<T> NewUsertype(std::string_view name) {
    return Usertype<T>(state_, name);
  }

  // Publishes a read-only table `name` of integer members. Reading a member gives its value;
  // assigning anything raises "sol: cannot modify the elements of an enumeration table".
  void NewEnumeration(std::string_view name,
                      std::initializer_list<std::pair<std::string_view, lua_Integer>> members);

 private:
  int BeginCall(const Reference& function);
  CallOutcome FinishCall(int base, int argumentCount);

  std::unique_ptr<detail::StateData> data_;
  lua_State* state_ = nullptr;
};

}  // namespace lua
