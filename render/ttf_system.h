#pragma once
// TTFSystem: TrueType text.

#include "engine/base_system.h"
#include "engine/type_name.h"

class TTFSystem : public BaseSystem {
 public:
  TTFSystem();
};
DECLARE_TYPE_NAME(class, TTFSystem);
