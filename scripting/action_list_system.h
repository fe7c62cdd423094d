#pragma once
// ActionListSystem: timed value animations ("actions") on variables in memory.

#include "engine/base_system.h"
#include "engine/type_name.h"

class ActionListSystem : public BaseSystem {
 public:
  void Init() override;
};
DECLARE_TYPE_NAME(class, ActionListSystem);
