#pragma once
// The state of a game action in one update. Scripts see the same numbers.

enum class ButtonState : int {
  TRIGGERED = 0,  // became active in this update
  RELEASED = 1,   // stopped being active in this update
  TRUE = 2,       // active, and active in the update before
  FALSE = 3,      // not active
};
