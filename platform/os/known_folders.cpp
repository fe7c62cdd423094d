#include "platform/os/known_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace os {
namespace {

// An environment value that the XDG rules accept: set, non-empty and absolute.
const char* AbsoluteEnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] == '/') ? value : nullptr;
}

// Reads XDG_DOCUMENTS_DIR="..." from a user-dirs.dirs file, expanding a leading $HOME.
// Returns an empty text when the file or the line is missing or malformed.
std::string DocumentsDirFromUserDirs(const std::string& userDirsFile, const std::string& home) {
  std::ifstream file(userDirsFile);
  std::string line;
  constexpr std::string_view key = "XDG_DOCUMENTS_DIR=\"";
  while (std::getline(file, line)) {
    if (!line.starts_with(key)) continue;
    const std::size_t closing = line.find('"', key.size());
    if (closing == std::string::npos) return {};
    std::string value = line.substr(key.size(), closing - key.size());
    constexpr std::string_view homeVariable = "$HOME";
    if (value.starts_with(homeVariable)) value = home + value.substr(homeVariable.size());
    if (value.empty() || value[0] != '/') return {};
    // A documents folder equal to the home folder means "no documents folder" to XDG.
    if (value == home || value == home + "/") return {};
    return value;
  }
  return {};
}

}  // namespace

std::string HomeFolder() {
  if (const char* home = AbsoluteEnvironmentPath("HOME")) return home;
  if (const passwd* entry = getpwuid(getuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  throw std::runtime_error("known folders: cannot find the home folder (HOME is not set)");
}

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.parent_path().string();
}

std::string UserDataFolder() {
  if (const char* dataHome = AbsoluteEnvironmentPath("XDG_DATA_HOME")) return dataHome;
  return HomeFolder() + "/.local/share";
}

std::string UserDocumentsFolder() {
  const std::string home = HomeFolder();
  const char* configHome = AbsoluteEnvironmentPath("XDG_CONFIG_HOME");
  const std::string configFolder = configHome != nullptr ? configHome : home + "/.config";
  std::string documents = DocumentsDirFromUserDirs(configFolder + "/user-dirs.dirs", home);
  return documents.empty() ? home + "/Documents" : documents;
}

}  // namespace os
