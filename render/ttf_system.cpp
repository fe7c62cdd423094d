#include "render/ttf_system.h"

// It keeps running while the pause menu is open.
TTFSystem::TTFSystem() {
  pausable = false;
}
