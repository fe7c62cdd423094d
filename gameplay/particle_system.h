#pragma once
// ParticleSystem: particle emitters.

#include "engine/base_system.h"
#include "engine/type_name.h"

class ParticleSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, ParticleSystem);
