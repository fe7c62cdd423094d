#include "components/prefab_instantiation.h"

#include "components/entity_reader.h"
#include "components/prefab_cache.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/prefab_scenes.h"
#include "engine/system_manager.h"

namespace {

// Creates the prefab's entity; kNoEntity when there is no usable prefab or no entity is made.
// The engine's prefab scenes keep the prefabs read; without them the file is read for this call
// alone.
int CreateFromPrefab(const std::string& prefabName, const std::string& entityName) {
  PrefabScenes* scenes = DECS::CurrentPrefabScenes();
  PrefabCache forThisCall;
  const nlohmann::json* prefab =
      scenes != nullptr ? scenes->FindPrefab(prefabName) : forThisCall.Find(prefabName);
  if (prefab == nullptr) return kNoEntity;
  return DeserializeEntity(*prefab, entityName.empty() ? prefabName : entityName,
                           PrefabPath(prefabName));
}

void TellSystems(int entity) {
  const DECS& decs = DECS::Instance();
  const Signature signature = decs.GetManager<EntityManager>()->signaturesById[entity];
  decs.GetManager<SystemManager>()->EntitySignatureChanged(entity, signature);
}

}  // namespace

void AddSceneIdentifier(ComponentManager& components, int entity, const SceneIdentifier& value) {
  components.AddComponent(entity, value);
}

int InstantiatePrefab(const std::string& prefabName, const std::string& entityName) {
  const int entity = CreateFromPrefab(prefabName, entityName);
  if (entity == kNoEntity) return kNoEntity;

  const DECS& decs = DECS::Instance();
  auto components = decs.GetManager<ComponentManager>();
  if (components->HasComponent<SceneIdentifier>(entity)) {
    components->RemoveComponent<SceneIdentifier>(entity);
    decs.GetManager<EntityManager>()->RemoveFromSignature<SceneIdentifier>(entity);
  }
  TellSystems(entity);
  return entity;
}

int InstantiatePrefabInScene(const std::string& prefabName, const std::string& sceneName,
                             const std::string& entityName) {
  const int entity = CreateFromPrefab(prefabName, entityName);
  if (entity == kNoEntity) return kNoEntity;

  const DECS& decs = DECS::Instance();
  const PrefabScenes* scenes = DECS::CurrentPrefabScenes();
  const std::string owner = scenes != nullptr ? scenes->OwningScene(sceneName) : std::string();

  auto components = decs.GetManager<ComponentManager>();
  if (components->HasComponent<SceneIdentifier>(entity)) {
    components->GetComponent<SceneIdentifier>(entity)->_sceneName = owner;
  } else {
    decs.GetManager<EntityManager>()->AddToSignature<SceneIdentifier>(entity);
    SceneIdentifier identifier;
    identifier._sceneName = owner;
    AddSceneIdentifier(*components, entity, identifier);
  }
  TellSystems(entity);
  return entity;
}
