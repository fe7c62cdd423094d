#pragma once
// LightSystem: the lights of each framebuffer layer.

#include "engine/base_system.h"
#include "engine/type_name.h"

class LightSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, LightSystem);
