// The diary survives the game being killed while it saves: a child process adds runs one after
// another (each addition saves the whole diary) and is killed at a random moment, 50 times;
// after every kill the diary loads whole, and it never holds fewer runs than before.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "engine/user_folders.h"
#include "tests/support/kill_while_saving.h"
#include "tests/support/temp_folder.h"
#include "ui/performance_diary.h"

namespace {

using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

TEST(DiaryUnderKill, EveryKillLeavesAWholeDiaryThatLostNoRun) {
  TempFolder home;
  ScopedEnvironment homeVariable{"HOME", home.path.string()};
  ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path / "data").string()};
  std::filesystem::create_directories(GetSaveDataFolder());
  std::mt19937 random(17);
  std::size_t runsBefore = 0;
  for (int kill = 0; kill < 50; ++kill) {
    testing_support::KillWhileSaving(
        [](int round) {
          static PerformanceDiary diary;
          if (round == 0) diary.DiaryEnsureLoaded();
          diary.DiaryAddEntry("A", 1000 + round, "SUNDREL", "01 min 00 sec", 60000, true);
        },
        std::chrono::milliseconds(20), random);

    PerformanceDiary diary;
    testing::internal::CaptureStderr();
    diary.DiaryEnsureLoaded();
    const std::string problems = testing::internal::GetCapturedStderr();
    ASSERT_EQ(problems, "") << "after kill " << kill;
    ASSERT_GE(diary.Entries().size(), runsBefore + 1) << "after kill " << kill;
    runsBefore = diary.Entries().size();
  }
}

}  // namespace
