#include "gameplay/grass_system.h"

// It keeps running while the pause menu is open.
GrassSystem::GrassSystem() {
  pausable = false;
}
