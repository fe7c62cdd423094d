#pragma once
// PhysicsSystem: velocities, forces and gravity.

#include "engine/base_system.h"
#include "engine/type_name.h"

class PhysicsSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, PhysicsSystem);
