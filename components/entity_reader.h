#pragma once
// Entity and prefab files: turning JSON entity objects into entities with their components.
//
//   std::set<int> ids = DeserializeEntities(sceneDocument, "GAME/Scenes/level1_scene.json");
//   int id = DeserializeEntity(entityObject, "Enemy", "GAME/Assets/Entity Prefabs/Enemy.json");
//
// An entity object holds one section per component, keyed by the component's type name
// ("class Transform"). Each section is read with its component reader, the component's load
// step runs (model list, textures, mesh, tiles, camera projection, material, sound bank,
// sequence template, script map, particle resources, animations, document), and the component
// is added with its key entered in the entity's signature. The systems are not told: the caller
// does that once the entity is complete.
//
// Prefabs: an entity with a "class Prefab" section also takes every component its prefab file
// ("GAME/Assets/Entity Prefabs/<_prefabAlias>.json") has and it has not, marked fromPrefab. The
// entity's own section always wins, whole sections at a time. A prefab file may hold a
// "class Sequence" section (read, but Sequence has no component array, so adding it is
// reported by the component manager and changes nothing); it cannot give "class Prefab" or
// "class SceneIdentifier".
//
// Errors never end the game; every one goes to standard error naming the file, the entity alias
// and, where there is one, the component key, with the JSON library's or reader's message:
//   - a section of the wrong JSON type or an unknown enum name: the entity is destroyed whole
//     and reading goes on with the next one;
//   - a prefab file that is missing, malformed, not an object, names a refused prefab, or has a
//     bad section: the entity keeps its own components and gets none of the prefab's;
//   - an element that is not an object, or whose "alias" is missing or not a string: skipped;
//   - all 1024 entity ids in use: the entity is not created and reading stops ("entity
//     limit"); the entities read so far stay.

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>

// Where prefab files live, and the file of a prefab name.
inline constexpr std::string_view kPrefabFolder = "GAME/Assets/Entity Prefabs/";
std::string PrefabPath(std::string_view prefabName);

// True for a scene or prefab name that stays inside its folder: not empty, and without '/',
// '\\' or "..". Names from messages, scripts and data files are checked with it before they
// become paths.
bool IsSafeDataName(std::string_view name);

// Creates one entity per element of a scene document (an array of entity objects, or an object
// whose member values are entity objects, in key order; null holds none) and returns their ids
// in ascending order. `sourceFile` names the document in error reports. A document of any other
// JSON type throws std::invalid_argument before anything is created; if anything else escapes,
// the entities created so far are destroyed first.
std::set<int> DeserializeEntities(const nlohmann::json& document,
                                  const std::string& sourceFile = "");

// Creates one entity named `name` (made unique by the entity manager) from an entity object and
// its prefab file; returns its id, or -1 when the entity was refused (a bad section) or no id
// was free. Writes "Entity deserialized and recreated with ID: <id>" to standard output.
int DeserializeEntity(const nlohmann::json& entityObject, const std::string& name,
                      const std::string& sourceFile = "");
