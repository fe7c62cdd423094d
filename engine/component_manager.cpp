#include "engine/component_manager.h"

void ComponentManager::EntityDestroyed(int entity) {
  if (!IsValidEntityId(entity)) return;
  for (auto& [name, array] : componentArrays) array->presence[entity] = 0;
}
