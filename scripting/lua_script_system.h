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
// that fails reports its message and Lua's stack traceback.
//
// The system owns the Lua state and the component binder. At Init it lists the binder and the
// state with the component manager; at Shutdown it takes both back.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/base_system.h"
#include "engine/engine_hooks.h"
#include "engine/type_name.h"
#include "scripting/lua/state.h"
#include "scripting/lua_api_links.h"

class ComponentManager;
class EntityManager;
class InputSystem;
class LuaComponentBinder;

// The scripts of one entity.
struct EntityScriptRecord {
  // Script name (the key in the entity's LuaScriptContainer) → the script's environment.
  std::map<std::string, lua::Reference> scripts;
  // The state key of the active state script; empty at first.
  std::string currentState;
};

// A script call waiting for a later update: a function name, a blank and its argument text (or
// the name alone), for one entity or, when negative, every scripted entity.
struct DelayedCall {
  std::string message;
  int entity = -1;
};

class LuaScriptSystem : public BaseSystem, public EntityScriptEraser {
 public:
  explicit LuaScriptSystem(std::string scriptsDirectory = "./GAME/Scripts/");
  ~LuaScriptSystem() override;

  // Opens the libraries base, math, table and string; registers the signature
  // {LuaScriptContainer, Transform}; binds the math types, enumerations and components and
  // hands the binder and the state to the component manager.
  void Init() override;
  // Drops every entity's scripts and takes the binder and the state back from the component
  // manager.
  void Shutdown() override;

  // Forgets the entity's scripts; an entity without any is ignored.
  void EraseEntityScripts(int entity) override;

  // Loads one script of an entity: reads the file (once per path for the whole run; a file
  // that cannot be read is an empty script), runs it in a fresh environment, stores the
  // environment under `name` in the entity's record, calls the behaviour's `init` with the
  // entity id and stores the behaviour as `behavior`. A chunk that fails stores nothing.
  void LoadEntityScript(int entity, const std::string& name, const std::string& path);

  // Calls the function named by the message's first word, with the rest of the message (after
  // the first blank) as its one string argument, in every script of the entity, or of every
  // entity in the system's set that has scripts when `entity` is negative. A name a script does
  // not define is looked up in the globals. A script or entity dropped by an earlier call of
  // the same walk is not called.
  void CallScriptFunction(std::string_view message, int entity);

  // Appends a call to the back of the delayed-call queue.
  void QueueDelayedCall(std::string message, int entity);

  // Links to systems outside scripting, used by the global API functions.
  void SetApiLinks(LuaApiLinks links) { apiLinks = std::move(links); }

  // Prints one script error report to standard output and flushes it.
  static void ReportLuaError(std::string_view file, std::string_view error);

  std::string scriptsDirectory;
  lua::State lua;
  std::map<int, EntityScriptRecord> entityScripts;
  std::shared_ptr<ComponentManager> componentManager;
  std::shared_ptr<EntityManager> entityManager;
  std::shared_ptr<InputSystem> inputSystem;
  std::deque<DelayedCall> delayedCalls;
  LuaApiLinks apiLinks;
  // Path → whole file text, filled on first use and kept for the run.
  std::unordered_map<std::string, std::string> sourceCache;
  std::unique_ptr<LuaComponentBinder> binder;

 private:
  // The entity's alias, empty without one (or without an entity manager).
  std::string AliasOf(int entity) const;
  const std::string& SourceOf(const std::string& path);
  // Removes the binder and the state from the component manager, if they are listed there.
  void ReleaseBinder();
};
DECLARE_TYPE_NAME(class, LuaScriptSystem);
