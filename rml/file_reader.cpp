#include "rml/file_reader.h"

#include <cstdio>

namespace Rml {

bool ReadFileWhole(const String& path, String& contents, String& error, std::size_t max_bytes) {
  contents.clear();
  error.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot be opened";
    return false;
  }
  char buffer[8192];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
    // Checked before appending, so no more than the ceiling is ever held.
    if (contents.size() + count > max_bytes) {
      error = "is larger than " + std::to_string(max_bytes) + " bytes";
      break;
    }
    contents.append(buffer, count);
  }
  if (error.empty() && std::ferror(file) != 0) error = "cannot be read";
  std::fclose(file);
  if (!error.empty()) {
    contents.clear();
    return false;
  }
  return true;
}

}  // namespace Rml
