// Input recordings: any JSON document the parser accepts is read as a recording. The reader
// may refuse a document by throwing (the input system catches it and plays nothing back).
#include "platform/input_recording.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, false);
  if (document.is_discarded()) return 0;
  try {
    (void)RecordingFromJson(document);
  } catch (const std::exception&) {
  }
  return 0;
}
