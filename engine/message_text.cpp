#include "engine/message_text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

std::string_view GetMessageName(std::string_view message) {
  return message.substr(0, message.find(' '));
}

void GetMessageRest(std::string_view message, std::string& rest) {
  const std::size_t blank = message.find(' ');
  if (blank != std::string_view::npos) rest.assign(message.substr(blank + 1));
}

bool SplitMessageArguments(std::string_view message, std::string_view* words, std::size_t count) {
  // One trailing blank ends the text without adding a word.
  if (message.ends_with(' ')) {
    message.remove_suffix(1);
  } else if (message.empty()) {
    return false;  // no command word at all
  }

  const std::size_t firstBlank = message.find(' ');
  const std::string_view arguments =
      firstBlank == std::string_view::npos ? std::string_view() : message.substr(firstBlank + 1);
  const std::size_t found =
      firstBlank == std::string_view::npos
          ? 0
          : static_cast<std::size_t>(std::count(arguments.begin(), arguments.end(), ' ')) + 1;
  if (found != count) return false;

  std::string_view rest = arguments;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t blank = rest.find(' ');
    words[i] = rest.substr(0, blank);
    rest.remove_prefix(blank == std::string_view::npos ? rest.size() : blank + 1);
  }
  return true;
}

namespace {

// strtof/strtol need a terminated text; message words are short, longer ones are not numbers.
bool CopyTerminated(std::string_view word, char (&buffer)[64]) {
  if (word.empty() || word.size() >= sizeof(buffer)) return false;
  word.copy(buffer, word.size());
  buffer[word.size()] = '\0';
  return true;
}

}  // namespace

bool ReadMessageFloat(std::string_view word, float& value) {
  char buffer[64];
  if (!CopyTerminated(word, buffer)) return false;
  char* end = nullptr;
  errno = 0;
  const float parsed = std::strtof(buffer, &end);
  if (end == buffer || errno == ERANGE || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool ReadMessageInt(std::string_view word, int& value) {
  char buffer[64];
  if (!CopyTerminated(word, buffer)) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(buffer, &end, 10);
  if (end == buffer || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}
