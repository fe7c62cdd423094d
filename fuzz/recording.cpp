// Input recordings: any JSON document the game's parser accepts is read as a recording. The reader
// may refuse a document by throwing (the input system catches it and plays nothing back).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>

#include "fuzz_json.h"
#include "platform/input_recording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<nlohmann::json> parsed = ParseFuzzJson(data, size);
  if (!parsed) return 0;
  const nlohmann::json& document = *parsed;
  try {
    (void)RecordingFromJson(document);
  } catch (const std::exception&) {
  }
  return 0;
}
