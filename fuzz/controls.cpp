// Controls files: any JSON document the game's parser accepts goes to the controls reader, which
// reports what it cannot use instead of throwing.
#include "platform/controls_file.h"

#include "fuzz_json.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  (void)ParseControls(document, "fuzz.json");
  return 0;
}
