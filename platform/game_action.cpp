#include "platform/game_action.h"

#include <array>

namespace {

constexpr std::array<std::string_view, kGameActionCount> kActionNames = {
    "X_AXIS",           "Y_AXIS",      "PICKUP_BLOCK", "THROW_BLOCK",
    "SEND_RING",        "PAUSE",       "CAM_CONTROL",  "Z_AXIS",
    "X_TURN",           "Y_TURN",      "DASH",         "SHOOTING_MODE",
    "BGM_START",        "FADE_IN",     "FADE_OUT",     "VIRTUAL_CURSOR_X",
    "VIRTUAL_CURSOR_Y", "UI_INTERACT", "UI_BACK",      "TUTORIAL",
    "LEVEL1",           "LEVEL2",      "LEVEL3",       "SKIP"};

}  // namespace

std::string GameActionName(int action) {
  if (action < 0 || action >= kGameActionCount) return {};
  return std::string(kActionNames[static_cast<std::size_t>(action)]);
}

int GameActionFromName(std::string_view name) {
  for (int action = 0; action < kGameActionCount; ++action) {
    if (kActionNames[static_cast<std::size_t>(action)] == name) return action;
  }
  return kGameActionCount;
}
