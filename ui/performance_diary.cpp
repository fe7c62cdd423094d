#include "ui/performance_diary.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "engine/json_file.h"
#include "engine/user_folders.h"
#include "engine/whole_file.h"

namespace {

constexpr std::size_t kReservedEntries = 100;

void ReportReadProblem(const std::string& problem) {
  std::fprintf(stderr, "Failed to deserialize diary data: %s\n", problem.c_str());
}

void ReportWriteProblem(const std::string& problem) {
  std::fprintf(stderr, "Failed to serialize diary data: %s\n", problem.c_str());
}

// The local calendar date of `moment`, "%Y-%m-%d"; empty if the moment has no local date.
std::string LocalDate(std::time_t moment) {
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) return {};
  char text[11] = {};
  if (std::strftime(text, sizeof text, "%Y-%m-%d", &local) == 0) return {};
  return text;
}

}  // namespace

PerformanceDiary::PerformanceDiary() {
  try {
    folder = GetSaveDataFolder();
  } catch (const std::exception& error) {
    // The diary stays empty and saves report that they cannot write.
    ReportReadProblem(std::string("no per-user data folder (") + error.what() + ")");
  }
}

std::string PerformanceDiary::FilePath() const { return folder + "/" + kFileName; }

void PerformanceDiary::DiaryEnsureLoaded() {
  entries.clear();
  entries.reserve(kReservedEntries);
  sortKey = DiarySortKey::Grade;
  sortPending = false;
  dirty = false;
  backupKept = false;
  loadedWhole = true;
  if (folder.empty()) return;

  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    ReportReadProblem("cannot create the folder " + folder + " (" + error.message() + ")");
    return;
  }
  DiaryLoad();
  if (sortPending) {
    DiarySortEntries(entries, sortKey);
    sortPending = false;
  }
}

void PerformanceDiary::DiaryLoad() {
  const std::string path = FilePath();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    if (error) ReportReadProblem("cannot look for " + path + " (" + error.message() + ")");
    return;
  }
  loadedWhole = false;
  std::string text;
  const WholeFileRead read = ReadWholeFile(path, text);
  if (read != WholeFileRead::kRead) {
    ReportReadProblem("Unable to read file: " + path + " (it " + DescribeWholeFileRead(read) + ")");
    entries.clear();
    return;
  }
  DiaryReadResult records = ReadDiaryText(text, path);
  for (const std::string& problem : records.problems) ReportReadProblem(problem);
  loadedWhole = records.ReadWhole();
  entries = std::move(records.entries);
  entries.reserve(kReservedEntries);
  sortPending = true;
}

void PerformanceDiary::DiaryAddListener(std::function<void()> listener) {
  if (listener) listeners.push_back(std::move(listener));
}

bool PerformanceDiary::DiaryAddEntry(const std::string& grade, std::int32_t score,
                                     const std::string& runType, const std::string& time,
                                     std::int32_t timeMillis, bool completed) {
  if (!DiaryValidateEntry(grade, score, runType, time)) return false;

  const std::time_t now = std::time(nullptr);
  DiaryEntry entry;
  entry.grade = grade;
  entry.score = score;
  entry.runType = runType;
  entry.time = time;
  entry.timeMillis = timeMillis;
  entry.date = LocalDate(now);
  entry.dateMillis = static_cast<std::int64_t>(now);
  entry.completed = completed;
  entry.gradeRank = DiaryGradeRank(grade);
  entries.push_back(std::move(entry));

  dirty = true;
  DiarySortEntries(entries, sortKey);
  DiarySave();
  CallListeners();
  return true;
}

void PerformanceDiary::DiarySetSortKey(DiarySortKey key) {
  if (key == sortKey) return;
  sortKey = key;
  DiarySortEntries(entries, sortKey);
  CallListeners();
}

void PerformanceDiary::DiaryResort() {
  DiarySortEntries(entries, sortKey);
  CallListeners();
}

bool PerformanceDiary::DiarySave() {
  if (folder.empty()) {
    ReportWriteProblem("no per-user data folder to write " + std::string(kFileName) + " to");
    return false;
  }
  try {
    const std::string text = WriteDiaryText(entries);
    std::string problem;
    if (!KeepBackup(problem)) throw std::runtime_error(problem);
    WriteFileAtomically(FilePath(), text);
  } catch (const std::exception& failure) {
    // `dirty` stays set, so DiaryShutdown tries again.
    ReportWriteProblem(failure.what());
    return false;
  }
  dirty = false;
  return true;
}

bool PerformanceDiary::KeepBackup(std::string& problem) {
  if (backupKept) return true;
  const std::string path = FilePath();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    if (error) {
      problem = "cannot look for " + path + " (" + error.message() + ")";
      return false;
    }
    backupKept = true;  // nothing of the player's to keep
    return true;
  }
  std::string contents;
  const WholeFileRead read = ReadWholeFile(path, contents);
  if (read != WholeFileRead::kRead) {
    // Without a copy the file is not replaced: it may hold runs this diary could not read.
    problem = "Unable to keep a backup of " + path + " (it " + DescribeWholeFileRead(read) +
              "); the file is left as it is";
    return false;
  }
  if (loadedWhole) {
    WriteFileAtomically(BackupPath(), contents);
  } else {
    // The backup is rewritten by the first save of every session, and the next session reads
    // the file this save writes: the runs that could not be read would be lost from both.
    const std::string aside = FreeAsidePath();
    if (aside.empty()) {
      problem = "Unable to keep " + path + " aside: " + std::to_string(kMaxAsideFiles) +
                " diaries that could not be read are kept already; the file is left as it is";
      return false;
    }
    WriteFileAtomically(aside, contents);
    std::fprintf(stderr,
                 "Diary : '%s' could not be read whole; it is kept as '%s' and the runs that "
                 "could be read are saved\n",
                 path.c_str(), aside.c_str());
  }
  backupKept = true;
  return true;
}

std::string PerformanceDiary::FreeAsidePath() const {
  for (int number = 1; number <= kMaxAsideFiles; ++number) {
    const std::string candidate =
        number == 1 ? FilePath() + ".bad" : FilePath() + "." + std::to_string(number) + ".bad";
    std::error_code error;
    if (!std::filesystem::exists(candidate, error) && !error) return candidate;
  }
  return {};
}

void PerformanceDiary::DiaryShutdown() {
  if (dirty) DiarySave();
  listeners.clear();
  entries.clear();
}

void PerformanceDiary::CallListeners() {
  // A copy, so a listener that adds another does not disturb this walk.
  const std::vector<std::function<void()>> current = listeners;
  for (const auto& listener : current) listener();
}
