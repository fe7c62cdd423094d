#include "engine/entity_manager.h"

#include <cstdio>

int EntityManager::CreateEntity(std::string name) {
  int entity = kNoEntity;
  for (int candidate = 0; candidate < kMaxEntities; ++candidate) {
    if (!alive[candidate]) {
      entity = candidate;
      break;
    }
  }
  if (entity == kNoEntity) {
    if (refusedCreations++ == 0) {
      std::printf(
          "EntityManager : no free entity id for '%s' (all %d in use); further "
          "entities are refused without a report until the next scene loads\n",
          name.c_str(), kMaxEntities);
    }
    return kNoEntity;
  }

  while (idsByName.contains(name)) name += '\'';
  alive[entity] = true;
  signaturesById[entity] = Signature{};
  ++entityCount;
  idsByName[name] = entity;
  namesById[entity] = std::move(name);
  return entity;
}

void EntityManager::StartNewScene() {
  if (refusedCreations > 1) {
    std::printf("EntityManager : %d more entities were refused for want of a free entity id\n",
                refusedCreations - 1);
  }
  refusedCreations = 0;
}

void EntityManager::DestroyEntity(int entity) {
  if (!IsAlive(entity)) return;
  alive[entity] = false;
  if (const auto name = namesById.find(entity); name != namesById.end()) {
    idsByName.erase(name->second);
    namesById.erase(name);
  }
  signaturesById.erase(entity);
  --entityCount;
  std::printf("EntityManager : Entity with id '%i' destroyed\n", entity);
}

std::string EntityManager::GetName(int entity) const {
  const auto name = namesById.find(entity);
  return name != namesById.end() ? name->second : std::string();
}

int EntityManager::FindEntity(const std::string& name) const {
  const auto entity = idsByName.find(name);
  return entity != idsByName.end() ? entity->second : kNoEntity;
}
