// Sound sequence templates: any text read as a template file.
#include "components/sequence.h"
#include "fuzz_input_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sequence sequence;
  sequence.LoadTemplate(WriteFuzzInputFile(data, size));
  return 0;
}
