#include "components/prefab_cache.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "components/entity_reader.h"
#include "engine/json_file.h"

namespace {

enum class PrefabRead { kRead, kRefusedName, kMissing, kUnusable };

// Reads the prefab file into `file`; reports every failure but a missing file.
PrefabRead ReadPrefabFile(const std::string& prefabName, JsonFile& file) {
  if (!IsSafeDataName(prefabName)) {
    std::fprintf(stderr,
                 "Prefab : refused prefab name '%s': a prefab name is not empty and holds no "
                 "'/', '\\' or \"..\"\n",
                 prefabName.c_str());
    return PrefabRead::kRefusedName;
  }
  std::string path = PrefabPath(prefabName);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    if (error) {
      std::fprintf(stderr, "Prefab : cannot check '%s': %s\n", path.c_str(),
                   error.message().c_str());
    }
    return PrefabRead::kMissing;
  }
  try {
    LoadJsonFile(file, path);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "Prefab : prefab '%s' not created: %s\n", prefabName.c_str(),
                 failure.what());
    return PrefabRead::kUnusable;
  }
  if (!file.document.is_object()) {
    std::fprintf(stderr, "Prefab : prefab '%s' not created: '%s' holds %s, not an object\n",
                 prefabName.c_str(), path.c_str(), file.document.type_name());
    return PrefabRead::kUnusable;
  }
  return PrefabRead::kRead;
}

}  // namespace

const nlohmann::json* PrefabCache::Find(const std::string& prefabName) {
  const auto known = documents_.find(prefabName);
  if (known != documents_.end()) return known->second ? &*known->second : nullptr;
  JsonFile file;
  switch (ReadPrefabFile(prefabName, file)) {
    case PrefabRead::kRefusedName:
    case PrefabRead::kMissing:
      return nullptr;
    case PrefabRead::kUnusable:
      documents_.emplace(prefabName, std::nullopt);
      return nullptr;
    case PrefabRead::kRead:
      break;
  }
  auto& kept = documents_.emplace(prefabName, std::move(file.document)).first->second;
  return &*kept;
}
