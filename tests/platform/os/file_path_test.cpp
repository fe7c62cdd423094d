#include "platform/os/file_path.h"

#include <gtest/gtest.h>

namespace {

TEST(FilePath, NormalizePathGivesEveryFileOneSpelling) {
  const struct {
    const char* path;
    const char* normalized;
  } cases[] = {
      {"./GAME/Scenes/", "GAME/Scenes/"},
      {".\\GAME\\Scenes\\x.json", "GAME/Scenes/x.json"},
      {"GAME/Assets/Entity Prefabs/a.json", "GAME/Assets/Entity Prefabs/a.json"},
      {"../GAME/x", "../GAME/x"},
      {"/home/a/b", "/home/a/b"},
      {"", ""},
  };
  for (const auto& testCase : cases) {
    EXPECT_EQ(os::NormalizePath(testCase.path), testCase.normalized) << testCase.path;
  }
}

}  // namespace
