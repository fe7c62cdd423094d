#include "components/entity_reader.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "components/component_readers.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/json_file.h"

using nlohmann::json;

namespace {

// A component that has been read and loaded, waiting to be added to the entity. An entity's
// sections are all read before any is added, so a bad section leaves nothing half-added.
using PendingAdd = std::function<void(ComponentManager&, EntityManager&, int entity)>;

template <typename Component>
PendingAdd AddLater(Component component) {
  return [component = std::move(component)](ComponentManager& components,
                                            EntityManager& entityManager, int entity) {
    components.AddComponent(entity, component);
    // A type without an array (Sequence) is reported by the manager; its key stays out of the
    // signature, so no system takes the entity for a component it does not have.
    if (components.GetArray<Component>() != nullptr) {
      entityManager.AddToSignature<Component>(entity);
    }
  };
}

const char* Shown(const std::string& file) { return file.empty() ? "(no file)" : file.c_str(); }

// Where a section comes from: what a load step names when it reports on the section.
struct SectionSource {
  int entity = kNoEntity;
  const std::string& entityName;
  const std::string& file;  // the scene or prefab file
};

// Load steps, run right after a section is read.
template <typename Component>
void NoLoadStep(Component&, const SectionSource&) {}
void LoadModelList(ModelList& list, const SectionSource&) { list.LoadModelFile(); }
void LoadTextures(TextureComponent& texture, const SectionSource&) { texture.LoadTextures(); }
void LoadMesh(MeshComponent& mesh, const SectionSource&) { mesh.Reload(); }
void LoadTiles(Tilemap& tilemap, const SectionSource&) { tilemap.LoadTileFile(); }
void MarkProjectionDirty(Camera& camera, const SectionSource&) { camera.SetDirty(); }
void LoadMaterial(MaterialComponent& material, const SectionSource&) {
  if (ResourceProvider* resources = DECS::CurrentResources()) {
    material.materialId = resources->GetMaterial(material._path);
  }
}
void LoadSoundBank(SoundBank& bank, const SectionSource&) { bank.Load(); }
void LoadSequenceTemplate(Sequence& sequence, const SectionSource&) { sequence.LoadTemplate(); }
void CheckScriptSystem(LuaScript&, const SectionSource& source) {
  if (!DECS::HasInstance() || DECS::Instance().EntityScripts() == nullptr) {
    std::fprintf(stderr, "LuaScriptSystem not found when deserializing entity %i\n", source.entity);
  }
}
// The pool grows up to `_maxParticles`: a file asking for more than a pool may hold would take
// all memory (each particle is about two hundred bytes), so the pool is capped and told.
void LoadParticleResources(ParticleEmitter& emitter, const SectionSource& source) {
  if (emitter._maxParticles > ParticleEmitter::kMaxPoolSize) {
    std::fprintf(stderr,
                 "EntityReader : '%s', entity '%s', component '%.*s': \"_maxParticles\" %u is "
                 "more than a pool may hold; the pool holds %u\n",
                 Shown(source.file), source.entityName.c_str(),
                 static_cast<int>(TypeName<ParticleEmitter>().size()),
                 TypeName<ParticleEmitter>().data(), emitter._maxParticles,
                 ParticleEmitter::kMaxPoolSize);
    emitter._maxParticles = ParticleEmitter::kMaxPoolSize;
  }
  ResolveParticleResources(emitter);
}
void BuildScriptMap(LuaScriptContainer& container, const SectionSource&) {
  container.BuildScriptMap();
}
void LoadAnimations(AnimationGroup& group, const SectionSource&) { group.LoadAnimations(); }
void LoadDocument(RMLDocument& document, const SectionSource&) { document.Load(); }

enum Source : unsigned { kOwn = 1, kPrefab = 2, kBoth = kOwn | kPrefab };

struct ComponentKind {
  std::string_view key;
  unsigned sources;
  PendingAdd (*read)(const json& section, bool fromPrefab, const SectionSource& source);
};

template <typename Component, Component (*Reader)(const json&),
          void (*Load)(Component&, const SectionSource&)>
PendingAdd ReadAndLoad(const json& section, bool fromPrefab, const SectionSource& source) {
  Component component = Reader(section);
  if (fromPrefab) component.SetFromPrefab(true);
  Load(component, source);
  return AddLater(std::move(component));
}

template <typename Component, Component (*Reader)(const json&),
          void (*Load)(Component&, const SectionSource&) = NoLoadStep<Component>>
constexpr ComponentKind Kind(unsigned sources) {
  return {TypeName<Component>(), sources, &ReadAndLoad<Component, Reader, Load>};
}

// The order in which sections are read. An entity object never gives a Sequence; a prefab file
// never gives a Prefab or a SceneIdentifier.
constexpr ComponentKind kComponentKinds[] = {
    Kind<Transform, ReadTransform>(kBoth),
    Kind<Physics, ReadPhysics>(kBoth),
    Kind<Collider, ReadCollider>(kBoth),
    Kind<SpriteText, ReadSpriteText>(kBoth),
    Kind<TagContainer, ReadTagContainer>(kBoth),
    Kind<ModelList, ReadModelList, LoadModelList>(kBoth),
    Kind<TextureComponent, ReadTextureComponent, LoadTextures>(kBoth),
    Kind<MeshComponent, ReadMeshComponent, LoadMesh>(kBoth),
    Kind<Tilemap, ReadTilemap, LoadTiles>(kBoth),
    Kind<Parent, ReadParent>(kBoth),
    Kind<Camera, ReadCamera, MarkProjectionDirty>(kBoth),
    Kind<MaterialComponent, ReadMaterialComponent, LoadMaterial>(kBoth),
    Kind<SoundBank, ReadSoundBank, LoadSoundBank>(kBoth),
    Kind<Sequence, ReadSequence, LoadSequenceTemplate>(kPrefab),
    Kind<LuaScript, ReadLuaScript, CheckScriptSystem>(kBoth),
    Kind<Light, ReadLight>(kBoth),
    Kind<ParticleEmitter, ReadParticleEmitter, LoadParticleResources>(kBoth),
    Kind<TTF, ReadTTF>(kBoth),
    Kind<LuaScriptContainer, ReadLuaScriptContainer, BuildScriptMap>(kBoth),
    Kind<Prefab, ReadPrefab>(kOwn),
    Kind<SceneIdentifier, ReadSceneIdentifier>(kOwn),
    Kind<SoundEmitter, ReadSoundEmitter>(kBoth),
    Kind<WindEmitter, ReadWindEmitter>(kBoth),
    Kind<AnimationGroup, ReadAnimationGroup, LoadAnimations>(kBoth),
    Kind<RMLDocument, ReadRMLDocument, LoadDocument>(kBoth),
};

// The section that failed and why; thrown out of ReadSections.
struct SectionError {
  std::string_view key;
  std::string what;
};

// Reads and loads every section of `object` that `source` may give and `skip` does not reject.
// Throws SectionError naming the first section that fails.
template <typename Skip>
std::vector<PendingAdd> ReadSections(const json& object, unsigned source, bool fromPrefab,
                                     const SectionSource& where, Skip&& skip) {
  std::vector<PendingAdd> pending;
  if (!object.is_object()) return pending;
  for (const ComponentKind& kind : kComponentKinds) {
    if ((kind.sources & source) == 0 || skip(kind.key)) continue;
    const auto section = object.find(std::string(kind.key));
    if (section == object.end()) continue;
    try {
      pending.push_back(kind.read(*section, fromPrefab, where));
    } catch (const std::exception& error) {
      throw SectionError{kind.key, error.what()};
    }
  }
  return pending;
}

struct Managers {
  ComponentManager* components = nullptr;
  EntityManager* entities = nullptr;
};

Managers FindManagers() {
  if (!DECS::HasInstance()) return {};
  const DECS& decs = DECS::Instance();
  return {decs.GetManager<ComponentManager>().get(), decs.GetManager<EntityManager>().get()};
}

// Adds the prefab's components that the entity does not have. Any failure leaves the entity
// with its own components only, and is reported.
void AddPrefabComponents(const Managers& managers, int entity, const std::string& alias,
                         const std::string& sourceFile) {
  const std::string prefabName = managers.components->GetComponent<Prefab>(entity)->_prefabAlias;
  const auto report = [&](const std::string& what) {
    std::fprintf(stderr,
                 "EntityReader : prefab '%s' of entity '%s' in '%s' not used: %s; the entity "
                 "keeps its own components\n",
                 prefabName.c_str(), alias.c_str(), Shown(sourceFile), what.c_str());
  };
  if (!IsSafeDataName(prefabName)) {
    report("a prefab name is not empty and holds no '/', '\\' or \"..\"");
    return;
  }

  std::string path = PrefabPath(prefabName);
  JsonFile file;
  try {
    LoadJsonFile(file, path);
  } catch (const std::exception& error) {
    report(error.what());
    return;
  }
  if (!file.document.is_object()) {
    report("'" + path + "' holds " + file.document.type_name() + ", not an object");
    return;
  }

  const Signature& own = managers.entities->signaturesById[entity];
  std::vector<PendingAdd> pending;
  try {
    pending = ReadSections(file.document, kPrefab, /*fromPrefab=*/true, {entity, alias, path},
                           [&own](std::string_view key) { return own.contains(key); });
  } catch (const SectionError& error) {
    report("'" + path + "', component '" + std::string(error.key) + "': " + error.what);
    return;
  }
  for (PendingAdd& add : pending) add(*managers.components, *managers.entities, entity);
}

enum class Outcome { kCreated, kRefused, kNoFreeId };

struct Created {
  int id = kNoEntity;
  Outcome outcome = Outcome::kRefused;
};

Created CreateEntityFrom(const json& entityObject, const std::string& name,
                         const std::string& sourceFile) {
  const Managers managers = FindManagers();
  if (managers.components == nullptr || managers.entities == nullptr) {
    std::fprintf(stderr,
                 "EntityReader : entity '%s' in '%s' not created: the engine has no "
                 "component or entity manager\n",
                 name.c_str(), Shown(sourceFile));
    return {};
  }
  const int entity = managers.entities->CreateEntity(name);
  if (entity == kNoEntity) {
    // Said with the first refusal of the scene only, as the entity manager says it.
    if (managers.entities->RefusedCreations() == 1) {
      std::fprintf(stderr,
                   "EntityReader : entity limit reached: all %d entity ids are in use; entity "
                   "'%s' in '%s' not created\n",
                   kMaxEntities, name.c_str(), Shown(sourceFile));
    }
    return {kNoEntity, Outcome::kNoFreeId};
  }

  std::vector<PendingAdd> pending;
  try {
    pending = ReadSections(entityObject, kOwn, /*fromPrefab=*/false, {entity, name, sourceFile},
                           [](std::string_view) { return false; });
  } catch (const SectionError& error) {
    std::fprintf(stderr,
                 "EntityReader : error in '%s', entity '%s', component '%.*s': %s; the entity is "
                 "skipped\n",
                 Shown(sourceFile), name.c_str(), static_cast<int>(error.key.size()),
                 error.key.data(), error.what.c_str());
    DECS::Instance().DestroyEntity(entity);
    return {};
  }
  for (PendingAdd& add : pending) add(*managers.components, *managers.entities, entity);

  if (managers.components->HasComponent<Prefab>(entity)) {
    AddPrefabComponents(managers, entity, name, sourceFile);
  }

  std::printf("Entity deserialized and recreated with ID: %i\n", entity);
  return {entity, Outcome::kCreated};
}

}  // namespace

std::string PrefabPath(std::string_view prefabName) {
  std::string path(kPrefabFolder);
  path.append(prefabName);
  path.append(".json");
  return path;
}

bool IsSafeDataName(std::string_view name) {
  return !name.empty() && name.find('/') == std::string_view::npos &&
         name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

int DeserializeEntity(const json& entityObject, const std::string& name,
                      const std::string& sourceFile) {
  return CreateEntityFrom(entityObject, name, sourceFile).id;
}

std::set<int> DeserializeEntities(const json& document, const std::string& sourceFile) {
  std::set<int> ids;
  if (document.is_null()) return ids;
  if (!document.is_array() && !document.is_object()) {
    throw std::invalid_argument(std::string("a scene document is an array or an object of "
                                            "entity objects, not ") +
                                document.type_name());
  }

  try {
    std::size_t index = 0;
    for (auto element = document.begin(); element != document.end(); ++element, ++index) {
      const std::string where = document.is_array() ? "element " + std::to_string(index)
                                                    : "member '" + element.key() + "'";
      const auto skip = [&](const std::string& what) {
        std::fprintf(stderr, "EntityReader : error in '%s', %s: %s; the entity is skipped\n",
                     Shown(sourceFile), where.c_str(), what.c_str());
      };
      if (!element->is_object()) {
        skip(std::string("an entity is an object, not ") + element->type_name());
        continue;
      }
      const auto alias = element->find("alias");
      if (alias == element->end()) {
        skip("the entity has no \"alias\"");
        continue;
      }
      std::string name;
      try {
        alias->get_to(name);
      } catch (const json::exception& error) {
        skip(std::string("\"alias\": ") + error.what());
        continue;
      }

      const Created created = CreateEntityFrom(*element, name, sourceFile);
      if (created.outcome == Outcome::kNoFreeId) {
        std::fprintf(stderr,
                     "EntityReader : reading of '%s' stopped at %s: entity limit of %d reached; "
                     "%zu entities not read\n",
                     Shown(sourceFile), where.c_str(), kMaxEntities, document.size() - index);
        break;
      }
      if (created.outcome == Outcome::kCreated) ids.insert(created.id);
    }
  } catch (...) {
    for (const int entity : ids) DECS::Instance().DestroyEntity(entity);
    throw;
  }
  return ids;
}
