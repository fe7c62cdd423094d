// Entity and prefab files: any JSON document the game's parser accepts is read as a scene document
// into an engine with every component registered and no systems, resources or sound loader.
// Prefab sections name files under GAME/Assets/Entity Prefabs/, which scripts/fuzz.sh runs
// beside. Every entity read is destroyed again, so ids do not run out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>

#include "components/component_registration.h"
#include "components/entity_reader.h"
#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "fuzz_json.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  DECS::CreateInstance(std::make_unique<SteadyEngineClock>());
  CreateManagers();
  RegisterAllComponents();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  std::set<int> ids;
  try {
    ids = DeserializeEntities(document, "fuzz.json");
  } catch (const std::invalid_argument&) {
    return 0;
  }
  for (const int id : ids) DECS::Instance().DestroyEntity(id);
  return 0;
}
