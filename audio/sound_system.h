#pragma once
// SoundSystem: sound effects, music and volume.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SoundSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, SoundSystem);
