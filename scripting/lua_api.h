#pragma once
// The global functions and tables the game's scripts call, registered into the script
// system's Lua state at start-up.

class LuaScriptSystem;

// Registers the global API functions, the `GameAction` table and the `input` table into the
// system's state, in that order. Every function captures the system.
void RegisterLuaApi(LuaScriptSystem& system);
