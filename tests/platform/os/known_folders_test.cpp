#include "platform/os/known_folders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

TEST(KnownFolders, DataFolderFollowsXdgDataHomeWhenAbsolute) {
  const struct {
    std::optional<std::string> dataHome;
    std::string expected;
  } cases[] = {
      {"/data/home", "/data/home"},
      {std::nullopt, "/users/kim/.local/share"},
      {"", "/users/kim/.local/share"},
      {"relative/path", "/users/kim/.local/share"},  // relative values are ignored
  };
  ScopedEnvironment home("HOME", "/users/kim");
  for (const auto& testCase : cases) {
    ScopedEnvironment dataHome("XDG_DATA_HOME", testCase.dataHome);
    EXPECT_EQ(os::UserDataFolder(), testCase.expected) << testCase.dataHome.value_or("(unset)");
  }
}

TEST(KnownFolders, DocumentsFolderComesFromUserDirsWithHomeExpanded) {
  TempFolder config;
  ScopedEnvironment home("HOME", "/users/kim");
  ScopedEnvironment configHome("XDG_CONFIG_HOME", config.path.string());
  const struct {
    const char* userDirs;
    const char* expected;
  } cases[] = {
      {nullptr, "/users/kim/Documents"},
      {"# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/users/kim/Dokumente"},
      {"XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "/users/kim/Documents"},  // home itself means none
      {"XDG_DOCUMENTS_DIR=\"unterminated\n", "/users/kim/Documents"},
      {"XDG_DOCUMENTS_DIR=\"relative\"\n", "/users/kim/Documents"},
  };
  for (const auto& testCase : cases) {
    std::filesystem::remove(config.path / "user-dirs.dirs");
    if (testCase.userDirs != nullptr)
      std::ofstream(config.path / "user-dirs.dirs") << testCase.userDirs;
    EXPECT_EQ(os::UserDocumentsFolder(), testCase.expected)
        << (testCase.userDirs ? testCase.userDirs : "(no file)");
  }
}

}  // namespace
