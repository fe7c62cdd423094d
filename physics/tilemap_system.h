#pragma once
// TilemapSystem: the tile world: its layers and tile groups.

#include "engine/base_system.h"
#include "engine/type_name.h"

class TilemapSystem : public BaseSystem {
 public:
};
DECLARE_TYPE_NAME(class, TilemapSystem);
