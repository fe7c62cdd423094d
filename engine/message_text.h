#pragma once
// Taking a message text apart. A message is a command word followed by arguments, separated by
// single blanks: "scene main_menu_scene", "decs_set_fps 60". Nothing here allocates except the
// output strings the caller asks for.

#include <array>
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>

// The text up to the first blank; the whole text when it has no blank.
std::string_view GetMessageName(std::string_view message);

// True when the command word of the message is exactly `name` (a single word). Inline and
// without a scan for the first blank: every handler calls it for each word it knows.
inline bool IsMessage(std::string_view message, std::string_view name) {
  return message.size() >= name.size() &&
         (message.size() == name.size() || message[name.size()] == ' ') &&
         message.compare(0, name.size(), name) == 0;
}

// Sets `rest` to the text after the first blank; leaves it unchanged when there is no blank.
void GetMessageRest(std::string_view message, std::string& rest);

// Splits the message at every blank (two blanks in a row make an empty word; one empty word at
// the end is dropped). When exactly `count` words follow the command word, writes them to
// `words` and returns true; otherwise returns false and writes nothing.
bool SplitMessageArguments(std::string_view message, std::string_view* words, std::size_t count);

// The same, with one output string per expected argument:
//   std::string rate;
//   if (ParseMessageArguments(message, rate)) ...
template <typename... Outputs>
requires(std::same_as<Outputs, std::string>&&...) bool ParseMessageArguments(
    std::string_view message, Outputs&... outputs) {
  std::array<std::string_view, sizeof...(Outputs)> words{};
  if (!SplitMessageArguments(message, words.data(), words.size())) return false;
  std::size_t index = 0;
  ((outputs.assign(words[index++])), ...);
  return true;
}

// Number conversions for message arguments: the leading number of the word is read ("60",
// "0.5", "60fps"). They return false, leaving `value` unchanged, when the word does not start
// with a number or the number is out of range (or, for floats, not finite).
bool ReadMessageFloat(std::string_view word, float& value);
bool ReadMessageInt(std::string_view word, int& value);
