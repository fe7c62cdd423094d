#include "platform/platform_system.h"

// It keeps running while the pause menu is open or the engine is frozen.
PlatformSystem::PlatformSystem() {
  pausable = false;
  freezable = false;
}
