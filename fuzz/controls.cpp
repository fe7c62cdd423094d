// Controls files: any JSON document the parser accepts goes to the controls reader, which
// reports what it cannot use instead of throwing.
#include "platform/controls_file.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, false);
  if (document.is_discarded()) return 0;
  (void)ParseControls(document, "fuzz.json");
  return 0;
}
