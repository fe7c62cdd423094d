#pragma once
// The performance diary's records and its file format.
//
//   DiaryReadResult read = ReadDiaryText(text, path);           // records that could be read
//   for (const std::string& problem : read.problems) Report(problem);
//   std::string text = WriteDiaryText(entries);                 // "[]" when empty
//
// The file is a JSON array with one object per record, members "completed", "date",
// "dateMillis", "grade", "runType", "score", "time" and "timeMillis", written in that
// (alphabetical) order, indented by four blanks. A record that is not an object, lacks a member
// or holds a member of the wrong kind or out of range is skipped alone and named in `problems`;
// the other records still load. A file whose text is not JSON as a whole (cut short, or damaged
// inside one record) is read record by record, so a parse error loses the record it is in and no
// other, where the brackets around it still match. Nothing here throws except std::bad_alloc.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

struct DiaryEntry {
  std::string grade;  // "C" .. "S+" for runs the game adds; any text from a file
  std::int32_t score = 0;
  std::string runType;  // "SUNDREL" or "FLORETH"
  std::string time;     // display text of the run time, as the caller gave it
  std::int32_t timeMillis = 0;
  std::string date;  // local date the record was added, "%Y-%m-%d"
  // When the record was added, in whole seconds since 1970-01-01 00:00 UTC (the key keeps its
  // historical name). 64 bits, so dates after January 2038 survive.
  std::int64_t dateMillis = 0;
  bool completed = false;      // won run
  std::int32_t gradeRank = 0;  // from `grade` (DiaryGradeRank); never written
};

// Order keys of the diary table; the values are those of the main menu's filter buttons.
enum class DiarySortKey : std::uint8_t {
  Grade = 0,
  Score = 1,
  RunType = 2,
  Time = 3,
  Date = 4,
  Completed = 5,
};

// "S+" 11, "S" 10, "A+" 9, "A" 8, "A-" 7, "B+" 6, "B" 5, "B-" 4, "C+" 3, "C" 2, "C-" 1, any
// other text 0; exact, case-sensitive.
int DiaryGradeRank(std::string_view grade);

// Whether a finished run may enter the diary: one of the eight grades the game gives ("C" to
// "S+", no minus grades), a score of 0 or more, run type "FLORETH" or "SUNDREL", and a time text
// that is not empty.
bool DiaryValidateEntry(std::string_view grade, std::int32_t score, std::string_view runType,
                        std::string_view time);

// Orders `entries` by `key` alone: higher grade rank, higher score, run type ascending by bytes,
// shorter time, later date, won runs first. Records with equal keys keep their order; an unknown
// key leaves the list as it is.
void DiarySortEntries(std::vector<DiaryEntry>& entries, DiarySortKey key);

struct DiaryReadResult {
  std::vector<DiaryEntry> entries;    // in file order
  std::vector<std::string> problems;  // one line per skipped record or unusable root

  // Whether every record of the file was read: a file that was not may hold runs a later save
  // would lose, so it is kept aside before it is replaced.
  bool ReadWhole() const { return problems.empty(); }
};

// Reads the records of a parsed diary file; `path` names the file in the problem lines. A root
// that is not an array gives no records and one problem.
DiaryReadResult ReadDiaryDocument(const nlohmann::json& document, std::string_view path);

// Reads the records of a diary file's text; `path` names the file in the problem lines. A text
// that parses is read as by ReadDiaryDocument. One that does not is split into the elements of
// its root array, and each is parsed and read alone: an element that does not parse is skipped
// and named ("record 2 skipped: ..."), as is text that belongs to no record; a text without a
// root array gives no records and one problem.
DiaryReadResult ReadDiaryText(std::string_view text, std::string_view path);

// The file text of `entries` in their order.
std::string WriteDiaryText(const std::vector<DiaryEntry>& entries);
