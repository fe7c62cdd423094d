// Model list files: any text read as one model list. No resource provider is set, so the
// model's files are only named, never loaded.
#include "components/model_list.h"

#include <cstddef>
#include <cstdint>

#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ModelList list;
  list._path = WriteFuzzInputFile(data, size);
  list.LoadModelFile();
  if (list.modelCount < 0 || list.modelCount > ModelList::kMaxModels) __builtin_trap();
  return 0;
}
