#pragma once
// EntityManager: entity ids, their unique names and their component signatures.
//
// Ids run from 0 to 1023 and are handed out lowest first, reused after destruction. A name that
// is taken already gets apostrophes appended until it is unique ("Enemy", "Enemy'", "Enemy''").
// An entity is alive from CreateEntity until DestroyEntity, as its `alive` flag says.
//
// When every id is in use, the first refused creation is reported ("no free entity id") and the
// later ones are only counted, until the next scene load (StartNewScene): a script creating
// entities in a loop does not write a line per attempt.

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

  // Called when a scene has loaded: reports how many creations were refused after the reported
  // one, and makes the next refusal reported again.
  void StartNewScene();
  // Creations refused for want of a free id since the last StartNewScene; the first of them
  // was reported.
  int RefusedCreations() const { return refusedCreations; }

  // Forgets a live entity: its flag, name and signature; logs
  // "EntityManager : Entity with id '<id>' destroyed". Does nothing for an id that is not alive.
  void DestroyEntity(int entity);

  bool IsAlive(int entity) const { return IsValidEntityId(entity) && alive[entity]; }

  // Inserts the component's type name into a live entity's signature (a name already there
  // stays once). The systems learn of it only through SystemManager::EntitySignatureChanged.
  template <typename Component>
  void AddToSignature(int entity) {
    if (!IsAlive(entity)) return;
    signaturesById[entity].emplace(TypeName<Component>());
  }

  // Erases the component's type name from a live entity's signature, if it is there.
  template <typename Component>
  void RemoveFromSignature(int entity) {
    if (!IsAlive(entity)) return;
    const auto signature = signaturesById.find(entity);
    if (signature == signaturesById.end()) return;
    if (const auto name = signature->second.find(TypeName<Component>());
        name != signature->second.end()) {
      signature->second.erase(name);
    }
  }

  // The entity's name, or an empty text for an id without one.
  std::string GetName(int entity) const;
  // The id of the entity with this name, or kNoEntity.
  int FindEntity(const std::string& name) const;

  int entityCount = 0;
  std::array<bool, kMaxEntities> alive{};
  std::unordered_map<int, std::string> namesById;
  std::unordered_map<std::string, int> idsByName;
  std::unordered_map<int, Signature> signaturesById;

 private:
  int refusedCreations = 0;
};
DECLARE_TYPE_NAME(class, EntityManager);
