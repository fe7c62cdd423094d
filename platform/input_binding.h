#pragma once
// One binding of a game action to input slots, as read from the controls file.

#include <array>
#include <vector>

#include "platform/game_action.h"
#include "platform/input_slots.h"

struct InputBinding {
  enum Kind : int {
    kSingle = 0,  // the value of one slot
    kAxis = 1,    // two slots: input drives the negative direction, input2 the positive one
  };

  int input = NoInput;
  int input2 = NoInput;  // NoInput for a single-input binding
  int kind = kSingle;
  float sensitivity = 1.0f;
  bool invert = false;
};

// The bindings of every action, each list in controls-file order.
using ActionBindings = std::array<std::vector<InputBinding>, kGameActionCount>;
