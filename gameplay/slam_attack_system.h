#pragma once
// SlamAttackSystem: the waves of slam attacks.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SlamAttackSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, SlamAttackSystem);
