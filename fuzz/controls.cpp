// Controls files: any JSON document the game's parser accepts goes to the controls reader, which
// reports what it cannot use instead of throwing.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_json.h"
#include "platform/controls_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  (void)ParseControls(document, "fuzz.json");
  return 0;
}
