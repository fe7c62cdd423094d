#include "engine/json_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string WithBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(JsonFile, SaveWritesTheDocumentIndentedByFourBlanks) {
  struct Case {
    const char* name;
    nlohmann::json document;
    std::string bytes;
  };
  const Case cases[] = {
      {"object", {{"a", 1}}, "{\n    \"a\": 1\n}"},
      {"nested",
       {{"a", {{"b", {1, 2}}}}},
       "{\n    \"a\": {\n        \"b\": [\n            1,\n"
       "            2\n        ]\n    }\n}"},
      {"non-ASCII kept", {{"name", "caf\xC3\xA9"}}, "{\n    \"name\": \"caf\xC3\xA9\"\n}"},
      {"invalid UTF-8 replaced",
       {{"bad",
         "a\xFF"
         "b"}},
       "{\n    \"bad\": \"a\xEF\xBF\xBD"
       "b\"\n}"},
  };
  testing_support::TempFolder folder;
  for (const Case& testCase : cases) {
    JsonFile source;
    source.document = testCase.document;
    std::string path = WithBackslashes((folder.path / "save.json").string());
    testing::internal::CaptureStdout();
    SaveJsonFile(source, path);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string normalized = (folder.path / "save.json").string();
    EXPECT_EQ(path, normalized) << "the caller's path holds the normalized form";
    EXPECT_EQ(ReadBytes(normalized), testCase.bytes) << testCase.name;
    EXPECT_EQ(out, "\nSuccessfully saved to " + normalized + "\n\n") << testCase.name;
    EXPECT_EQ(FolderEntries(folder.path), std::set<std::string>{"save.json"}) << testCase.name;
  }
}

TEST(JsonFile, FailedSaveThrowsAndLeavesNoTrace) {
  testing_support::TempFolder folder;
  std::filesystem::create_directory(folder.path / "taken");
  WriteBytes(folder.path / "taken" / "inside.txt", "keep");

  struct Case {
    const char* name;
    std::string path;
    std::string messageStart;
  };
  const std::string missing = (folder.path / "no_folder" / "settings.json").string();
  const std::string taken = (folder.path / "taken").string();
  const Case cases[] = {
      {"folder missing", missing,
       "Unable to open file for writing: " + missing + " (No such file or directory)"},
      {"target is a folder", taken, "Unable to replace file: " + taken},
  };
  for (const Case& testCase : cases) {
    JsonFile source;
    source.document = {{"a", 1}};
    std::string path = testCase.path;
    testing::internal::CaptureStdout();
    try {
      SaveJsonFile(source, path);
      ADD_FAILURE() << testCase.name << ": no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with(testCase.messageStart))
          << testCase.name << ": " << error.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << testCase.name;
    EXPECT_EQ(FolderEntries(folder.path), std::set<std::string>{"taken"}) << testCase.name;
    EXPECT_EQ(ReadBytes(folder.path / "taken" / "inside.txt"), "keep");
  }
}

TEST(JsonFile, SavesGoAroundLeftOverTemporaryFilesAndClearThoseOfKilledSaves) {
  testing_support::TempFolder folder;
  const std::filesystem::path target = folder.path / "settings.json";
  const std::string ownLeftOver = "settings.json.tmp-" + std::to_string(::getpid()) + "-0";
  // No process has this id (ids stay below 2^22 on Linux).
  const std::string killedSave = "settings.json.tmp-2147483646-0";
  // A save of a process that still runs (the first process of the system) is left alone.
  const std::string runningSave = "settings.json.tmp-1-0";
  for (const std::string& name : {ownLeftOver, killedSave, runningSave}) {
    WriteBytes(folder.path / name, "half a save");
  }
  WriteBytes(folder.path / "other.json.tmp-2147483646-0", "not ours");

  JsonFile source;
  source.document = {{"a", 1}};
  std::string path = target.string();
  testing::internal::CaptureStdout();
  SaveJsonFile(source, path);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(ReadBytes(target), "{\n    \"a\": 1\n}");
  EXPECT_EQ(FolderEntries(folder.path),
            (std::set<std::string>{"settings.json", runningSave, "other.json.tmp-2147483646-0"}));
}

TEST(JsonFile, LoadRefusesFilesThatNeverEnd) {
  JsonFile target;
  target.document = {{"kept", true}};
  std::string path = "/dev/zero";
  try {
    LoadJsonFile(target, path);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Unable to read file: /dev/zero (it is larger than 8388608 bytes)");
  }
  EXPECT_EQ(target.document, nlohmann::json({{"kept", true}}));
}

// `depth` nested arrays around `inner`: "[[...inner...]]".
std::string Nested(std::size_t depth, const std::string& inner = "") {
  return std::string(depth, '[') + inner + std::string(depth, ']');
}

TEST(JsonFile, NestingDeeperThanTheLimitIsRefusedBeforeParsing) {
  // Deeper values crashed the game: copying, printing and saving them recurse once per level.
  struct Case {
    const char* name;
    std::string text;
    std::string problem;  // empty: the text parses
  };
  const std::string tooDeep = "arrays and objects are nested deeper than 256 levels at byte ";
  const Case cases[] = {
      {"at the limit", Nested(256), ""},
      {"one level more", Nested(257), tooDeep + "256"},
      {"objects count too", "{\"a\": " + Nested(255, "{}") + "}", tooDeep + "261"},
      {"far too deep", "{\"GraphicsMode\": " + Nested(100000) + "}", tooDeep + "272"},
      {"brackets in strings do not count", Nested(2, "\"" + std::string(300, '[') + "\""), ""},
      {"an escaped quote does not end the string",
       Nested(2, "\"\\\"" + std::string(300, '{') + "\""), ""},
  };
  testing_support::TempFolder folder;
  for (const Case& testCase : cases) {
    if (testCase.problem.empty()) {
      EXPECT_NO_THROW(ParseJsonText(testCase.text)) << testCase.name;
      continue;
    }
    try {
      ParseJsonText(testCase.text);
      ADD_FAILURE() << testCase.name << ": no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), testCase.problem) << testCase.name;
    }

    const std::string file = (folder.path / "settings.json").string();
    WriteBytes(file, testCase.text);
    JsonFile target;
    target.document = {{"kept", true}};
    std::string path = file;
    try {
      LoadJsonFile(target, path);
      ADD_FAILURE() << testCase.name << ": no exception from LoadJsonFile";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), "Unable to read file: " + file + " (" + testCase.problem + ")")
          << testCase.name;
    }
    EXPECT_EQ(target.document, nlohmann::json({{"kept", true}})) << testCase.name;
  }
}

TEST(JsonFile, KeepFileAsideRenamesTheFileBesideItself) {
  testing_support::TempFolder folder;
  const std::filesystem::path broken = folder.path / "Controls.json";
  WriteBytes(broken, "{ broken");
  WriteBytes(folder.path / "Controls.json.bad", "older");
  EXPECT_EQ(KeepFileAside(broken.string()), broken.string() + ".bad");
  EXPECT_EQ(FolderEntries(folder.path), std::set<std::string>{"Controls.json.bad"});
  EXPECT_EQ(ReadBytes(folder.path / "Controls.json.bad"), "{ broken");
  EXPECT_THROW(KeepFileAside(broken.string()), std::runtime_error) << "nothing left to keep";
}

TEST(JsonFile, WriteErrorKeepsTheExistingFile) {
  // The file-size limit makes every write past 1 KiB fail (EFBIG), the way a full disk would.
  testing_support::TempFolder folder;
  const std::string target = (folder.path / "controls.json").string();
  WriteBytes(target, "{\"previous\": true}");
  JsonFile source;
  source.document = {{"padding", std::string(4096, 'x')}};
  std::string path = target;

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 1024;
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  testing::internal::CaptureStdout();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string message;
  try {
    SaveJsonFile(source, path);
  } catch (const std::runtime_error& error) {
    message = error.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  const std::string out = testing::internal::GetCapturedStdout();

  EXPECT_TRUE(message.starts_with("Unable to write file: " + target)) << message;
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadBytes(target), "{\"previous\": true}");
  EXPECT_EQ(FolderEntries(folder.path), std::set<std::string>{"controls.json"});
}

TEST(JsonFile, LoadReadsTheDocumentAndLogsTheNormalizedPath) {
  testing_support::TempFolder folder;
  const std::string normalized = (folder.path / "scene.json").string();
  WriteBytes(normalized, "{ \"entities\": [\"player\"], \"name\": \"caf\xC3\xA9\" }\n");
  JsonFile target;
  std::string path = WithBackslashes(normalized);
  testing::internal::CaptureStdout();
  LoadJsonFile(target, path);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(path, normalized);
  EXPECT_EQ(out, "\nSuccessfully loaded from " + normalized + "\n\n");
  EXPECT_EQ(target.document, (nlohmann::json{{"entities", {"player"}}, {"name", "caf\xC3\xA9"}}));
  EXPECT_EQ(CopyJsonDocument(target), target.document);
}

TEST(JsonFile, FailedLoadKeepsThePreviousDocument) {
  testing_support::TempFolder folder;
  enum class Expect { OpenError, ReadError, ParseError };
  struct Case {
    const char* name;
    const char* contents;  // null: no file of that name
    Expect expect;
  };
  const Case cases[] = {
      {"missing.json", nullptr, Expect::OpenError},
      {"malformed.json", "{\"a\": }", Expect::ParseError},
      {"comment.json", "{\n  // volume\n  \"a\": 1\n}", Expect::ParseError},
      {"block_comment.json", "{ /* volume */ \"a\": 1 }", Expect::ParseError},
      {"empty.json", "", Expect::ParseError},
      {"trailing.json", "{\"a\": 1} x", Expect::ParseError},
  };
  std::filesystem::create_directory(folder.path / "folder.json");
  auto check = [&](const std::string& name, Expect expect) {
    JsonFile target;
    target.document = {{"kept", true}};
    std::string path = (folder.path / name).string();
    testing::internal::CaptureStdout();
    try {
      LoadJsonFile(target, path);
      ADD_FAILURE() << name << ": no exception";
    } catch (const nlohmann::json::parse_error&) {
      EXPECT_EQ(expect, Expect::ParseError) << name;
    } catch (const std::runtime_error& error) {
      const std::string expected =
          (expect == Expect::OpenError ? "Unable to open file for reading: "
                                       : "Unable to read file: ") +
          path;
      EXPECT_NE(expect, Expect::ParseError) << name;
      EXPECT_EQ(error.what(), expected) << name;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    EXPECT_EQ(target.document, (nlohmann::json{{"kept", true}})) << name;
  };
  for (const Case& testCase : cases) {
    if (testCase.contents != nullptr) WriteBytes(folder.path / testCase.name, testCase.contents);
    check(testCase.name, testCase.expect);
  }
  check("folder.json", Expect::ReadError);
}

TEST(JsonFile, OpenNormalizesThePathAndClearsTheDocument) {
  testing_support::TempFolder folder;
  const std::string path = (folder.path / "recording.json").string();
  WriteBytes(path, "{}");
  JsonFile record;
  record.document = {{"stale", 1}};
  EXPECT_TRUE(record.Open(WithBackslashes(path), "rb"));
  EXPECT_NE(record.file, nullptr);
  EXPECT_TRUE(record.document.is_null());

  EXPECT_FALSE(record.Open((folder.path / "missing.json").string(), "rb"));
  EXPECT_EQ(record.file, nullptr);
  record.Close();
  EXPECT_EQ(record.file, nullptr);
}

}  // namespace
