// Sound sequence templates: any text read as a template file.
#include "components/sequence.h"

#include <cstddef>
#include <cstdint>

#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sequence sequence;
  sequence.LoadTemplate(WriteFuzzInputFile(data, size));
  return 0;
}
