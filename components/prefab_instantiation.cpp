#include "components/prefab_instantiation.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "components/entity_reader.h"
#include "components/scene_system.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/json_file.h"
#include "engine/system_manager.h"

namespace {

// Reads the prefab file into `file`; false (reported, except for a missing file) when there is
// no usable entity object.
bool ReadPrefabFile(const std::string& prefabName, JsonFile& file) {
  if (!IsSafeDataName(prefabName)) {
    std::fprintf(stderr,
                 "Prefab : refused prefab name '%s': a prefab name is not empty and holds no "
                 "'/', '\\' or \"..\"\n",
                 prefabName.c_str());
    return false;
  }
  std::string path = PrefabPath(prefabName);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    if (error) {
      std::fprintf(stderr, "Prefab : cannot check '%s': %s\n", path.c_str(),
                   error.message().c_str());
    }
    return false;
  }
  try {
    LoadJsonFile(file, path);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "Prefab : prefab '%s' not created: %s\n", prefabName.c_str(),
                 failure.what());
    return false;
  }
  if (!file.document.is_object()) {
    std::fprintf(stderr, "Prefab : prefab '%s' not created: '%s' holds %s, not an object\n",
                 prefabName.c_str(), path.c_str(), file.document.type_name());
    return false;
  }
  return true;
}

// Reads the prefab and creates its entity; kNoEntity when either step fails.
int CreateFromPrefab(const std::string& prefabName, const std::string& entityName) {
  JsonFile file;
  if (!ReadPrefabFile(prefabName, file)) return kNoEntity;
  return DeserializeEntity(file.document, entityName.empty() ? prefabName : entityName,
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
  std::string owner = sceneName;
  const auto scenes = decs.GetSystem<SceneSystem>();
  if (owner.empty() || scenes == nullptr || !scenes->loadedScenes.contains(owner)) {
    owner = scenes != nullptr ? scenes->CurrentSceneName() : std::string();
  }

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
