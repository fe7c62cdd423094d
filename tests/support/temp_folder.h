#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test; and a scoped environment variable.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvaris-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path;
};

// Sets (or, with nullopt, unsets) an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value) : name(name) {
    if (const char* previous = std::getenv(name)) saved = previous;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name;
  std::optional<std::string> saved;
};

// Points HOME and the XDG folders at a fresh temporary folder, so that code which reads or
// writes the player's files (settings, controls, recordings) never touches the real ones.
class ScopedTempHome {
 public:
  ScopedTempHome()
      : home("HOME", folder.path.string()),
        dataHome("XDG_DATA_HOME", std::nullopt),
        configHome("XDG_CONFIG_HOME", std::nullopt) {}

  TempFolder folder;

 private:
  ScopedEnvironment home;
  ScopedEnvironment dataHome;
  ScopedEnvironment configHome;
};

}  // namespace testing_support
