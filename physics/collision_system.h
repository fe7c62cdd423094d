#pragma once
// CollisionSystem: collider tests by shape and layer.

#include "engine/base_system.h"
#include "engine/type_name.h"

class CollisionSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, CollisionSystem);
