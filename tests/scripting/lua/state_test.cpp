#include "scripting/lua/state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lauxlib.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <string>

#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using lua_test::Eval;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class LuaStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lua.OpenLibraries(
        {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
  }
  lua::State lua;
};

TEST(LuaStatusTest, StatusWordsFollowLuasCodes) {
  const struct {
    lua::Status status;
    const char* word;
  } cases[] = {{lua::Status::ok, "ok"},           {lua::Status::yielded, "yielded"},
               {lua::Status::runtime, "runtime"}, {lua::Status::syntax, "syntax"},
               {lua::Status::memory, "memory"},   {lua::Status::handler, "handler"},
               {lua::Status::file, "file"}};
  for (const auto& row : cases) EXPECT_EQ(lua::StatusName(row.status), row.word);
  EXPECT_EQ(static_cast<int>(lua::Status::runtime), LUA_ERRRUN);
  EXPECT_EQ(static_cast<int>(lua::Status::handler), LUA_ERRERR);
  EXPECT_EQ(static_cast<int>(lua::Status::file), LUA_ERRFILE);
}

TEST(LuaStatusTest, ChunkNameIsTheSourceCutAfter508Characters) {
  const std::string exact(508, 'a');
  const std::string longer = exact + "bcd";
  EXPECT_EQ(lua::ChunkNameFor("return 1"), "return 1");
  EXPECT_EQ(lua::ChunkNameFor(exact), exact);
  EXPECT_EQ(lua::ChunkNameFor(longer), exact + "...");
}

TEST_F(LuaStateTest, ChunkErrorsCarryTheStatusWordAndCallErrorsDoNot) {
  const lua::ChunkOutcome syntax = lua.RunChunk("x = = 1");
  EXPECT_EQ(syntax.status, lua::Status::syntax);
  EXPECT_THAT(syntax.error, StartsWith("sol: syntax error: [string \"x = = 1\"]:1:"));
  EXPECT_THAT(syntax.error, Not(HasSubstr("stack traceback")));

  const lua::ChunkOutcome runtime = lua.RunChunk("local a = 1\nerror('boom')");
  EXPECT_EQ(runtime.status, lua::Status::runtime);
  EXPECT_THAT(runtime.error, StartsWith("sol: runtime error: [string \"local a = 1...\"]:2: boom\n"
                                        "stack traceback:\n"));

  const lua::ChunkOutcome table = lua.RunChunk("error({})");
  EXPECT_THAT(table.error, StartsWith("sol: runtime error: An unknown error has triggered the "
                                      "default error handler\nstack traceback:"));

  const lua::ChunkOutcome chunk = lua.RunChunk(
      "return function(kind) if kind == 1 then error('bad thing') else error(42) end end");
  ASSERT_TRUE(chunk.ok());
  const lua::CallOutcome call = lua.Call(chunk.result, 1);
  EXPECT_EQ(call.status, lua::Status::runtime);
  EXPECT_THAT(call.error, StartsWith("[string \"return function(kind) if kind == 1 then "));
  EXPECT_THAT(call.error, HasSubstr(": bad thing\nstack traceback:\n"));
  EXPECT_THAT(lua.Call(chunk.result, 2).error,
              StartsWith("An unknown error has triggered the default error handler\n"
                         "stack traceback:"));
  EXPECT_TRUE(lua.Call(lua.Global("print")).ok());
}

TEST_F(LuaStateTest, BinaryChunksAreRefusedEverywhere) {
  const std::string dumped = Eval(lua, "return string.dump(function() return 7 end)");
  ASSERT_EQ(dumped.substr(0, 4), "\x1bLua");
  const lua::ChunkOutcome direct = lua.RunChunk(dumped);
  EXPECT_EQ(direct.status, lua::Status::syntax);
  EXPECT_THAT(direct.error, HasSubstr("binary chunk"));

  // The base library's loaders are text-only whatever mode the script asks for.
  EXPECT_EQ(Eval(lua, "local f, e = load(string.dump(function() end), 'x', 'b'); return e"),
            "attempt to load a binary chunk (mode is 't')");
  EXPECT_EQ(Eval(lua, "local f, e = load(string.dump(function() end)); return f"), "nil");
  // Text chunks still load, with their environment argument intact.
  EXPECT_EQ(Eval(lua, "return load('return y', 'c', 'bt', {y = 5})()"), "5");
  EXPECT_EQ(Eval(lua, "return load('return 2 + 3')()"), "5");
}

TEST_F(LuaStateTest, EnvironmentsKeepTopLevelNamesApart) {
  lua::Reference first = lua.NewEnvironment();
  lua::Reference second = lua.NewEnvironment();
  ASSERT_TRUE(lua.RunChunk("counter = 1; seen = math.floor(2.5)", &first).ok());
  ASSERT_TRUE(lua.RunChunk("counter = (counter or 10) + 1", &second).ok());
  lua_State* L = lua.Handle();
  const auto number = [&](const lua::Reference& value) {
    value.Push(L);
    const lua_Number result = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return result;
  };
  EXPECT_EQ(number(first.Get("counter")), 1);
  EXPECT_EQ(number(first.Get("seen")), 2);
  EXPECT_EQ(number(second.Get("counter")), 11);
  EXPECT_FALSE(lua.Global("counter").Valid());
  // Reads fall back to the globals through the environment.
  EXPECT_EQ(first.Get("print").Type(), LUA_TFUNCTION);
}

TEST_F(LuaStateTest, FieldReadsNeverRaise) {
  const lua::ChunkOutcome chunk =
      lua.RunChunk("return setmetatable({}, {__index = function(t, k) error('no ' .. k) end}), 5");
  ASSERT_TRUE(chunk.ok());
  EXPECT_FALSE(chunk.result.Get("anything").Attached());
  const lua::Reference number = lua.RunChunk("return 5").result;
  EXPECT_FALSE(number.Get("x").Attached());
  EXPECT_EQ(lua.RunChunk("return 'text'").result.Get("upper").Type(), LUA_TFUNCTION);
}

TEST_F(LuaStateTest, ModulesLoadOnceAndOnlyWhenTheyRun) {
  const std::string source = "loads = (loads or 0) + 1; return {value = loads}";
  for (int attempt = 0; attempt < 2; ++attempt) {
    const lua::ChunkOutcome module = lua.RequireModule("Counter", source, "=counter");
    ASSERT_TRUE(module.ok()) << module.error;
    EXPECT_EQ(module.result.Type(), LUA_TTABLE);
  }
  EXPECT_EQ(Eval(lua, "return loads .. ' ' .. Counter.value"), "1 1");

  // A module that returns nothing is loaded but sets no global.
  ASSERT_TRUE(lua.RequireModule("Quiet", "quietRuns = (quietRuns or 0) + 1").ok());
  ASSERT_TRUE(lua.RequireModule("Quiet", "quietRuns = (quietRuns or 0) + 1").ok());
  EXPECT_TRUE(lua.IsModuleLoaded("Quiet"));
  EXPECT_EQ(Eval(lua, "return tostring(Quiet) .. ' ' .. quietRuns"), "nil 1");

  // A failing module is reported and tried again next time.
  const lua::ChunkOutcome broken = lua.RequireModule("Broken", "error('nope')", "=broken");
  EXPECT_THAT(broken.error, StartsWith("sol: runtime error: broken:1: nope"));
  EXPECT_FALSE(lua.IsModuleLoaded("Broken"));
  EXPECT_TRUE(lua.RequireModule("Broken", "return {}").ok());
  EXPECT_TRUE(lua.IsModuleLoaded("Broken"));
}

TEST_F(LuaStateTest, EnumerationTablesAreReadOnly) {
  lua.NewEnumeration("ColliderLayer", {{"DEFAULT", 0}, {"PLAYER", 2}});
  EXPECT_EQ(Eval(lua, "return ColliderLayer.PLAYER"), "2");
  EXPECT_EQ(Eval(lua, "return ColliderLayer.MISSING"), "nil");
  for (const char* write : {"ColliderLayer.PLAYER = 5", "ColliderLayer.NEW = 1"}) {
    const lua::ChunkOutcome outcome = lua.RunChunk(write);
    EXPECT_THAT(outcome.error,
                StartsWith("sol: runtime error: sol: cannot modify the elements of an "
                           "enumeration table\nstack traceback:"))
        << write;
  }
  EXPECT_EQ(Eval(lua, "return ColliderLayer.PLAYER"), "2");
}

TEST_F(LuaStateTest, FilesAreReadOnlyWhenNamedAndRegular) {
  testing_support::TempFolder folder;
  const std::string script = (folder.path / "seven.lua").string();
  std::ofstream(script) << "return 7";
  const std::string pipe = (folder.path / "pipe").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_TRUE(lua.RunChunk("script = '" + script + "' pipe = '" + pipe + "'").ok());

  EXPECT_EQ(Eval(lua, "return dofile(script)"), "7");
  EXPECT_EQ(Eval(lua, "return loadfile(script)()"), "7");
  // Without a name Lua would wait for standard input; a pipe with no writer waits for ever.
  const struct {
    const char* call;
    const char* error;
  } refused[] = {
      {"dofile()", "dofile needs a file name: standard input is not read"},
      {"dofile(nil)", "dofile needs a file name: standard input is not read"},
      {"dofile(pipe)", "not a regular file"},
      {"dofile('/dev/stdin')", "not a regular file"},
      {"dofile(script .. '.missing')", "no such file"},
  };
  for (const auto& [call, error] : refused) {
    SCOPED_TRACE(call);
    EXPECT_THAT(lua.RunChunk(call).error, HasSubstr(error));
  }
  EXPECT_EQ(Eval(lua, "local f, e = loadfile(); return tostring(f) .. ': ' .. e"),
            "nil: loadfile needs a file name: standard input is not read");
  EXPECT_THAT(Eval(lua, "local f, e = loadfile(pipe); return tostring(f) .. ': ' .. e"),
              AllOf(StartsWith("nil: "), HasSubstr("not a regular file")));
}

// A state with small limits, and a stop request the test raises.
class LuaLimitsTest : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kBudget = 5'000'000;
  static constexpr std::size_t kMemory = std::size_t{8} << 20;
  static bool stop;

  void SetUp() override {
    stop = false;
    lua.OpenLibraries(
        {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
    // A function that calls back into Lua from C++, as the game's API functions do.
    lua.SetFunction("Nested", [this]() { return lua.Call(lua.Global("Empty")).ok(); });
    ASSERT_TRUE(lua.RunChunk("function Empty() end").ok());
  }
  void TearDown() override { stop = false; }

  lua::State lua{lua::Limits{.memoryBytes = kMemory,
                             .instructionsPerCall = kBudget,
                             .stopRequested = [] { return stop; }}};
};
bool LuaLimitsTest::stop = false;

TEST_F(LuaLimitsTest, ACallPastItsBudgetIsStoppedWhateverItTries) {
  const char* endless[] = {
      "while true do end",
      "local function f() return f() end return f()",  // a tail call never grows the stack
      "while true do pcall(function() while true do end end) end",
      "while true do xpcall(function() while true do end end, function(m) return m end) end",
      "local ok = pcall(function() while true do end end) return 'caught'",
      "while true do Nested() end",
      "string.gsub(string.rep('x', 1e6), 'x', function() while true do end end)",
  };
  for (const char* source : endless) {
    SCOPED_TRACE(source);
    const lua::ChunkOutcome outcome = lua.RunChunk(source);
    EXPECT_EQ(outcome.status, lua::Status::runtime);
    EXPECT_THAT(outcome.error, HasSubstr("\"]:1: the script was stopped after 5000000 "
                                         "instructions in one call"));
    EXPECT_THAT(outcome.error, HasSubstr("stack traceback:"));
    EXPECT_GE(lua.PeakCallInstructions(), kBudget);
  }
  // Each call has a budget of its own: work just under it, again and again, is never stopped.
  const lua::ChunkOutcome work =
      lua.RunChunk("return function() local n = 0 for i = 1, 20000 do n = n + i end end");
  ASSERT_TRUE(work.ok());
  for (int call = 0; call < 20; ++call) ASSERT_TRUE(lua.Call(work.result).ok()) << call;
  // Caught errors of any other kind stay caught.
  EXPECT_EQ(Eval(lua, "return tostring(pcall(error, 'x'))"), "false");
}

TEST_F(LuaLimitsTest, AStopRequestEndsTheRunningCall) {
  const lua::ChunkOutcome loop = lua.RunChunk("return function() while true do end end");
  ASSERT_TRUE(loop.ok());
  stop = true;
  const lua::CallOutcome stopped = lua.Call(loop.result);
  EXPECT_EQ(stopped.status, lua::Status::runtime);
  EXPECT_THAT(stopped.error, HasSubstr(": the script was stopped: the game is closing"));
  stop = false;
  EXPECT_EQ(Eval(lua, "return 1 + 1"), "2");
}

TEST_F(LuaLimitsTest, MemoryPastTheLimitFailsAndIsGivenBack) {
  const std::size_t before = lua.MemoryInUse();
  EXPECT_GT(before, 0u);
  const char* growing[] = {
      "local t = {} for i = 1, 1e9 do t[i] = i end",
      "local t = {} for i = 1, 1e9 do t[i] = tostring(i) .. 'padding' end",
      "return string.rep('x', 1 << 30)",
      "kept = {} for i = 1, 1e9 do kept[#kept + 1] = {i} end",
  };
  for (const char* source : growing) {
    SCOPED_TRACE(source);
    const lua::ChunkOutcome outcome = lua.RunChunk(source);
    EXPECT_EQ(outcome.status, lua::Status::memory);
    EXPECT_EQ(outcome.error,
              "sol: memory error: not enough memory: the scripts may hold at most 8 MiB");
    EXPECT_LE(lua.MemoryInUse(), kMemory + kMemory / 16);
  }
  // What a failed script left behind in a global still counts; once it is let go, the state
  // works as before.
  ASSERT_TRUE(lua.RunChunk("kept = nil collectgarbage()").ok());
  EXPECT_LT(lua.MemoryInUse(), before + (std::size_t{1} << 20));
  EXPECT_EQ(Eval(lua, "local t = {} for i = 1, 1000 do t[i] = i end return #t"), "1000");
}

TEST(LuaStateLifetimeTest, HandlesOutlivingTheStateAreReleasedWithIt) {
  lua::Reference table;
  lua::Reference copy;
  bool destroyed = false;
  struct Flag {
    explicit Flag(bool* flag) : flag(flag) {}
    ~Flag() { *flag = true; }
    bool* flag;
  };
  {
    lua::State lua;
    lua.OpenLibraries({lua::Library::base});
    table = lua.NewTable();
    copy = table;
    // A function holding a handle on a value of its own state: a cycle only closing breaks.
    lua::Reference captured = lua.NewTable();
    auto flag = std::make_shared<Flag>(&destroyed);
    lua.SetFunction("Held", [captured, flag]() { return captured.Type(); });
    EXPECT_EQ(Eval(lua, "return Held()"), std::to_string(LUA_TTABLE));
    EXPECT_TRUE(copy.RawEquals(table));
  }
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(table.Attached());
  EXPECT_FALSE(copy.Attached());
  EXPECT_EQ(table.Type(), LUA_TNONE);
  table.Reset();
}

}  // namespace
