// LuaScriptSystem: the engine messages that turn into calls of named script functions.

#include <algorithm>
#include <string>

#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "scripting/lua_script_system.h"

namespace {

// Reads the message's `count` arguments as entity ids; false when the count is wrong or a word
// is not a number.
template <std::size_t count>
bool ReadEntityArguments(const std::string& message, int (&ids)[count]) {
  std::string_view words[count];
  if (!SplitMessageArguments(message, words, count)) return false;
  for (std::size_t index = 0; index < count; ++index) {
    if (!ReadMessageInt(words[index], ids[index])) return false;
  }
  return true;
}

}  // namespace

void LuaScriptSystem::Post(const char* message, int postLevel) {
  if (messagingManager != nullptr) messagingManager->PostFormatted("%s", postLevel, message);
}

void LuaScriptSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "lua_call")) {
    std::string rest;
    GetMessageRest(message, rest);
    CallScriptFunction(rest, -1);
  } else if (IsMessage(message, "lua_delayed_call")) {
    std::string rest;
    GetMessageRest(message, rest);
    QueueDelayedCall(std::move(rest), -1);
  } else if (IsMessage(message, "collision")) {
    int ids[2] = {};
    if (!ReadEntityArguments(message, ids)) return;
    if (!entities.contains(ids[0]) && !entities.contains(ids[1])) return;
    // Each side hears of the other by alias, the lower id first; a side that left the set
    // meanwhile (destroyed by the first call) is not called.
    const std::string aliases[2] = {AliasOf(ids[0]), AliasOf(ids[1])};
    const int first = ids[0] <= ids[1] ? 0 : 1;
    for (const int side : {first, 1 - first}) {
      if (side != first && ids[0] == ids[1]) break;
      if (!entities.contains(ids[side])) continue;
      CallScriptFunction("Collision_Resolve " + aliases[1 - side], ids[side]);
    }
  } else if (IsMessage(message, "collision_tilemap")) {
    int ids[1] = {};
    if (ReadEntityArguments(message, ids) && entities.contains(ids[0])) {
      CallScriptFunction("Collision_Tilemap", -1);
    }
  } else if (IsMessage(message, "scene_load")) {
    entityScripts.clear();
    errorLog.Forget();
  } else if (IsMessage(message, "level_end")) {
    CallScriptFunction("Level_End", -1);
  } else if (IsMessage(message, "level1_init")) {
    CallScriptFunction("Level1_Init", -1);
  } else if (IsMessage(message, "level2_init")) {
    CallScriptFunction("Level2_Init", -1);
  } else if (IsMessage(message, "instant_win")) {
    CallScriptFunction("Game_End", -1);
    Post("you_win", 0);
    Post("play_sfx playerWin 1.0 1.0 0.0 1", 1);
  } else if (IsMessage(message, "instant_lose")) {
    CallScriptFunction("PauseInput", -1);
    CallScriptFunction("player_dead", -1);
    Post("play_sfx playerDie 1.0 1.0 0.0 1", 1);
  } else if (IsMessage(message, "god_mode")) {
    CallScriptFunction("MakeInvincible", -1);
  }
}
