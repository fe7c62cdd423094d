#include "engine/text_scanner.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "engine/whole_file.h"
#include "platform/os/file_path.h"

namespace {

// The characters the C library counts as white space in the "C" locale.
bool IsWhiteSpace(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r' ||
         character == '\v' || character == '\f';
}

}  // namespace

TextScanner::TextScanner(std::string text, bool opened, std::size_t maxTokenLength)
    : text(std::move(text)), maxTokenLength(maxTokenLength), opened(opened) {}

TextScanner::TextScanner(std::string_view path, std::size_t maxTokenLength)
    : maxTokenLength(maxTokenLength), opened(false) {
  const std::string file = os::NormalizePath(path);
  const WholeFileRead result = ReadWholeFile(file, text);
  opened = result == WholeFileRead::kRead;
  if (result == WholeFileRead::kTooLarge) {
    std::printf("TextScanner : '%s' %s; read as empty text\n", file.c_str(),
                DescribeWholeFileRead(result).c_str());
  }
}

TextScanner TextScanner::FromText(std::string text, std::size_t maxTokenLength) {
  return TextScanner(std::move(text), true, maxTokenLength);
}

bool TextScanner::AtEnd() const {
  for (std::size_t i = position; i < text.size(); ++i) {
    if (!IsWhiteSpace(text[i])) return false;
  }
  return true;
}

void TextScanner::SkipWhiteSpace() {
  while (position < text.size() && IsWhiteSpace(text[position])) {
    if (text[position] == '\n') ++line;
    ++position;
  }
}

bool TextScanner::NextToken(std::string& token, bool& cut) {
  SkipWhiteSpace();
  if (position >= text.size()) return false;
  const std::size_t start = position;
  while (position < text.size() && !IsWhiteSpace(text[position])) ++position;
  const std::size_t length = position - start;
  cut = length > maxTokenLength;
  token.assign(text, start, cut ? maxTokenLength : length);
  tokenLine = line;
  return true;
}

bool TextScanner::ReadWord(std::string& word) {
  std::string token;
  bool cut = false;
  if (!NextToken(token, cut)) return false;
  word = std::move(token);
  return true;
}

bool TextScanner::ReadInt(int& value, int base) {
  std::string token;
  bool cut = false;
  if (!NextToken(token, cut) || cut || token.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(token.c_str(), &end, base);
  if (end != token.c_str() + token.size() || errno == ERANGE || parsed < INT_MIN ||
      parsed > INT_MAX) {
    return false;
  }
  value = static_cast<int>(parsed);
  return true;
}

bool TextScanner::ReadFloat(float& value) {
  std::string token;
  bool cut = false;
  if (!NextToken(token, cut) || cut || token.empty()) return false;
  // Overflow gives infinity and is refused; underflow gives a tiny number or 0 and is kept.
  char* end = nullptr;
  const float parsed = std::strtof(token.c_str(), &end);
  if (end != token.c_str() + token.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool TextScanner::ReadCount(int& count, int maximum) {
  int parsed = 0;
  if (!ReadInt(parsed) || parsed < 0 || parsed > maximum) return false;
  count = parsed;
  return true;
}

bool TextScanner::ReadChar(char& character) {
  SkipWhiteSpace();
  if (position >= text.size()) return false;
  character = text[position++];
  tokenLine = line;
  return true;
}
