// Mesh files (both formats) read from text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/text_scanner.h"
#include "render/mesh_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TextScanner scanner =
      TextScanner::FromText(std::string(reinterpret_cast<const char*>(data), size));
  (void)ReadMeshText(scanner);
  return 0;
}
