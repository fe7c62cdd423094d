#pragma once
// SettingsSystem: the player's settings file.

#include "engine/base_system.h"
#include "engine/type_name.h"

class SettingsSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, SettingsSystem);
