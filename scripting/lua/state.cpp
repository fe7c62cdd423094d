#include "scripting/lua/state.h"

#include <lauxlib.h>
#include <lualib.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

#include "scripting/lua/detail/state_data.h"

namespace lua {
namespace {

constexpr char kModulesKey[] = "kelvaris.modules";
constexpr std::string_view kEnumerationError =
    "sol: cannot modify the elements of an enumeration table";

int Panic(lua_State* L) {
  std::string message = "unprotected error in call to Lua API (";
  message += lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : std::string(kUnknownError);
  message += ")";
  throw Error(message);
}

// The message handler of every protected call: the message followed by the traceback.
int Traceback(lua_State* L) {
  const char* message = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : nullptr;
  luaL_traceback(L, L, message != nullptr ? message : kUnknownError.data(), 1);
  return 1;
}

// The error value at the top of the stack as text; `isString` tells whether it was one.
std::string ErrorValue(lua_State* L, bool& isString) {
  isString = lua_type(L, -1) == LUA_TSTRING;
  if (!isString) return std::string(kUnknownError);
  std::size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  return std::string(text, length);
}

// Base library replacements that load text chunks only. Upvalue 1 is the original function;
// `modeIndex` is the position of its mode argument.
template <int modeIndex>
int CallWithTextMode(lua_State* L) {
  if (lua_gettop(L) < modeIndex) lua_settop(L, modeIndex);
  lua_pushliteral(L, "t");
  lua_replace(L, modeIndex);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

// Pushes why the file named by argument 1 may not be read as a script, or returns false when it
// may: it must be named (Lua would read standard input and wait for it) and be a regular file
// (a pipe or device could block the game, or never end).
bool PushUnreadableFileReason(lua_State* L, const char* function) {
  if (lua_type(L, 1) != LUA_TSTRING) {
    lua_pushfstring(L, "%s needs a file name: standard input is not read", function);
    return true;
  }
  const char* name = lua_tostring(L, 1);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(name, error);
  if (!std::filesystem::exists(status)) {
    lua_pushfstring(L, "cannot open %s: no such file", name);
    return true;
  }
  if (!std::filesystem::is_regular_file(status)) {
    lua_pushfstring(L, "cannot read %s: not a regular file", name);
    return true;
  }
  return false;
}

int DoFileText(lua_State* L) {
  if (PushUnreadableFileReason(L, "dofile")) return lua_error(L);
  const char* name = lua_tostring(L, 1);
  lua_settop(L, 1);
  if (luaL_loadfilex(L, name, "t") != LUA_OK) return lua_error(L);
  lua_call(L, 0, LUA_MULTRET);
  return lua_gettop(L) - 1;
}

// loadfile's failures are results, not errors: nil and the message.
int LoadFileText(lua_State* L) {
  if (PushUnreadableFileReason(L, "loadfile")) {
    luaL_pushfail(L);
    lua_insert(L, -2);
    return 2;
  }
  return CallWithTextMode<2>(L);
}

// pcall and xpcall that let a stopped call go on stopping: when the stop error reaches them,
// they raise it again instead of returning it, so the script cannot carry on past its stop.
int ProtectedCallKeepingStops(lua_State* L) {
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  if (detail::GetStateData(L)->stopping && !lua_toboolean(L, 1)) {
    lua_settop(L, 2);
    return lua_error(L);
  }
  return lua_gettop(L);
}

// Lua's allocator contract, counting what is held and refusing to grow past the limit.
void* Allocate(void* userData, void* block, std::size_t oldSize, std::size_t newSize) {
  auto* data = static_cast<detail::StateData*>(userData);
  if (block == nullptr) oldSize = 0;  // it then tells the kind of object, not a size
  if (newSize == 0) {
    std::free(block);
    data->memoryInUse -= oldSize;
    return nullptr;
  }
  if (newSize > oldSize && data->memoryLimit != 0) {
    const std::size_t allowed =
        data->memoryLimit + (data->callDepth == 0 ? data->memoryLimit / 16 : 0);
    if (data->memoryInUse - oldSize + newSize > allowed) return nullptr;
  }
  void* grown = std::realloc(block, newSize);
  if (grown == nullptr) return nullptr;
  data->memoryInUse = data->memoryInUse - oldSize + newSize;
  return grown;
}

// Stops the running call with an error naming the line the script was on (level 0: a hook
// runs inside the function it interrupts).
[[noreturn]] void Stop(lua_State* L, detail::StateData& data) {
  data.stopping = true;
  luaL_where(L, 0);
  lua_insert(L, -2);
  lua_concat(L, 2);
  lua_error(L);
  std::abort();  // lua_error does not return
}

// Runs every kInstructionStep instructions while script code runs.
void CountInstructions(lua_State* L, lua_Debug*) {
  detail::StateData* data = detail::GetStateData(L);
  data->instructionsUsed += kInstructionStep;
  if (data->stopRequested != nullptr && data->stopRequested()) {
    lua_pushliteral(L, "the script was stopped: the game is closing");
    Stop(L, *data);
  }
  if (data->instructionsPerCall != 0 && data->instructionsUsed > data->instructionsPerCall) {
    lua_pushfstring(L,
                    "the script was stopped after %I instructions in one call, the most a call "
                    "may run (an endless loop?)",
                    static_cast<lua_Integer>(data->instructionsPerCall));
    Stop(L, *data);
  }
}

// Marks script code running for the lifetime of the object; the outermost call starts and
// ends with a fresh instruction count.
class CallScope {
 public:
  explicit CallScope(lua_State* L) : data_(*detail::GetStateData(L)) {
    if (data_.callDepth++ == 0) Restart();
  }
  ~CallScope() {
    if (--data_.callDepth != 0) return;
    if (data_.instructionsUsed > data_.peakInstructions) {
      data_.peakInstructions = data_.instructionsUsed;
    }
    Restart();
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  void Restart() {
    data_.instructionsUsed = 0;
    data_.stopping = false;
  }
  detail::StateData& data_;
};

// The error text of a failed call or chunk; a memory error names the limit it ran into.
std::string ErrorText(lua_State* L, int status, bool& isString) {
  std::string text = ErrorValue(L, isString);
  const std::size_t limit = detail::GetStateData(L)->memoryLimit;
  if (status == LUA_ERRMEM && limit != 0) {
    text += ": the scripts may hold at most " + std::to_string(limit >> 20) + " MiB";
  }
  return text;
}

void WrapLoader(lua_State* L, const char* name, lua_CFunction wrapper) {
  lua_getglobal(L, name);
  if (lua_type(L, -1) != LUA_TFUNCTION) {
    lua_pop(L, 1);
    return;
  }
  lua_pushcclosure(L, wrapper, 1);
  lua_setglobal(L, name);
}

int RefuseEnumerationWrite(lua_State* L) {
  lua_pushlstring(L, kEnumerationError.data(), kEnumerationError.size());
  return lua_error(L);
}

void PushModules(lua_State* L) {
  if (lua_getfield(L, LUA_REGISTRYINDEX, kModulesKey) != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kModulesKey);
  }
}

}  // namespace

std::string ChunkNameFor(std::string_view source) {
  if (source.size() <= kChunkNameLength) return std::string(source);
  std::string name(source.substr(0, kChunkNameLength));
  name += "...";
  return name;
}

State::State(Limits limits) : data_(std::make_unique<detail::StateData>()) {
  data_->memoryLimit = limits.memoryBytes;
  data_->instructionsPerCall = limits.instructionsPerCall;
  data_->stopRequested = limits.stopRequested;
  state_ = lua_newstate(&Allocate, data_.get());
  if (state_ == nullptr) throw std::bad_alloc();
  data_->main = state_;
  *static_cast<detail::StateData**>(lua_getextraspace(state_)) = data_.get();
  lua_atpanic(state_, &Panic);
  if (limits.instructionsPerCall != 0 || limits.stopRequested != nullptr) {
    lua_sethook(state_, &CountInstructions, LUA_MASKCOUNT, kInstructionStep);
  }
}

State::~State() {
  // Release every handle first, so none touches the state after it is gone.
  for (Reference* reference = data_->references; reference != nullptr;) {
    Reference* next = reference->next_;
    luaL_unref(state_, LUA_REGISTRYINDEX, reference->ref_);
    reference->state_ = nullptr;
    reference->ref_ = LUA_NOREF;
    reference->previous_ = nullptr;
    reference->next_ = nullptr;
    reference = next;
  }
  data_->references = nullptr;
  lua_close(state_);
}

std::size_t State::MemoryInUse() const { return data_->memoryInUse; }

std::uint64_t State::PeakCallInstructions() const { return data_->peakInstructions; }

void State::OpenLibraries(std::initializer_list<Library> libraries) {
  for (Library library : libraries) {
    switch (library) {
      case Library::base:
        luaL_requiref(state_, LUA_GNAME, luaopen_base, 1);
        WrapLoader(state_, "load", &CallWithTextMode<3>);
        WrapLoader(state_, "loadfile", &LoadFileText);
        WrapLoader(state_, "pcall", &ProtectedCallKeepingStops);
        WrapLoader(state_, "xpcall", &ProtectedCallKeepingStops);
        lua_pushcfunction(state_, &DoFileText);
        lua_setglobal(state_, "dofile");
        break;
      case Library::math:
        luaL_requiref(state_, LUA_MATHLIBNAME, luaopen_math, 1);
        break;
      case Library::table:
        luaL_requiref(state_, LUA_TABLIBNAME, luaopen_table, 1);
        break;
      case Library::string:
        luaL_requiref(state_, LUA_STRLIBNAME, luaopen_string, 1);
        break;
    }
    lua_pop(state_, 1);
  }
}

Reference State::Globals() const {
  lua_pushglobaltable(state_);
  return Reference::Pop(state_);
}

Reference State::Global(std::string_view name) const {
  lua_pushglobaltable(state_);
  lua_pushlstring(state_, name.data(), name.size());
  lua_rawget(state_, -2);
  lua_remove(state_, -2);
  return Reference::Pop(state_);
}

void State::SetGlobal(std::string_view name, const Reference& value) {
  lua_pushglobaltable(state_);
  lua_pushlstring(state_, name.data(), name.size());
  value.Push(state_);
  lua_rawset(state_, -3);
  lua_pop(state_, 1);
}

Reference State::NewTable() {
  lua_newtable(state_);
  return Reference::Pop(state_);
}

Reference State::NewEnvironment() {
  lua_newtable(state_);
  lua_createtable(state_, 0, 1);
  lua_pushglobaltable(state_);
  lua_setfield(state_, -2, "__index");
  lua_setmetatable(state_, -2);
  return Reference::Pop(state_);
}

ChunkOutcome State::RunChunk(std::string_view source, const Reference* environment,
                             std::string_view chunkName) {
  ChunkOutcome outcome;
  const int base = lua_gettop(state_);
  lua_pushcfunction(state_, &Traceback);
  const std::string name = chunkName.empty() ? ChunkNameFor(source) : std::string(chunkName);
  int status = LUA_OK;
  {
    const CallScope running(state_);
    status = luaL_loadbufferx(state_, source.data(), source.size(), name.c_str(), "t");
    if (status == LUA_OK) {
      if (environment != nullptr) {
        environment->Push(state_);
        if (lua_setupvalue(state_, -2, 1) == nullptr) lua_pop(state_, 1);
      }
      status = lua_pcall(state_, 0, 1, base + 1);
    }
  }
  outcome.status = static_cast<Status>(status);
  if (status == LUA_OK) {
    outcome.result = Reference::Pop(state_);
  } else {
    bool isString = false;
    const std::string message = ErrorText(state_, status, isString);
    outcome.error = ChunkErrorText(outcome.status, isString, message);
  }
  lua_settop(state_, base);
  return outcome;
}

int State::BeginCall(const Reference& function) {
  const int base = lua_gettop(state_);
  lua_pushcfunction(state_, &Traceback);
  function.Push(state_);
  return base;
}

CallOutcome State::FinishCall(int base, int argumentCount) {
  CallOutcome outcome;
  int status = LUA_OK;
  {
    const CallScope running(state_);
    status = lua_pcall(state_, argumentCount, 0, base + 1);
  }
  outcome.status = static_cast<Status>(status);
  if (status != LUA_OK) {
    bool isString = false;
    outcome.error = ErrorText(state_, status, isString);
  }
  lua_settop(state_, base);
  return outcome;
}

ChunkOutcome State::RequireModule(std::string_view name, std::string_view source,
                                  std::string_view chunkName) {
  PushModules(state_);
  lua_pushlstring(state_, name.data(), name.size());
  if (lua_rawget(state_, -2) != LUA_TNIL) {
    ChunkOutcome loaded;
    loaded.result = Reference::Pop(state_);
    lua_pop(state_, 1);
    return loaded;
  }
  lua_pop(state_, 2);

  ChunkOutcome outcome = RunChunk(source, nullptr, chunkName);
  if (!outcome.ok()) return outcome;
  PushModules(state_);
  lua_pushlstring(state_, name.data(), name.size());
  if (outcome.result.Valid()) {
    outcome.result.Push(state_);
  } else {
    lua_pushboolean(state_, 1);  // loaded, with no value
  }
  lua_rawset(state_, -3);
  lua_pop(state_, 1);
  if (outcome.result.Valid()) SetGlobal(name, outcome.result);
  return outcome;
}

bool State::IsModuleLoaded(std::string_view name) const {
  PushModules(state_);
  lua_pushlstring(state_, name.data(), name.size());
  const bool loaded = lua_rawget(state_, -2) != LUA_TNIL;
  lua_pop(state_, 2);
  return loaded;
}

void State::NewEnumeration(
    std::string_view name,
    std::initializer_list<std::pair<std::string_view, lua_Integer>> members) {
  lua_newtable(state_);                                          // the proxy
  lua_createtable(state_, 0, 2);                                 // its metatable
  lua_createtable(state_, 0, static_cast<int>(members.size()));  // the members
  for (const auto& [member, value] : members) {
    lua_pushlstring(state_, member.data(), member.size());
    lua_pushinteger(state_, value);
    lua_rawset(state_, -3);
  }
  lua_setfield(state_, -2, "__index");
  lua_pushcfunction(state_, &RefuseEnumerationWrite);
  lua_setfield(state_, -2, "__newindex");
  lua_setmetatable(state_, -2);
  lua_setglobal(state_, std::string(name).c_str());
}

}  // namespace lua
