#pragma once
// GrassSystem: the grass field drawn over the tile world.

#include "engine/base_system.h"
#include "engine/type_name.h"

class GrassSystem : public BaseSystem {
 public:
  GrassSystem();
};
DECLARE_TYPE_NAME(class, GrassSystem);
