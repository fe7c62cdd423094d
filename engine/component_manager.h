#pragma once
// ComponentManager: owns one ComponentArray per registered component type, keyed by the type's
// name ("class Transform").

#include <memory>
#include <string>
#include <unordered_map>

#include "engine/base_manager.h"
#include "engine/component_array.h"
#include "engine/type_name.h"

class ComponentManager : public BaseManager {
 public:
  // Clears the entity's presence byte in every array; the stored values stay.
  void EntityDestroyed(int entity);

  std::unordered_map<std::string, std::unique_ptr<BaseArray>> componentArrays;
};
DECLARE_TYPE_NAME(class, ComponentManager);
