#pragma once
// PerformanceDiary: the player's finished runs, kept in "Zivav.json" in the per-user data folder
// (GetSaveDataFolder()).
//
//   PerformanceDiary diary;
//   diary.DiaryEnsureLoaded();                      // reads the file, sorted by grade
//   diary.DiaryAddListener([&] { RedrawTable(); });
//   diary.DiaryAddEntry("A", 1200, "SUNDREL", "02 min 05 sec", 125000, true);  // saved at once
//   diary.DiarySetSortKey(DiarySortKey::Score);     // listeners redraw
//   diary.DiaryShutdown();                          // saves only if the last save failed
//
// Problems go to standard error as "Failed to deserialize diary data: ..." (reading) or
// "Failed to serialize diary data: ..." (writing) and never end the game. A record the reader
// cannot use is skipped alone (diary_file.h). Saves replace the file in one step. Before the
// first save after a load replaces an existing file, that file is copied aside: to
// "Zivav.json.bak" when every record of it was read (the next session's first save replaces
// that backup), else to "Zivav.json.bad" (or "Zivav.json.2.bad", "Zivav.json.3.bad", ...: a
// file kept aside is never overwritten), so runs the game could not read are never lost to a
// save. Main thread only; listeners run inside the calls that change the order or the content.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/diary_file.h"

class PerformanceDiary {
 public:
  // The folder is GetSaveDataFolder(); no file is touched.
  PerformanceDiary();

  // Forgets every record and reloads the file (sort key back to Grade). Creates the folder when
  // it is missing. A missing file is an empty diary.
  void DiaryEnsureLoaded();
  void DiaryAddListener(std::function<void()> listener);
  // Stamps a valid run with the date, sorts, saves and tells the listeners; false (and nothing
  // changes) for a run DiaryValidateEntry refuses. timeMillis is the run time in milliseconds.
  bool DiaryAddEntry(const std::string& grade, std::int32_t score, const std::string& runType,
                     const std::string& time, std::int32_t timeMillis, bool completed);
  // Sorts by key and tells the listeners, unless key is already the current one.
  void DiarySetSortKey(DiarySortKey key);
  // Sorts by the current key and tells the listeners.
  void DiaryResort();
  // Writes the file; returns whether it was written.
  bool DiarySave();
  // Saves if a record is still unsaved, then drops the listeners and the records.
  void DiaryShutdown();

  const std::vector<DiaryEntry>& Entries() const { return entries; }
  DiarySortKey SortKey() const { return sortKey; }
  bool IsDirty() const { return dirty; }
  // folder + "/" + file name.
  std::string FilePath() const;
  std::string BackupPath() const { return FilePath() + ".bak"; }

  static constexpr const char* kFileName = "Zivav.json";
  // How many diaries that could not be read are kept aside at most; past that, a diary read in
  // part is not saved over.
  static constexpr int kMaxAsideFiles = 100;

 private:
  void DiaryLoad();
  void CallListeners();
  // Copies the file about to be replaced to BackupPath(), once per load; false if it could not.
  bool KeepBackup(std::string& problem);
  // The first of "<file>.bad", "<file>.2.bad", ... that does not exist; empty when all of the
  // kMaxAsideFiles names are taken.
  std::string FreeAsidePath() const;

  std::vector<DiaryEntry> entries;
  DiarySortKey sortKey = DiarySortKey::Grade;
  bool sortPending = false;
  bool dirty = false;
  bool backupKept = false;
  bool loadedWhole = true;  // every record of the loaded file was read (or there was no file)
  std::vector<std::function<void()>> listeners;
  std::string folder;  // empty when the per-user folder could not be found
};
