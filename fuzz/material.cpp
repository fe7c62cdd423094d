// Material files: any JSON document the game's parser accepts goes to the material reader. Programs
// come from a cache over the recording backend, so no GL context is needed.
#include "render/material.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "fuzz_json.h"
#include "render/gpu_backend.h"
#include "render/resource_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  // A fresh cache per input, so programs built for earlier inputs do not pile up.
  ResourceCache cache(std::make_unique<RecordingGpuBackend>());
  (void)ReadMaterial(document, cache, "fuzz.json");
  return 0;
}
