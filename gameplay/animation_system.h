#pragma once
// AnimationSystem: sprite-sheet animations.

#include "engine/base_system.h"
#include "engine/type_name.h"

class AnimationSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, AnimationSystem);
