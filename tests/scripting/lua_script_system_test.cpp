#include "scripting/lua_script_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lua.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "engine/component_manager.h"
#include "platform/os/close_request.h"
#include "scripting/lua_component_binder.h"
#include "tests/scripting/script_system_fixture.h"
#include "tests/support/engine_fixture.h"

namespace {

class LuaScriptSystemTest : public testing_support::EngineFixture {};

TEST_F(LuaScriptSystemTest, HandsItsBinderAndStateToTheComponentManagerUntilShutdown) {
  const std::shared_ptr<ComponentManager> components = decs->GetManager<ComponentManager>();
  ASSERT_NE(components, nullptr);
  const auto system = systems->RegisterSystem<LuaScriptSystem>();
  ASSERT_NE(system->binder, nullptr);
  EXPECT_EQ(components->luaState, system->lua.Handle());
  ASSERT_EQ(components->luaBinders.size(), 1u);
  EXPECT_EQ(components->luaBinders[0], system->binder.get());
  for (const char* global :
       {"GetTransform", "ColliderLayer", "ButtonState", "math", "table", "string"}) {
    EXPECT_TRUE(system->lua.Global(global).Valid()) << global;
  }
  for (const char* absent : {"io", "os", "package", "debug", "coroutine", "utf8"}) {
    EXPECT_FALSE(system->lua.Global(absent).Valid()) << absent;
  }

  decs->Shutdown();
  EXPECT_EQ(components->luaState, nullptr);
  EXPECT_TRUE(components->luaBinders.empty());
}

}  // namespace

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class ScriptSystemUpdateTest : public testing_support::ScriptSystemFixture {
 protected:
  // A script that logs "<tag> init <id>", "<tag> update <dt>" and "<tag> Ping <text>".
  std::string Tagged(const std::string& tag) {
    return Write(tag + ".lua", "function Ping(text) Log('" + tag +
                                   " Ping ' .. text) end\n"
                                   "return { init = function(id) Log('" +
                                   tag +
                                   " init ' .. id) end,\n"
                                   "         update = function(dt) Log('" +
                                   tag + " update ' .. dt) end }\n");
  }
};

TEST_F(ScriptSystemUpdateTest, InitLoadsTheModulesAndGoesOnPastOneThatFails) {
  Write("lua_physics.lua", "return {");
  Write("lua_playerdata.lua", "local data = { lives = 3 }\nreturn data\n");
  LuaScriptSystem fresh(folder.path.string() + "/");
  ::testing::internal::CaptureStdout();
  fresh.Init();
  const std::string output = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(fresh.lua.Global("Utilities").Get("name").Type(), LUA_TSTRING);
  EXPECT_FALSE(fresh.lua.Global("Physics").Valid());
  EXPECT_EQ(fresh.lua.Global("PlayerData").Get("lives").Type(), LUA_TNUMBER);
  const std::string physics = folder.path.string() + "/lua_physics.lua";
  EXPECT_THAT(output, HasSubstr("[**LUA ERROR**]\nIN FILE: " + physics +
                                "\nERROR: sol: syntax "
                                "error: " +
                                physics + ":1:"));

  // Loaded once: a second load of the same name keeps the first module.
  Write("lua_utilities.lua", "return { name = 2 }");
  EXPECT_TRUE(fresh.LoadLibraryScript("Utilities", "lua_utilities.lua"));
  EXPECT_EQ(fresh.lua.Global("Utilities").Get("name").Type(), LUA_TSTRING);
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(fresh.LoadLibraryScript("Missing", "missing.lua"));
  EXPECT_THAT(::testing::internal::GetCapturedStdout(),
              HasSubstr("IN FILE: " + folder.path.string() +
                        "/missing.lua\nERROR: the library "
                        "script cannot be opened\n"));
}

TEST_F(ScriptSystemUpdateTest, ScriptsLoadInListOrderOnFirstSightThenUpdateEveryStep) {
  const std::vector<std::string> names = {"echo", "delta", "charlie", "bravo", "alpha"};
  std::vector<std::string> list;
  for (const std::string& name : names) {
    Tagged(name);
    list.push_back(name + " " + name + ".lua");
  }
  const int entity = Spawn("hero", list);

  EXPECT_EQ(Step(), "");
  EXPECT_THAT(TakeLog(), ElementsAre("echo init 0", "delta init 0", "charlie init 0",
                                     "bravo init 0", "alpha init 0"));
  EXPECT_EQ(Step(0.25f), "");
  // Updates follow the record's own order, by script name.
  EXPECT_THAT(TakeLog(),
              ElementsAre("alpha update 0.25", "bravo update 0.25", "charlie update 0.25",
                          "delta update 0.25", "echo update 0.25"));
  EXPECT_EQ(system->entityScripts.at(entity).scripts.size(), names.size());
}

TEST_F(ScriptSystemUpdateTest, OnlyTheCurrentStateScriptRunsAndSetStateSwitchesIt) {
  Tagged("run");
  Tagged("idle");
  Tagged("always");
  const int entity =
      Spawn("hero", {"state_Run run.lua", "state_Idle idle.lua", "always always.lua"});
  Step();
  EXPECT_EQ(system->entityScripts.at(entity).currentState, "Run");
  TakeLog();
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("always update 0.5", "run update 0.5"));
  system->SetState(entity, "Idle");
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("always update 0.5", "idle update 0.5"));
}

TEST_F(ScriptSystemUpdateTest, SetStateBeforeTheFirstLoadKeepsTheStateAndTheLoad) {
  Tagged("run");
  Tagged("idle");
  const int entity = Spawn("hero", {"state_Run run.lua", "state_Idle idle.lua"});
  system->SetState(entity, "Idle");
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("run init 0", "idle init 0"));
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("idle update 0.5"));

  // A negative id, an id never used and a destroyed entity get no record.
  const int gone = Spawn("gone", {});
  ::testing::internal::CaptureStdout();
  decs->DestroyEntity(gone);
  ::testing::internal::GetCapturedStdout();
  for (const int id : {-1, -7, 500, gone}) system->SetState(id, "Idle");
  EXPECT_EQ(system->entityScripts.size(), 1u);
}

TEST_F(ScriptSystemUpdateTest, AFailingChunkIsReportedOnceUntilTheNextSceneLoad) {
  Write("broken.lua", "Log('ran'); error('broken')");
  Tagged("fine");
  Spawn("hero", {"broken broken.lua", "fine fine.lua"});
  const std::string first = Step();
  EXPECT_THAT(first, HasSubstr("[**LUA ERROR**]\nIN FILE: hero->broken\nERROR: sol: runtime "
                               "error: "));
  EXPECT_EQ(Step(), "");
  EXPECT_EQ(Step(), "");
  EXPECT_THAT(TakeLog(), ElementsAre("ran", "fine init 0", "fine update 0.5", "fine update 0.5"));

  Send("scene_load next");
  EXPECT_THAT(Step(), HasSubstr("IN FILE: hero->broken\n"));
  EXPECT_THAT(TakeLog(), ElementsAre("ran", "fine init 0"));
}

TEST_F(ScriptSystemUpdateTest, UpdateErrorsNameTheEntityAndScriptAndTheWalkGoesOn) {
  Write("fails.lua", "return { update = function() error('in update') end }");
  Tagged("fine");
  Spawn("hero", {"a fails.lua", "b fine.lua"});
  Step();
  TakeLog();
  const std::string output = Step();
  EXPECT_THAT(output, HasSubstr("[**LUA ERROR**]\nIN FILE: hero->a\nERROR: "));
  EXPECT_THAT(output, HasSubstr(": in update\nstack traceback:\n"));
  EXPECT_THAT(TakeLog(), ElementsAre("fine update 0.5"));
}

TEST_F(ScriptSystemUpdateTest, ScriptsThatDestroyEntitiesOrReloadTheSceneKeepTheWalksSound) {
  // Entity 0 destroys itself in its first script's init: its second script never loads.
  Write("suicide.lua", "return { init = function(id) Log('bye ' .. id); Destroy(id) end }");
  Tagged("second");
  // Entity 1 destroys entity 2 in its update: entity 2 is not updated afterwards.
  Write("killer.lua", "return { update = function() Log('kill'); Destroy(2) end }");
  Tagged("victim");
  const int suicide = Spawn("suicide", {"a suicide.lua", "b second.lua"});
  Spawn("killer", {"a killer.lua"});
  Spawn("victim", {"a victim.lua"});
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("bye 0", "victim init 2"));
  EXPECT_FALSE(system->entityScripts.contains(suicide));
  Step();
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("kill", "kill"));

  // A script that reloads the scene in its update drops every record, its own included: its
  // remaining scripts do not run, the entities after it in the walk load at once, the ones
  // before it at the next update.
  Write("reload.lua", "return { update = function() Post('scene_load again') end }");
  const int reloader = Spawn("reloader", {"a reload.lua", "b second.lua"});
  ASSERT_EQ(reloader, suicide);  // the lowest free id
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("second init 0", "kill"));
  Step();
  EXPECT_THAT(TakeLog(), IsEmpty());
  EXPECT_EQ(system->entityScripts.size(), 1u);
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("second init 0", "kill"));
}

TEST_F(ScriptSystemUpdateTest, DelayedCallsWaitForScriptsAndRunAtTheStartOfAnUpdate) {
  Tagged("a");
  Send("lua_delayed_call Ping early");
  Step();  // nobody had scripts when the calls were taken: it waits
  const int entity = Spawn("hero", {"a a.lua"});
  system->QueueDelayedCall("Ping for hero", entity);
  system->QueueDelayedCall("Ping for 7", 7);
  Step();  // loads the scripts after the calls were taken
  EXPECT_THAT(TakeLog(), ElementsAre("a init 0"));
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("a Ping early", "a Ping for hero", "a update 0.5"));
  ASSERT_EQ(system->delayedCalls.size(), 1u);  // entity 7 has no scripts yet
  EXPECT_EQ(system->delayedCalls.front().message, "Ping for 7");
}

TEST_F(ScriptSystemUpdateTest, ACallForEveryoneWaitsForAScriptThatReallyLoaded) {
  Tagged("a");
  Write("broken.lua", "this is not lua");
  Spawn("empty", {});
  Spawn("broken", {"b broken.lua"});
  Step();
  Send("lua_delayed_call Ping early");
  Step();
  Step();  // both records exist, but neither holds a script: the call waits
  ASSERT_EQ(system->delayedCalls.size(), 1u);
  Spawn("hero", {"a a.lua"});
  Step();
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("a init 2", "a Ping early", "a update 0.5"));
}

TEST_F(ScriptSystemUpdateTest, HeldCallsStayAheadOfCallsQueuedDuringTheUpdate) {
  Write("relay.lua", "function Relay(text) Queue('Ping ' .. text, -1) end\nreturn {}");
  Spawn("relay", {"r relay.lua"});
  Step();
  system->QueueDelayedCall("Ping held", 7);  // entity 7 has no scripts
  system->QueueDelayedCall("Relay queued", -1);
  Step();
  ASSERT_EQ(system->delayedCalls.size(), 2u);
  EXPECT_EQ(system->delayedCalls[0].message, "Ping held");
  EXPECT_EQ(system->delayedCalls[1].message, "Ping queued");
}

TEST_F(ScriptSystemUpdateTest, ACallThatQueuesItselfRunsOncePerUpdate) {
  Write("loop.lua", "function Again(text) Log('again'); Queue('Again', -1) end\nreturn {}");
  Spawn("hero", {"a loop.lua"});
  Step();
  system->QueueDelayedCall("Again", -1);
  for (int step = 0; step < 3; ++step) Step();
  EXPECT_THAT(TakeLog(), ElementsAre("again", "again", "again"));
  EXPECT_EQ(system->delayedCalls.size(), 1u);
}

TEST_F(ScriptSystemUpdateTest, DestroyingAnEntityDropsItsDelayedCallsButNotThoseForEveryone) {
  Tagged("a");
  const int first = Spawn("first", {"a a.lua"});
  const int second = Spawn("second", {"a a.lua"});
  system->QueueDelayedCall("Ping one", first);
  system->QueueDelayedCall("Ping all", -1);
  system->QueueDelayedCall("Ping two", second);
  ::testing::internal::CaptureStdout();
  decs->DestroyEntity(first);
  ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(system->delayedCalls.size(), 2u);

  // The freed id goes to a new entity, which must not receive the old entity's call.
  EXPECT_EQ(Spawn("newcomer", {"a a.lua"}), first);
  Step();
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("a init 0", "a init 1", "a Ping all", "a Ping all",
                                     "a Ping two", "a update 0.5", "a update 0.5"));

  // A call held during an update (its entity not loaded yet) is dropped too when the entity
  // goes in the middle of that update.
  Write("killer.lua", "function Kill() Destroy(3) end\nreturn {}");
  Spawn("killer", {"a killer.lua"});
  Step();
  const int late = Spawn("late", {"a a.lua"});
  system->QueueDelayedCall("Ping late", late);
  system->QueueDelayedCall("Kill", 2);
  Step();
  EXPECT_THAT(system->delayedCalls, IsEmpty());
  EXPECT_THAT(TakeLog(), Not(::testing::Contains("a Ping late")));
}

}  // namespace

namespace {

// The game's own modules load before any API function exists and keep their functions in the
// tables they return.
TEST(GameLibraryScripts, LoadWithoutErrorsAndWork) {
  LuaScriptSystem system;  // the game's scripts folder (tests run in the source tree)
  system.lua.OpenLibraries(
      {lua::Library::base, lua::Library::math, lua::Library::table, lua::Library::string});
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(system.LoadLibraryScript("Utilities", "lua_utilities.lua"));
  EXPECT_TRUE(system.LoadLibraryScript("Physics", "lua_physics.lua"));
  EXPECT_TRUE(system.LoadLibraryScript("PlayerData", "lua_playerdata.lua"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  const lua::ChunkOutcome check = system.lua.RunChunk(
      "local timer = Utilities.Timer(1)\n"
      "assert(not timer.Tick(0.6) and timer.Tick(0.6) and not timer.Tick(1))\n"
      "assert(Utilities.Clamp(5, 0, 2) == 2 and Utilities.Approach(0, 1, 0.25) == 0.25)\n"
      "assert(#Utilities.SplitWords(' a  b ') == 2)\n"
      "local body = { _velocity = { x = 3, y = 1, z = 4 }, _acceleration = { x = 1, y = 0, z = 0 "
      "},\n"
      "               _isFalling = false }\n"
      "assert(Physics.GroundSpeed(body) == 5 and Physics.IsGrounded(body))\n"
      "Physics.Stop(body)\n"
      "assert(body._velocity.y == 0 and body._acceleration.x == 0)\n"
      "PlayerData.Reset()\n"
      "assert(not PlayerData.Damage(1) and PlayerData.health == PlayerData.maxHealth - 1)\n"
      "PlayerData.invincible = true\n"
      "assert(not PlayerData.Damage(99))\n",
      nullptr, "=check");
  EXPECT_TRUE(check.ok()) << check.error;
}

}  // namespace

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A script system whose calls may run a million instructions and whose scripts may hold 16 MiB.
class ScriptLimitsTest : public testing_support::ScriptSystemFixture {
 protected:
  ScriptLimitsTest() {
    limits.instructionsPerCall = 1'000'000;
    limits.memoryBytes = std::size_t{16} << 20;
  }
};

TEST_F(ScriptLimitsTest, AScriptPastItsLimitsIsReportedOnceAndTheGameGoesOn) {
  const struct {
    const char* file;
    const char* update;
    const char* error;
  } runaways[] = {
      {"loops.lua", "while true do end",
       "the script was stopped after 1000000 instructions in one call"},
      {"grows.lua", "grown = grown or {} for i = 1, 1e9 do grown[i] = ('x'):rep(65536) .. i end",
       "not enough memory: the scripts may hold at most 16 MiB"},
  };
  Write("steady.lua", "return { update = function() Log('steady') end }");
  for (const auto& [file, update, error] : runaways) {
    SCOPED_TRACE(update);
    Write(file, std::string("return { update = function() ") + update + " end }");
    const int runaway = Spawn("runaway", {std::string("main ") + file});
    const int steady = Spawn("steady", {"main steady.lua"});
    Step();
    const std::string first = Step();
    EXPECT_THAT(first, HasSubstr("[**LUA ERROR**]\nIN FILE: runaway->main\nERROR: "));
    EXPECT_THAT(first, HasSubstr(error));
    for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(Step(), "") << "counted, not printed";
    clock->Advance(5.0);
    EXPECT_THAT(Step(), HasSubstr("ERROR: repeated 10 more times since its report: "));
    EXPECT_EQ(TakeLog().size(), 12u) << "the other script ran every frame";

    ::testing::internal::CaptureStdout();
    decs->DestroyEntity(runaway);
    decs->DestroyEntity(steady);
    ::testing::internal::GetCapturedStdout();
    Send("scene_load next");
  }
}

// The game's limits without the instruction budget: only a close request can stop a script.
class StuckScriptTest : public testing_support::ScriptSystemFixture {
 protected:
  StuckScriptTest() { limits.instructionsPerCall = 0; }
};

TEST_F(StuckScriptTest, CtrlCStopsAScriptThatNeverReturns) {
  Write("stuck.lua", "return { update = function() while true do end end }");
  Spawn("stuck", {"main stuck.lua"});
  Step();

  os::InstallCloseRequestHandlers();
  std::raise(SIGINT);
  const std::string output = Step();
  EXPECT_TRUE(os::TakeCloseRequest());
  std::signal(SIGINT, SIG_DFL);
  EXPECT_THAT(output, HasSubstr("IN FILE: stuck->main\nERROR: "));
  EXPECT_THAT(output, HasSubstr(": the script was stopped: the game is closing"));
}

}  // namespace
