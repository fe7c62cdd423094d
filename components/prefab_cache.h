#pragma once
// PrefabCache: prefab files read and parsed once, then kept.
//
//   PrefabCache prefabs;
//   if (const nlohmann::json* prefab = prefabs.Find("Enemy")) DeserializeEntity(*prefab, ...);
//
// The first time a prefab name is asked for, "GAME/Assets/Entity Prefabs/<name>.json" is read
// and parsed; the document is kept, so a prefab created again and again (by a script, every
// frame) costs no file access. A file that exists but cannot be used (unreadable, malformed, not
// an object) is reported once on standard error, naming the prefab and what is wrong, and is
// then refused silently. A refused name (empty, or holding '/', '\\' or "..") is reported at
// each call and a missing file passes silently; neither is kept, so what is kept is bounded by
// the prefab files there are. Prefab files are not expected to change while the game runs.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unordered_map>

class PrefabCache {
 public:
  // The prefab's entity object, or null when there is none to use (see above). The document
  // stays where it is for the life of the cache.
  const nlohmann::json* Find(const std::string& prefabName);

 private:
  // Name → the parsed entity object, or nullopt for a file that cannot be used.
  std::unordered_map<std::string, std::optional<nlohmann::json>> documents_;
};
