#pragma once
// Creating entities from prefab files while the game runs.
//
//   int hand = InstantiatePrefab("LeftHand", "");             // survives every scene change
//   int rain = InstantiatePrefabInScene("RainCloud", "level1_scene", "Cloud");
//
// The prefab file "GAME/Assets/Entity Prefabs/<prefab>.json" is read as the entity object (see
// components/entity_reader.h); the entity is named with the given name, or with the prefab's
// name when that is empty, and the systems are told about it once it is complete.
//
// Both return -1 and create nothing when the prefab name is refused (empty, or holding '/',
// '\\' or ".."), the file does not exist, cannot be read or parsed, is not an object, or the
// entity cannot be created (a bad section, or no free id). Only a missing file passes silently;
// the others are reported on standard error. The engine's prefab scenes (the scene system, handed
// to DECS by the composition root; engine/prefab_scenes.h) keep each prefab file read
// (components/prefab_cache.h), so creating a prefab again reads no file and a file that cannot
// be used is reported once; without them each call reads the file.

#include <string>

#include "components/scene_identifier.h"

class ComponentManager;

// An entity that belongs to no scene: a SceneIdentifier the prefab carries is removed.
int InstantiatePrefab(const std::string& prefabName, const std::string& entityName);

// An entity owned by `sceneName` when the scene system holds that scene, otherwise by the scene
// system's current scene; popping that scene destroys it. Without prefab scenes it belongs to no
// loaded scene.
int InstantiatePrefabInScene(const std::string& prefabName, const std::string& sceneName,
                             const std::string& entityName);

// Copies `value` into the entity's SceneIdentifier slot, marks it present and logs
// "ComponentManager : 'class SceneIdentifier' added to Entity '<id>'". The caller enters
// "class SceneIdentifier" into the entity's signature.
void AddSceneIdentifier(ComponentManager& components, int entity, const SceneIdentifier& value);
