#pragma once
// PlatformSystem: the game window.

#include "engine/base_system.h"
#include "engine/type_name.h"

class PlatformSystem : public BaseSystem {
 public:
  PlatformSystem();
};
DECLARE_TYPE_NAME(class, PlatformSystem);
