#pragma once
// StandardEntityRenderer: queues the draws of textured, lit entities.

#include "engine/base_system.h"
#include "engine/type_name.h"

class StandardEntityRenderer : public BaseSystem {
 public:
  StandardEntityRenderer();
};
DECLARE_TYPE_NAME(class, StandardEntityRenderer);
