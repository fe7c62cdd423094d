#pragma once
// The 24 game actions. The game never asks for a key: it asks InputSystem for the state of an
// action, and the controls file binds each action to input slots. The names are the actions'
// texts in the controls file and in the scripts' "GameAction" table.

#include <string>
#include <string_view>

enum GameAction : int {
  X_AXIS = 0,
  Y_AXIS,
  PICKUP_BLOCK,
  THROW_BLOCK,
  SEND_RING,
  PAUSE,
  CAM_CONTROL,
  Z_AXIS,
  X_TURN,
  Y_TURN,
  DASH,
  SHOOTING_MODE,
  BGM_START,
  FADE_IN,
  FADE_OUT,
  VIRTUAL_CURSOR_X,
  VIRTUAL_CURSOR_Y,
  UI_INTERACT,
  UI_BACK,
  TUTORIAL,
  LEVEL1,
  LEVEL2,
  LEVEL3,
  SKIP,
};

// Number of actions; also what GameActionFromName returns for a text that names none.
inline constexpr int kGameActionCount = 24;

// The action's name ("X_AXIS"); the empty text for a number outside 0..23.
std::string GameActionName(int action);

// The action with exactly this (case-sensitive) name, or kGameActionCount.
int GameActionFromName(std::string_view name);
