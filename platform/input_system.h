#pragma once
// InputSystem: game actions read from their bound inputs.

#include "engine/base_system.h"
#include "engine/type_name.h"

class InputSystem : public BaseSystem {
 public:
  InputSystem();
};
DECLARE_TYPE_NAME(class, InputSystem);
