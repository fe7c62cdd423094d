#include "platform/input_system.h"

// It keeps running while the pause menu is open or the engine is frozen.
InputSystem::InputSystem() {
  pausable = false;
  freezable = false;
}
