#pragma once
// File path spelling shared by everything that opens files.
//
// Data files name their paths in several spellings ("./GAME/Scenes/x.json",
// "GAME\\Scenes\\x.json"). NormalizePath gives each file one spelling, so that it opens on this
// platform and can be used as a cache key.

#include <string>
#include <string_view>

namespace os {

// Returns the path with every backslash turned into '/' and one leading "./" removed.
std::string NormalizePath(std::string_view path);

}  // namespace os
