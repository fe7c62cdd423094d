#pragma once
// LuaScriptSystem: runs the Lua scripts attached to entities, in one Lua state.
//
// Each scripted entity has a record: its scripts by name, each with an environment of its own
// (a table whose reads fall back to the globals, so scripts share the API but never each
// other's top-level variables), and the name of its current state script.
//
// Script files: a script's chunk usually returns a table, its behaviour, with optional
// functions `init(entity)` (called once, when the script loads) and `update(dt)`; the table is
// stored in the environment as `behavior`. The script's top-level global functions are its
// message functions, called by name with one string argument (CallScriptFunction).
//
// Errors never stop the game: each is printed as
//   [**LUA ERROR**]
//   IN FILE: <alias>-><script name>       (alias alone for init, plus "-><message>" for
//   ERROR: <error text>                    message functions)
// A chunk that fails to compile or run reports "sol: <status> error: <message>"; a function
// that fails reports its message and Lua's stack traceback. An error that repeats (an `update`
// failing every frame) is printed once, then counted: a line with the count comes at most every
// few seconds (script_error_log.h). "scene_load" starts afresh.
//
// Limits: a script call that runs more than kScriptInstructionsPerCall instructions is stopped
// with a Lua error (an endless loop in `update` cannot freeze the game), and so is one running
// when Ctrl+C or a termination request arrives, so the main loop gets to close the game; the
// state holds at most kScriptMemoryBytes (a table growing without end fails with a memory
// error). Both are reported as any script error.
//
// The system owns the Lua state and the component binder. At Init it lists the binder and the
// state with the component manager; at Shutdown it takes both back.
//
// Each update first runs the delayed calls, then loads the scripts of entities seen for the
// first time (in the order of their container's script list), then calls `update(dt)` of every
// loaded script. A script whose name holds "state_" runs only while the entity's current state
// is its state key (the text after the first '_'). An entity's scripts are loaded once per
// scene: a chunk that fails is reported once and tried again only after "scene_load".
//
// Messages handled: "lua_call <function> [text]" and "lua_delayed_call <function> [text]" (every
// scripted entity, now or at the next update), "collision A B" (Collision_Resolve on each of the
// two with the other's alias), "collision_tilemap A", "scene_load" (drops every record),
// "level_end", "level1_init", "level2_init", "instant_win", "instant_lose" and "god_mode".

#include <cstdint>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/base_system.h"
#include "engine/engine_hooks.h"
#include "engine/type_name.h"
#include "scripting/lua/state.h"
#include "scripting/lua_api_links.h"
#include "scripting/script_error_log.h"

class ComponentManager;
class EntityManager;
class LuaComponentBinder;
class MessagingManager;

// What one script call may run and what all scripts may hold. The game's own scripts run at
// most a few hundred instructions in a call and hold well under a megabyte, so neither limit
// is near what they need; an endless loop is stopped within a few tens of milliseconds.
inline constexpr std::uint64_t kScriptInstructionsPerCall = 10'000'000;
inline constexpr std::size_t kScriptMemoryBytes = std::size_t{256} << 20;

// The game's limits: the two above, and a stop while Ctrl+C or a termination request waits for
// the main loop.
lua::Limits GameScriptLimits();

// The scripts of one entity.
struct EntityScriptRecord {
  // Script name (the key in the entity's LuaScriptContainer) → the script's environment.
  std::map<std::string, lua::Reference> scripts;
  // The state key of the active state script; empty at first.
  std::string currentState;
  // True once the entity's container scripts have been tried (a state set before that does
  // not count): they are not tried again until the record is dropped.
  bool loaded = false;
  // Tells this record from a later one of the same entity id, for walks that run script code.
  std::uint64_t serial = 0;
};

// A script call waiting for a later update: a function name, a blank and its argument text (or
// the name alone), for one entity or, when negative, every scripted entity.
struct DelayedCall {
  std::string message;
  int entity = -1;
};

class LuaScriptSystem : public BaseSystem, public EntityScriptEraser {
 public:
  explicit LuaScriptSystem(std::string scriptsDirectory = "./GAME/Scripts/",
                           lua::Limits limits = GameScriptLimits());
  ~LuaScriptSystem() override;

  // Opens the libraries base, math, table and string; registers the signature
  // {LuaScriptContainer, Transform}; binds the math types, enumerations and components and
  // hands the binder and the state to the component manager.
  void Init() override;
  // Drops every entity's scripts and takes the binder and the state back from the component
  // manager.
  void Shutdown() override;

  // Runs the delayed calls, loads the scripts of entities seen for the first time and calls
  // every active script's `update(dt)`; `dt` in seconds.
  void Update(float dt) override;
  void HandleMessage(const std::string& message) override;

  // Forgets the entity's scripts and drops the delayed calls addressed to it (its id may be
  // given to a new entity); calls for every entity stay queued.
  void EraseEntityScripts(int entity) override;

  // Makes `state` the entity's current state, creating its record when it has none; the
  // entity's scripts still load when first seen. Does nothing for a negative id or an entity
  // that is not alive.
  void SetState(int entity, std::string state);

  // Runs the library script `file` (in the scripts folder) once in the global environment and
  // publishes its result as the global `globalName`. A file that cannot be read or fails to run
  // is reported and leaves the global unset; false then.
  bool LoadLibraryScript(std::string_view globalName, std::string_view file);

  // Loads one script of an entity: reads the file (once per path for the whole run; a file
  // that cannot be read is reported once, naming the path, and runs as an empty script), runs
  // it in a fresh environment, stores the environment under `name` in the entity's record,
  // calls the behaviour's `init` with the entity id and stores the behaviour as `behavior`. A
  // chunk that fails stores nothing; neither does one whose entity's record went while it ran.
  void LoadEntityScript(int entity, const std::string& name, const std::string& path);

  // Calls the function named by the message's first word, with the rest of the message (after
  // the first blank) as its one string argument, in every script of the entity, or of every
  // entity in the system's set that has scripts when `entity` is negative. A name a script does
  // not define is looked up in the globals. A script or entity dropped by an earlier call of
  // the same walk is not called.
  void CallScriptFunction(std::string_view message, int entity);

  // Appends a call to the back of the delayed-call queue. An update runs at most the calls that
  // were queued when it began; calls queued meanwhile wait for the next one.
  void QueueDelayedCall(std::string message, int entity);

  // Links to systems outside scripting, used by the global API functions.
  void SetApiLinks(LuaApiLinks links) { apiLinks = std::move(links); }
  // The API links that are not set.
  std::vector<std::string> MissingLinks() const override;

  // Prints one script error report to standard output and flushes it; a report printed
  // before is counted instead (see above).
  void ReportLuaError(std::string_view file, std::string_view error);

  std::string scriptsDirectory;
  lua::State lua;
  std::map<int, EntityScriptRecord> entityScripts;
  std::shared_ptr<ComponentManager> componentManager;
  std::shared_ptr<EntityManager> entityManager;
  std::shared_ptr<MessagingManager> messagingManager;
  std::deque<DelayedCall> delayedCalls;
  LuaApiLinks apiLinks;
  // Path → whole file text, filled on first use and kept for the run.
  std::unordered_map<std::string, std::string> sourceCache;
  std::unique_ptr<LuaComponentBinder> binder;
  ScriptErrorLog errorLog{std::cout};

 private:
  // Seconds on the engine's clock (a steady clock without an engine), for the error log.
  double Now() const;
  // The entity's record, created (with a new serial) when it has none.
  EntityScriptRecord& RecordOf(int entity);
  // The serial of the entity's record; 0 when it has none.
  std::uint64_t SerialOf(int entity) const;
  // True when the entity has at least one loaded script (any entity, for a negative id).
  bool HasLoadedScripts(int entity) const;
  void RunDelayedCalls();
  void LoadScriptsOf(int entity);
  void UpdateScriptsOf(int entity, float dt);
  void Post(const char* message, int level);
  // The entity's alias, empty without one (or without an entity manager).
  std::string AliasOf(int entity) const;
  // The text of a script file, read on first use of the path and cached; a file that cannot be
  // read is an empty script, reported once (as `reportAs`, naming the path).
  const std::string& SourceOf(const std::string& path, std::string_view reportAs);
  // Removes the binder and the state from the component manager, if they are listed there.
  void ReleaseBinder();

  // Calls taken off the queue by the running update and waiting for their entity's scripts;
  // they go back to the end of the queue once the update has run the others.
  std::deque<DelayedCall> heldCalls;
  std::uint64_t nextSerial = 1;
};
DECLARE_TYPE_NAME(class, LuaScriptSystem);
