#pragma once
// SoundEmitterSystem: sounds placed in the world.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SoundEmitterSystem : public BaseSystem {
 public:
  SoundEmitterSystem();
};
DECLARE_TYPE_NAME(class, SoundEmitterSystem);
