#pragma once
// MenuManager: the menus and the HUD, and the level flow between scenes.

#include "engine/base_system.h"
#include "engine/type_name.h"

class MenuManager : public BaseSystem {
 public:
  MenuManager();
};
DECLARE_TYPE_NAME(class, MenuManager);
