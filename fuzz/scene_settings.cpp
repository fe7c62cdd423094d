// Scene settings: any JSON document the game's parser accepts is read as a post-processing
// pipeline. A document of the wrong shape throws PipelineReadError, which the scene loader catches
// too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz_json.h"
#include "render/post_process_pass.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  PostProcessPipeline lists;
  try {
    ReadPostProcessingPipeline(document, lists);
  } catch (const PipelineReadError&) {
    return 0;
  }
  for (const std::vector<PostProcessPass>& list : lists) {
    for (const PostProcessPass& pass : list) {
      if (pass.intCount < 0 || pass.intCount > kPostProcessValueCount || pass.floatCount < 0 ||
          pass.floatCount > kPostProcessValueCount) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
