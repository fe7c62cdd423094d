// Diary files: any bytes go to the diary reader, which reads what it can record by record; the
// records it keeps must write out and read back whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/diary_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const DiaryReadResult read =
      ReadDiaryText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.json");
  const DiaryReadResult again = ReadDiaryText(WriteDiaryText(read.entries), "fuzz.json");
  if (again.entries.size() != read.entries.size() || !again.ReadWhole()) __builtin_trap();
  return 0;
}
