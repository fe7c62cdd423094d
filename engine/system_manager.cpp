#include "engine/system_manager.h"

#include <algorithm>

std::shared_ptr<BaseSystem> SystemManager::FindSystemHandle(std::string_view typeName) const {
  const auto found = systems.find(std::string(typeName));
  return found != systems.end() ? found->second : nullptr;
}

BaseSystem* SystemManager::FindSystem(std::string_view typeName) const {
  return FindSystemHandle(typeName).get();
}

void SystemManager::SetSignature(std::string_view systemTypeName, Signature signature) {
  signatures[std::string(systemTypeName)] = std::move(signature);
}

void SystemManager::EntitySignatureChanged(int entity, const Signature& entitySignature) {
  if (!IsValidEntityId(entity)) return;
  for (const auto& [typeName, system] : orderedSystems) {
    const auto required = signatures.find(typeName);
    const bool covered = required == signatures.end() ||
                         std::includes(entitySignature.begin(), entitySignature.end(),
                                       required->second.begin(), required->second.end());
    if (covered) {
      system->entities.insert(entity);
    } else {
      system->entities.erase(entity);
    }
  }
}

void SystemManager::EntityDestroyed(int entity) {
  for (const auto& registered : orderedSystems) registered.system->entities.erase(entity);
}
