#pragma once
// RMLEventHandler: event listeners of the user-interface documents.

#include "engine/base_system.h"
#include "engine/type_name.h"

class RMLEventHandler : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, RMLEventHandler);
