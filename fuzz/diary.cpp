// Diary files: any JSON document the parser accepts goes to the diary reader; the records it
// keeps must write out and read back whole.
#include "ui/diary_file.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, false);
  if (document.is_discarded()) return 0;
  const DiaryReadResult read = ReadDiaryDocument(document, "fuzz.json");
  const nlohmann::json written = nlohmann::json::parse(WriteDiaryText(read.entries), nullptr, false);
  const DiaryReadResult again = ReadDiaryDocument(written, "fuzz.json");
  if (again.entries.size() != read.entries.size() || !again.problems.empty()) __builtin_trap();
  return 0;
}
