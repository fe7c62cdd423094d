#pragma once
// SceneSystem: the set of loaded scenes and scene changes.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SceneSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, SceneSystem);
