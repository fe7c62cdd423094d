#pragma once
// SpriteTextSystem: text drawn from sprite-sheet fonts.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SpriteTextSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, SpriteTextSystem);
