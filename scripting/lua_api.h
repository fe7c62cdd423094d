#pragma once
// The global functions and tables the game's scripts call, registered into the script
// system's Lua state at start-up.
//
// Arguments follow the binding layer's forgiving conversions (scripting/lua/stack.h): an
// integer argument takes a float rounded half away from zero, a string argument takes a number
// in its text form, anything else or a missing argument reads as 0 or "". Only matrix and
// vector arguments are checked: another value raises a Lua error. An integer argument outside
// the 32-bit range skips the call (a function with a result then gives nil).
//
// Entity ids: GetEntityID answers -1 for an alias no entity has. SendLocalMessage and
// SendDelayedLocalMessage treat any negative id as "every scripted entity", so a script that
// passes on the result of a failed look-up reaches every script; scripts check the id first.
//
// The `input` table's functions take a `GameAction` index as an integral number only (2.5
// reads as action 0); an index outside 0..23 reads as FALSE and 0.
//
// Functions that need systems outside scripting (rings, hints, scene stack, tile groups) go
// through the system's LuaApiLinks (scripting/lua_api_links.h).

class LuaScriptSystem;

// Registers the 41 global API functions in their fixed order, then the `GameAction` table
// (action name -> index, 24 entries) and the `input` table. Every function captures the system
// and reads its managers and links when it is called.
void RegisterLuaApi(LuaScriptSystem& system);
