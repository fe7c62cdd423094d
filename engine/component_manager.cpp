#include "engine/component_manager.h"

#include <atomic>
#include <iostream>

int NextComponentTypeIndex() {
  static std::atomic<int> next{0};
  return next.fetch_add(1, std::memory_order_relaxed);
}

void ComponentManager::EntityDestroyed(int entity) {
  if (!IsValidEntityId(entity)) return;
  for (auto& [name, array] : componentArrays) array->presence[entity] = 0;
}

void ComponentManager::IndexArray(int typeIndex, BaseArray* array) {
  const auto index = static_cast<std::size_t>(typeIndex);
  if (arraysByType.size() <= index) arraysByType.resize(index + 1, nullptr);
  arraysByType[index] = array;
}

void ComponentManager::ReportRegistration(std::string_view name) const {
  if (luaState != nullptr) {
    std::cout << "Attempting to bind component to Lua: " << name << std::endl;
    for (const IComponentBinder* binder : luaBinders) {
      if (binder == nullptr) std::cout << "Warning: Null binder found" << std::endl;
    }
  } else {
    std::cout << "Warning: No Lua state available for binding" << std::endl;
  }
  std::printf("ComponentManager : '%.*s' registered\n", static_cast<int>(name.size()), name.data());
}

void ComponentManager::ReportInvalidEntity(std::string_view name, const char* operation,
                                           int entity) {
  std::printf("ComponentManager : Warning: %s<%.*s> ignored: '%i' is not an entity id\n", operation,
              static_cast<int>(name.size()), name.data(), entity);
}

void ComponentManager::ReportMissingArray(std::string_view name, const char* operation,
                                          int entity) {
  std::printf(
      "ComponentManager : Warning: %s<%.*s> for Entity '%i' ignored: the type has no component "
      "array\n",
      operation, static_cast<int>(name.size()), name.data(), entity);
}
