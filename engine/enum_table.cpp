#include "engine/enum_table.h"

#include <iostream>
#include <stdexcept>
#include <utility>

namespace {

// The characters the C library counts as white space in the "C" locale.
bool IsWhiteSpace(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r' ||
         character == '\v' || character == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

EnumNameTable::EnumNameTable(std::string typeName, std::string nameList, std::vector<int> values)
    : typeName(std::move(typeName)), nameList(std::move(nameList)), values(std::move(values)) {
  std::string_view rest = this->nameList;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view entry = Trim(rest.substr(0, comma));
    if (entry.empty()) {
      throw std::invalid_argument("Empty name in the enum list of " + this->typeName);
    }
    names.emplace_back(entry);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (names.size() != this->values.size()) {
    throw std::invalid_argument("The enum list of " + this->typeName + " has " +
                                std::to_string(names.size()) + " names but " +
                                std::to_string(this->values.size()) + " values");
  }
}

int EnumNameTable::Parse(std::string_view text) const {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == text) return values[i];
  }
  throw std::runtime_error("Invalid enum string: " + std::string(text) +
                           ". Valid values are: " + nameList);
}

std::string_view EnumNameTable::ValueName(int value) const {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] == value) return names[i];
  }
  return {};
}

void ReadEnumField(const nlohmann::json& value, const EnumNameTable& table, int& field) {
  // Taken before anything is printed: a value that is not a string throws the library's
  // type error here, with no log line.
  const std::string text = value.get<std::string>();
  std::cout << "Deserializing " << table.TypeName() << ". JSON value: '" << text << "'\n";
  std::cout << "Valid enum values: '" << table.NameList() << "'\n";
  try {
    const int parsed = table.Parse(text);
    field = parsed;
    std::cout << "Successfully deserialized to: " << table.ValueName(parsed) << "\n";
  } catch (const std::exception& error) {
    std::cerr << "Error deserializing " << table.TypeName() << ": " << error.what() << "\n";
    throw;
  }
}
