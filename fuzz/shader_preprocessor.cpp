// Shader stages and the files they include: the input is cut at every '\x01' into files; the
// stage is the first, and each include path reads one of the others (or none) chosen by a hash
// of the path, so include chains, cycles and missing files all occur.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/shader_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> files;
  std::size_t start = 0;
  while (true) {
    const std::size_t cut = input.find('\x01', start);
    files.emplace_back(input.substr(start, cut == std::string_view::npos ? cut : cut - start));
    if (cut == std::string_view::npos) break;
    start = cut + 1;
  }
  const ShaderFileReader reader = [&files](const std::string& path) -> std::optional<std::string> {
    if (path == "stage.glsl") return files[0];
    const std::size_t pick = std::hash<std::string>{}(path) % (files.size() + 1);
    if (pick == files.size()) return std::nullopt;
    return files[pick];
  };
  UniformDeclarations declarations;
  std::vector<std::string> sourceFiles;
  (void)PrepareShaderStage("stage.glsl", declarations, reader, &sourceFiles);
  return 0;
}
