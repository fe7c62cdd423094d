// The diary in the per-user folder: loading damaged files without losing what is readable,
// adding runs (stamped, sorted, saved, listeners told), sort keys, the backup and failed saves.

#include "ui/performance_diary.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/user_folders.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Record(const std::string& grade, int score, const std::string& runType,
                   int timeMillis) {
  return R"({"completed": true, "date": "2025-03-07", "dateMillis": 1741305600, "grade": ")" +
         grade + R"(", "runType": ")" + runType + R"(", "score": )" + std::to_string(score) +
         R"(, "time": "t", "timeMillis": )" + std::to_string(timeMillis) + "}";
}

class PerformanceDiaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = GetSaveDataFolder() + "/Zivav.json";
    std::filesystem::create_directories(GetSaveDataFolder());
  }

  void WriteDiaryFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

  // Loads with standard error captured into `errors`.
  void Load(PerformanceDiary& diary) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    diary.DiaryEnsureLoaded();
    testing::internal::GetCapturedStdout();
    errors = testing::internal::GetCapturedStderr();
  }

  testing_support::ScopedTempHome home;
  std::string path;
  std::string errors;
};

TEST_F(PerformanceDiaryTest, DamagedFilesLoseOnlyWhatCannotBeReadAndStayUntilBackedUp) {
  const struct {
    const char* name;
    std::string text;
    std::vector<int> scores;  // loaded, in grade order
    const char* error;        // nullptr: no error line
  } cases[] = {
      {"missing", "", {}, nullptr},
      {"empty array", "[]", {}, nullptr},
      {"truncated",
       "[" + Record("A", 1, "SUNDREL", 5) + ",{\"compl",
       {1},
       "record 1 skipped: the file ends inside it"},
      {"object root", R"({"grade": "S"})", {}, "not an array"},
      {"wrong types among good records",
       "[" + Record("B", 2, "SUNDREL", 5) + R"(,{"completed": 1},)" + Record("S", 3, "FLORETH", 5) +
           R"(,"text",)" + Record("A", 9, "FLORETH", 5) + "]",
       {3, 9, 2},
       "\"completed\": type must be boolean"},
      {"huge numbers",
       "[" + Record("A", 1, "SUNDREL", 5) +
           R"(,{"completed": true, "date": "d", "dateMillis": 1, "grade": "S", "runType": "SUNDREL",
                "score": 99999999999999999999, "time": "t", "timeMillis": 5}])",
       {1},
       "out of range"},
      {"binary", std::string("\0\xFF[", 3), {}, "Failed to deserialize diary data: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* suffix : {"", ".bak", ".bad"}) std::filesystem::remove(path + suffix);
    if (std::string(c.name) != "missing") WriteDiaryFile(c.text);

    PerformanceDiary diary;
    Load(diary);
    std::vector<int> scores;
    for (const DiaryEntry& entry : diary.Entries()) scores.push_back(entry.score);
    EXPECT_EQ(scores, c.scores);
    if (c.error == nullptr) {
      EXPECT_EQ(errors, "");
    } else {
      EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
      EXPECT_NE(errors.find(path), std::string::npos) << errors;
    }
    if (std::string(c.name) == "missing") {
      diary.DiaryShutdown();  // nothing to save: no file appears
      EXPECT_FALSE(std::filesystem::exists(path));
      continue;
    }
    // The file stays as it was until a run is added; then the old bytes are copied aside: to
    // the backup when every record was read, else kept as ".bad".
    EXPECT_EQ(ReadFile(path), c.text);
    const bool whole = c.error == nullptr;
    const std::string aside = path + (whole ? ".bak" : ".bad");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(diary.DiaryAddEntry("C", 0, "SUNDREL", "t", 1, false));
    const std::string saveErrors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(saveErrors, whole ? ""
                                : "Diary : '" + path +
                                      "' could not be read whole; it is kept "
                                      "as '" +
                                      aside + "' and the runs that could be read are saved\n");
    EXPECT_EQ(ReadFile(aside), c.text);
    EXPECT_FALSE(std::filesystem::exists(path + (whole ? ".bad" : ".bak")));
    EXPECT_EQ(diary.Entries().size(), c.scores.size() + 1);

    // Later saves keep the first copy.
    ASSERT_TRUE(diary.DiaryAddEntry("C", 0, "SUNDREL", "t", 1, false));
    EXPECT_EQ(ReadFile(aside), c.text);
  }
}

TEST_F(PerformanceDiaryTest, RunsThatCouldNotBeReadSurviveTheSessionsAfter) {
  // The first save of each session backs up the file it replaces; a damaged file backed up that
  // way was lost at the second session, which backed up the first one's reduced file over it.
  const auto session = [this](std::size_t expectedRuns) {
    PerformanceDiary diary;
    Load(diary);
    EXPECT_EQ(diary.Entries().size(), expectedRuns) << errors;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(diary.DiaryAddEntry("B", 7, "FLORETH", "t", 1, false));
    diary.DiaryShutdown();
    return testing::internal::GetCapturedStderr();
  };
  const auto runsIn = [](const std::string& file) {
    const DiaryReadResult read = ReadDiaryText(ReadFile(file), file);
    EXPECT_TRUE(read.ReadWhole()) << file;
    return read.entries.size();
  };

  const std::string original = "[" + Record("S", 1, "SUNDREL", 5) +
                               ",\n{\"completed\": true, \"score\": 2x},\n" +
                               Record("A", 3, "FLORETH", 5) + "]";
  WriteDiaryFile(original);
  EXPECT_NE(session(2).find("kept as '" + path + ".bad'"), std::string::npos);
  EXPECT_NE(errors.find("record 1 skipped"), std::string::npos) << errors;
  EXPECT_EQ(ReadFile(path + ".bad"), original);
  EXPECT_EQ(runsIn(path), 3u);

  // The next session reads its file whole: it is backed up, and the damaged one stays.
  EXPECT_EQ(session(3), "");
  EXPECT_EQ(errors, "");
  EXPECT_EQ(ReadFile(path + ".bad"), original);
  EXPECT_EQ(runsIn(path + ".bak"), 3u);
  EXPECT_EQ(runsIn(path), 4u);

  // Damaged again (cut short): kept beside the first, which is never overwritten.
  const std::string cut = ReadFile(path).substr(0, 300);
  WriteDiaryFile(cut);
  EXPECT_NE(session(1).find("kept as '" + path + ".2.bad'"), std::string::npos);
  EXPECT_EQ(ReadFile(path + ".bad"), original);
  EXPECT_EQ(ReadFile(path + ".2.bad"), cut);
  EXPECT_EQ(runsIn(path), 2u);
}

TEST_F(PerformanceDiaryTest, AddedRunIsStampedPlacedByTheKeySavedAndAnnounced) {
  WriteDiaryFile("[" + Record("S", 10, "FLORETH", 3000) + "," + Record("B", 20, "SUNDREL", 1000) +
                 "]");
  PerformanceDiary diary;
  Load(diary);
  EXPECT_EQ(diary.SortKey(), DiarySortKey::Grade);
  int told = 0;
  diary.DiaryAddListener([&] { ++told; });

  diary.DiarySetSortKey(DiarySortKey::Grade);  // already the key: nobody is told
  EXPECT_EQ(told, 0);
  diary.DiarySetSortKey(DiarySortKey::Time);
  EXPECT_EQ(told, 1);

  // Refused runs change nothing and write nothing.
  const std::string before = ReadFile(path);
  EXPECT_FALSE(diary.DiaryAddEntry("A-", 5, "SUNDREL", "t", 1, true));
  EXPECT_FALSE(diary.DiaryAddEntry("a", 5, "SUNDREL", "t", 1, true));
  EXPECT_FALSE(diary.DiaryAddEntry("A", -5, "SUNDREL", "t", 1, true));
  EXPECT_FALSE(diary.DiaryAddEntry("A", 5, "sundrel", "t", 1, true));
  EXPECT_FALSE(diary.DiaryAddEntry("A", 5, "SUNDREL", "", 1, true));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(diary.Entries().size(), 2u);
  EXPECT_EQ(told, 1);

  const std::int64_t earliest = std::time(nullptr);
  ASSERT_TRUE(diary.DiaryAddEntry("A", 30, "SUNDREL", "00 min 02 sec", 2000, true));
  const std::int64_t latest = std::time(nullptr);
  EXPECT_EQ(told, 2);
  EXPECT_FALSE(diary.IsDirty());
  ASSERT_EQ(diary.Entries().size(), 3u);
  const DiaryEntry& added = diary.Entries()[1];  // between 1000 and 3000 ms
  EXPECT_EQ(added.score, 30);
  EXPECT_GE(added.dateMillis, earliest);
  EXPECT_LE(added.dateMillis, latest);
  const std::time_t stamp = static_cast<std::time_t>(added.dateMillis);
  char expectedDate[11] = {};
  std::strftime(expectedDate, sizeof expectedDate, "%Y-%m-%d", std::localtime(&stamp));
  EXPECT_EQ(added.date, expectedDate);

  // The file holds the list in its order; a fresh diary reads it back in grade order.
  const DiaryReadResult onDisk = ReadDiaryDocument(nlohmann::json::parse(ReadFile(path)), path);
  ASSERT_EQ(onDisk.entries.size(), 3u);
  EXPECT_EQ(onDisk.entries[0].timeMillis, 1000);
  EXPECT_EQ(onDisk.entries[1].timeMillis, 2000);
  EXPECT_EQ(onDisk.entries[2].timeMillis, 3000);
  PerformanceDiary again;
  Load(again);
  ASSERT_EQ(again.Entries().size(), 3u);
  EXPECT_EQ(again.Entries()[0].grade, "S");
  EXPECT_EQ(again.Entries()[1].grade, "A");
  EXPECT_EQ(again.Entries()[1].dateMillis, added.dateMillis);

  diary.DiaryResort();
  EXPECT_EQ(told, 3);
  diary.DiaryShutdown();
  diary.DiaryResort();
  EXPECT_EQ(told, 3);  // listeners are gone
  EXPECT_TRUE(diary.Entries().empty());
}

TEST_F(PerformanceDiaryTest, ListenerAddingAListenerDuringTheCallIsSafe) {
  PerformanceDiary diary;
  Load(diary);
  int first = 0;
  int second = 0;
  diary.DiaryAddListener([&] {
    ++first;
    diary.DiaryAddListener([&] { ++second; });
  });
  diary.DiaryAddListener(nullptr);  // ignored
  diary.DiaryResort();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  diary.DiaryResort();
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
}

TEST_F(PerformanceDiaryTest, FailedSaveIsReportedKeptDirtyAndRetriedAtShutdown) {
  // A folder where the file should be: it can neither be read nor replaced.
  std::filesystem::create_directories(path);
  PerformanceDiary diary;
  Load(diary);
  EXPECT_NE(errors.find("Failed to deserialize diary data: "), std::string::npos) << errors;
  EXPECT_TRUE(diary.Entries().empty());

  testing::internal::CaptureStderr();
  EXPECT_TRUE(diary.DiaryAddEntry("S+", 1, "FLORETH", "t", 1, true));
  errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("Failed to serialize diary data: "), std::string::npos) << errors;
  EXPECT_NE(errors.find(path), std::string::npos) << errors;
  EXPECT_TRUE(diary.IsDirty());
  EXPECT_EQ(diary.Entries().size(), 1u);

  // Once the way is clear, shutdown writes the run that was not saved.
  std::filesystem::remove(path);
  testing::internal::CaptureStderr();
  diary.DiaryShutdown();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  const DiaryReadResult onDisk = ReadDiaryDocument(nlohmann::json::parse(ReadFile(path)), path);
  ASSERT_EQ(onDisk.entries.size(), 1u);
  EXPECT_EQ(onDisk.entries[0].grade, "S+");
}

TEST_F(PerformanceDiaryTest, MissingFolderIsCreatedOnLoad) {
  std::filesystem::remove_all(GetSaveDataFolder());
  PerformanceDiary diary;
  Load(diary);
  EXPECT_EQ(errors, "");
  EXPECT_TRUE(std::filesystem::is_directory(GetSaveDataFolder()));
  EXPECT_TRUE(diary.DiaryAddEntry("B", 4, "SUNDREL", "t", 1, false));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));  // there was nothing to keep
}

}  // namespace
