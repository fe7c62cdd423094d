#include "platform/os/file_path.h"

#include <algorithm>

namespace os {

std::string NormalizePath(std::string_view path) {
  std::string normalized(path);
  std::replace(normalized.begin(), normalized.end(), '\\', '/');
  if (normalized.starts_with("./")) normalized.erase(0, 2);
  return normalized;
}

}  // namespace os
