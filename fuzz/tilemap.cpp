// Tile files: any text read as one tile map. No resource provider is set, so foliage and trail
// textures are not loaded.
#include "components/tilemap.h"

#include <cstddef>
#include <cstdint>

#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Tilemap tilemap;
  tilemap._path = WriteFuzzInputFile(data, size);
  tilemap.LoadTileFile();
  const std::size_t tiles = static_cast<std::size_t>(tilemap.width) * tilemap.height;
  if (tilemap.layer1.size() != tiles || tilemap.layer2.size() != tiles ||
      tilemap.layer3.size() != tiles || tilemap.heights.size() != tiles) {
    __builtin_trap();
  }
  return 0;
}
