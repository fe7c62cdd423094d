#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/entity_manager.h"
#include "scripting/lua_script_system.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// A script system with a real Lua state, two named entities (0 "player", 1 "enemy") in its
// set, scripts in a temporary folder, and a Log(text) function that records what scripts do.
class EntityScriptRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.lua.OpenLibraries(
        {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
    system.entityManager = std::make_shared<EntityManager>();
    system.entityManager->CreateEntity("player");
    system.entityManager->CreateEntity("enemy");
    system.entities = {0, 1};
    system.lua.SetFunction("Log", [this](std::string text) { log.push_back(text); });
  }

  std::string Write(const std::string& file, const std::string& source) {
    const std::string path = (folder.path / file).string();
    std::ofstream(path, std::ios::binary) << source;
    return path;
  }

  // Loads a script and returns what it printed.
  std::string Load(int entity, const std::string& name, const std::string& path) {
    ::testing::internal::CaptureStdout();
    system.LoadEntityScript(entity, name, path);
    return ::testing::internal::GetCapturedStdout();
  }
  std::string Call(const std::string& message, int entity) {
    ::testing::internal::CaptureStdout();
    system.CallScriptFunction(message, entity);
    return ::testing::internal::GetCapturedStdout();
  }

  testing_support::TempFolder folder;
  LuaScriptSystem system{folder.path.string() + "/"};
  std::vector<std::string> log;
};

TEST_F(EntityScriptRuntimeTest, EachEntityRunsItsScriptInItsOwnEnvironment) {
  const std::string path = Write("mover.lua",
                                 "count = (count or 0) + 1\n"
                                 "local behavior_seen = tostring(behavior)\n"
                                 "return { init = function(id)\n"
                                 "  self_id = id\n"
                                 "  Log('init ' .. id .. ' ' .. math.type(id) .. ' ' ..\n"
                                 "      tostring(behavior))\n"
                                 "end }\n");
  EXPECT_EQ(Load(0, "main", path), "");
  Write("mover.lua", "error('the file is read once')");
  EXPECT_EQ(Load(1, "main", path), "");
  EXPECT_THAT(log, ElementsAre("init 0 integer nil", "init 1 integer nil"));

  lua::Reference first = system.entityScripts.at(0).scripts.at("main");
  lua::Reference second = system.entityScripts.at(1).scripts.at("main");
  EXPECT_FALSE(first.RawEquals(second));
  for (int entity : {0, 1}) {
    const lua::Reference environment = system.entityScripts.at(entity).scripts.at("main");
    lua_State* L = system.lua.Handle();
    environment.Get("count").Push(L);
    environment.Get("self_id").Push(L);
    EXPECT_EQ(lua_tointeger(L, -2), 1);
    EXPECT_EQ(lua_tointeger(L, -1), entity);
    lua_pop(L, 2);
    EXPECT_EQ(environment.Get("behavior").Type(), LUA_TTABLE);
  }
  EXPECT_FALSE(system.lua.Global("count").Valid());
  EXPECT_EQ(system.sourceCache.size(), 1u);
}

TEST_F(EntityScriptRuntimeTest, ScriptErrorsAreReportedInTheirTwoForms) {
  const std::string syntax = Load(0, "broken", Write("broken.lua", "local = 1"));
  EXPECT_THAT(syntax, StartsWith("[**LUA ERROR**]\nIN FILE: player->broken\n"
                                 "ERROR: sol: syntax error: [string \"local = 1\"]:1:"));
  const std::string runtime = Load(1, "bad", Write("bad.lua", "error('at load')"));
  EXPECT_THAT(runtime, StartsWith("[**LUA ERROR**]\nIN FILE: enemy->bad\n"
                                  "ERROR: sol: runtime error: [string \"error('at load')\"]:1: "
                                  "at load\nstack traceback:\n"));
  EXPECT_TRUE(system.entityScripts.empty());  // a chunk that fails stores nothing

  const std::string binary = Load(0, "dump", Write("dump.lua", "\x1bLua\x54"));
  EXPECT_THAT(binary, HasSubstr("ERROR: sol: syntax error: "));
  EXPECT_THAT(binary, HasSubstr("binary chunk"));

  // An error in init names the entity alone, and the script stays loaded.
  const std::string init = Load(0, "main",
                                Write("init.lua",
                                      "return { init = function() error('no init') "
                                      "end, update = function() end }"));
  EXPECT_THAT(init, StartsWith("[**LUA ERROR**]\nIN FILE: player\nERROR: [string \"return { "));
  EXPECT_THAT(init, HasSubstr(": no init\nstack traceback:\n"));
  EXPECT_THAT(init, Not(HasSubstr("sol: ")));
  EXPECT_EQ(system.entityScripts.at(0).scripts.at("main").Get("behavior").Type(), LUA_TTABLE);
}

TEST_F(EntityScriptRuntimeTest, ScriptsWithoutABehaviourTableStillAnswerMessages) {
  // A missing file is an empty script, reported once with its path.
  const std::string missing = (folder.path / "none.lua").string();
  EXPECT_EQ(Load(0, "missing", missing),
            "[**LUA ERROR**]\nIN FILE: player->missing\nERROR: "
            "the script file " +
                missing + " cannot be opened\n");
  EXPECT_EQ(Load(1, "missing", missing), "");
  EXPECT_EQ(Load(0, "plain",
                 Write("plain.lua",
                       "function Hello(text) Log('hi ' .. text) end\n"
                       "return 5")),
            "");
  EXPECT_EQ(system.entityScripts.at(0).scripts.size(), 2u);
  EXPECT_TRUE(system.entityScripts.at(1).scripts.contains("missing"));
  EXPECT_FALSE(system.entityScripts.at(0).scripts.at("plain").Get("behavior").Valid());
  EXPECT_EQ(Call("Hello there", 0), "");
  EXPECT_THAT(log, ElementsAre("hi there"));
}

TEST_F(EntityScriptRuntimeTest, MessagesCallFunctionsByNameWithTheRestAsOneArgument) {
  const std::string path = Write("talk.lua",
                                 "function Say(text) Log(GetName() .. ':[' .. text .. ']') end\n"
                                 "function Fail(text) error('cannot ' .. text) end\n"
                                 "return {}");
  system.lua.SetFunction("GetName", [] { return std::string("?"); });
  Load(0, "a", path);
  Load(1, "a", path);
  Load(2, "a", path);  // has scripts but is not in the system's set
  for (int entity : {0, 1, 2}) {
    system.entityScripts.at(entity).scripts.at("a").RawSet(
        "GetName",
        system.lua.RunChunk("return function() return '" + std::to_string(entity) + "' end")
            .result);
  }

  EXPECT_EQ(Call("Say a b  c", 1), "");
  EXPECT_EQ(Call("Say", 2), "");
  EXPECT_EQ(Call("Say x", -1), "");
  EXPECT_EQ(Call("Missing x", -1), "");
  EXPECT_THAT(log, ElementsAre("1:[a b  c]", "2:[]", "0:[x]", "1:[x]"));

  // A name no script defines but the globals do is called once per script.
  log.clear();
  EXPECT_EQ(Call("Log from globals", -1), "");
  EXPECT_THAT(log, ElementsAre("from globals", "from globals"));

  const std::string failed = Call("Fail to go", 0);
  EXPECT_THAT(failed, StartsWith("[**LUA ERROR**]\nIN FILE: player->a->Fail to go\nERROR: "));
  EXPECT_THAT(failed, HasSubstr(": cannot to go\nstack traceback:\n"));
}

TEST_F(EntityScriptRuntimeTest, AWalkSkipsScriptsDroppedOrReplacedDuringIt) {
  system.lua.SetFunction("Erase", [this](int entity) { system.EraseEntityScripts(entity); });
  system.lua.SetFunction("Reload", [this](int entity) {
    system.LoadEntityScript(entity, "b", (folder.path / "second.lua").string());
  });
  Write("second.lua", "function Ping() Log('second ' .. tostring(who)) end");
  Load(0, "a", Write("first.lua", "function Ping() Log('first 0'); Erase(1); Reload(0) end"));
  Load(0, "b", (folder.path / "second.lua").string());
  Load(1, "a", Write("other.lua", "function Ping() Log('entity 1') end"));

  EXPECT_EQ(Call("Ping", -1), "");
  // Entity 0's script b was replaced by a fresh copy before its turn, entity 1 was erased.
  EXPECT_THAT(log, ElementsAre("first 0"));
  EXPECT_FALSE(system.entityScripts.contains(1));
}

}  // namespace
