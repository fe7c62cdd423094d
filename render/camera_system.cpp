#include "render/camera_system.h"

// It keeps running while the pause menu is open or the engine is frozen.
CameraSystem::CameraSystem() {
  pausable = false;
  freezable = false;
}
