#pragma once
// EntityManager: entity ids, their unique names and their component signatures.
//
// Ids run from 0 to 1023 and are handed out lowest first, reused after destruction. A name that
// is taken already gets apostrophes appended until it is unique ("Enemy", "Enemy'", "Enemy''").
// An entity is alive from CreateEntity until DestroyEntity, as its `alive` flag says.

#include <array>
#include <string>
#include <unordered_map>

#include "engine/base_manager.h"
#include "engine/entity.h"
#include "engine/type_name.h"

class EntityManager : public BaseManager {
 public:
  // Returns the new entity's id, or kNoEntity (recording nothing) when all ids are in use.
  int CreateEntity(std::string name);

  // Forgets a live entity: its flag, name and signature; logs
  // "EntityManager : Entity with id '<id>' destroyed". Does nothing for an id that is not alive.
  void DestroyEntity(int entity);

  bool IsAlive(int entity) const { return IsValidEntityId(entity) && alive[entity]; }

  // The entity's name, or an empty text for an id without one.
  std::string GetName(int entity) const;
  // The id of the entity with this name, or kNoEntity.
  int FindEntity(const std::string& name) const;

  int entityCount = 0;
  std::array<bool, kMaxEntities> alive{};
  std::unordered_map<int, std::string> namesById;
  std::unordered_map<std::string, int> idsByName;
  std::unordered_map<int, Signature> signaturesById;
};
DECLARE_TYPE_NAME(class, EntityManager);
