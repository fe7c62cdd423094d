#include "platform/os/crash_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using testing_support::TempFolder;

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files.push_back(entry.path());
  return files;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ThrowUncaught() {
  std::thread([] { throw std::runtime_error("scene file broke everything"); }).join();
}

[[noreturn]] void CrashWithSegfault() {
  // A small non-null address: unmapped, and not caught earlier by the null-pointer sanitizer.
  // The pointer itself is volatile, so the optimiser cannot see the address and warn about it.
  volatile int* volatile nowhere = reinterpret_cast<volatile int*>(0x10);
  *nowhere = 1;
  std::abort();
}

TEST(CrashRecordDeathTest, FatalSignalWritesARecordAndTheProcessStillDiesByIt) {
  TempFolder folder;
  EXPECT_EXIT(
      {
        os::InstallCrashRecorder(folder.path.string(), "KELVA_CrashDump_");
        CrashWithSegfault();
      },
      ::testing::KilledBySignal(SIGSEGV), "");

  const auto files = FilesIn(folder.path);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_THAT(files[0].filename().string(),
              MatchesRegex("KELVA_CrashDump_[0-9]{2}-[0-9]{2}-[0-9]{4} "
                           "[0-9]{2}-[0-9]{2}-[0-9]{2}\\.dmp"));
  const std::string record = ReadFile(files[0]);
  EXPECT_THAT(record, HasSubstr("Signal: 11 (SIGSEGV)"));
  EXPECT_THAT(record, HasSubstr("Fault address: 0x0000000000000010"));
  EXPECT_THAT(record, HasSubstr("Backtrace:\n"));
}

TEST(CrashRecordDeathTest, UncaughtExceptionRecordsItsTextOnce) {
  TempFolder folder;
  EXPECT_EXIT(
      {
        os::InstallCrashRecorder(folder.path.string(), "KELVA_CrashDump_");
        // An exception escaping a thread's function reaches std::terminate with its text.
        ThrowUncaught();
      },
      ::testing::KilledBySignal(SIGABRT), "");

  const auto files = FilesIn(folder.path);
  ASSERT_EQ(files.size(), 1u) << "abort after terminate must not write a second record";
  const std::string record = ReadFile(files[0]);
  EXPECT_THAT(record, HasSubstr("Exception: scene file broke everything"));
  EXPECT_THAT(record, HasSubstr("(SIGABRT)"));
}

TEST(CrashRecord, RecordsInTheSameSecondNeverReplaceEachOther) {
  TempFolder folder;
  const std::string base = (folder.path / "KELVA_CrashDump_01-02-2026 10-00-00").string();
  for (int i = 0; i < 3; ++i) {
    const int fd = os::CreateUniqueCrashFile(base.c_str());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "x", 1), 1);
    close(fd);
  }
  EXPECT_TRUE(std::filesystem::exists(base + ".dmp"));
  EXPECT_TRUE(std::filesystem::exists(base + " (2).dmp"));
  EXPECT_TRUE(std::filesystem::exists(base + " (3).dmp"));
  EXPECT_EQ(ReadFile(base + ".dmp"), "x");
}

TEST(CrashRecord, UnwritableFolderGivesNoFile) {
  EXPECT_EQ(os::CreateUniqueCrashFile("/nonexistent-folder/KELVA_CrashDump_x"), -1);
}

}  // namespace
