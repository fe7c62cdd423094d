#pragma once
// Where entities made from prefab files while the game runs (components/prefab_instantiation.h)
// find their prefab and the scene they belong to: the scene system, which the composition root
// hands to DECS after registration. Without one, each prefab file is read for its call alone
// and the entities belong to no loaded scene.

#include <nlohmann/json_fwd.hpp>
#include <string>

class PrefabScenes {
 public:
  virtual ~PrefabScenes() = default;

  // The prefab's entity object, read on first use and kept; null when the prefab name is refused
  // or its file is missing or unusable (reported once).
  virtual const nlohmann::json* FindPrefab(const std::string& prefabName) = 0;
  // The scene an entity asked for in `sceneName` belongs to: that scene while it is loaded,
  // otherwise the current scene (empty when none is loaded).
  virtual std::string OwningScene(const std::string& sceneName) const = 0;
};
