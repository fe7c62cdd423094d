#pragma once
// For readers that take a parsed document: each input is parsed as the game parses its JSON
// files (ParseJsonText: no comments, nesting at most kMaxJsonDepth deep), and an input the game
// would refuse is not handed to the reader.
//
//   const std::optional<nlohmann::json> document = ParseFuzzJson(data, size);
//   if (!document) return 0;

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>

#include "engine/json_file.h"

inline std::optional<nlohmann::json> ParseFuzzJson(const std::uint8_t* data, std::size_t size) {
  try {
    return ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}
