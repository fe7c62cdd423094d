#include "engine/whole_file.h"

#include <cstdio>

WholeFileRead ReadWholeFile(const std::string& path, std::string& contents, std::size_t maxBytes) {
  contents.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return WholeFileRead::kNotOpened;
  WholeFileRead result = WholeFileRead::kRead;
  char buffer[8192];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
    // Checked before appending, so at most the ceiling plus one buffer is ever held.
    if (contents.size() + count > maxBytes) {
      result = WholeFileRead::kTooLarge;
      break;
    }
    contents.append(buffer, count);
  }
  if (result == WholeFileRead::kRead && std::ferror(file) != 0) result = WholeFileRead::kReadFailed;
  std::fclose(file);
  if (result != WholeFileRead::kRead) contents.clear();
  return result;
}

std::string DescribeWholeFileRead(WholeFileRead result, std::size_t maxBytes) {
  switch (result) {
    case WholeFileRead::kRead:
      return "was read";
    case WholeFileRead::kNotOpened:
      return "cannot be opened";
    case WholeFileRead::kReadFailed:
      return "cannot be read";
    case WholeFileRead::kTooLarge:
      return "is larger than " + std::to_string(maxBytes) + " bytes";
  }
  return "cannot be read";
}
