// Material files: any JSON document the parser accepts goes to the material reader. Programs
// come from a cache over the recording backend, so no GL context is needed.
#include "render/gpu_backend.h"
#include "render/material.h"
#include "render/resource_cache.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, false);
  if (document.is_discarded()) return 0;
  // A fresh cache per input, so programs built for earlier inputs do not pile up.
  ResourceCache cache(std::make_unique<RecordingGpuBackend>());
  (void)ReadMaterial(document, cache, "fuzz.json");
  return 0;
}
