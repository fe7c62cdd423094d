#include "ui/diary_file.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "engine/json_file.h"

namespace {

struct GradeRank {
  std::string_view grade;
  int rank;
};

constexpr GradeRank kGradeRanks[] = {
    {"S+", 11}, {"S", 10}, {"A+", 9}, {"A", 8}, {"A-", 7}, {"B+", 6},
    {"B", 5},   {"B-", 4}, {"C+", 3}, {"C", 2}, {"C-", 1},
};

// The grades the game itself gives a run.
constexpr std::string_view kGameGrades[] = {"C", "C+", "B", "B+", "A", "A+", "S", "S+"};

// A whole number in [low, high] from any JSON number; fractions are cut toward zero. Nothing for
// another kind or a value out of range.
std::optional<std::int64_t> WholeNumber(const nlohmann::json& value, std::int64_t low,
                                        std::int64_t high) {
  if (value.is_number_unsigned()) {
    const std::uint64_t number = value.get<std::uint64_t>();
    if (high < 0 || number > static_cast<std::uint64_t>(high)) return std::nullopt;
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) {
    const std::int64_t number = value.get<std::int64_t>();
    if (number < low || number > high) return std::nullopt;
    return number;
  }
  if (value.is_number_float()) {
    const double number = std::trunc(value.get<double>());
    // 2^63 is exactly representable, so the upper test is strict for the 64-bit range.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(number >= static_cast<double>(low)) || !(number < kTwoTo63) ||
        number > static_cast<double>(high)) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
  }
  return std::nullopt;
}

// Reads one record; on failure returns the reason and leaves `entry` partly filled.
std::optional<std::string> ReadRecord(const nlohmann::json& record, DiaryEntry& entry) {
  if (!record.is_object()) return std::string("it is ") + record.type_name() + ", not an object";

  const auto member = [&](const char* name) -> const nlohmann::json* {
    const auto found = record.find(name);
    return found == record.end() ? nullptr : &*found;
  };
  const auto missing = [](const char* name) { return std::string("\"") + name + "\" is missing"; };
  const auto wrongKind = [](const char* name, const char* expected, const nlohmann::json& value) {
    return std::string("\"") + name + "\": type must be " + expected + ", but is " +
           value.type_name();
  };

  const auto readText = [&](const char* name, std::string& target) -> std::optional<std::string> {
    const nlohmann::json* value = member(name);
    if (value == nullptr) return missing(name);
    if (!value->is_string()) return wrongKind(name, "string", *value);
    target = value->get<std::string>();
    return std::nullopt;
  };
  const auto readNumber = [&](const char* name, std::int64_t low, std::int64_t high,
                              auto& target) -> std::optional<std::string> {
    const nlohmann::json* value = member(name);
    if (value == nullptr) return missing(name);
    if (!value->is_number()) return wrongKind(name, "number", *value);
    const auto number = WholeNumber(*value, low, high);
    if (!number) return std::string("\"") + name + "\": " + value->dump() + " is out of range";
    target = static_cast<std::remove_reference_t<decltype(target)>>(*number);
    return std::nullopt;
  };
  constexpr std::int64_t kInt32Low = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kInt32High = std::numeric_limits<std::int32_t>::max();

  const nlohmann::json* completed = member("completed");
  if (completed == nullptr) return missing("completed");
  if (!completed->is_boolean()) return wrongKind("completed", "boolean", *completed);
  entry.completed = completed->get<bool>();

  if (auto problem = readNumber("dateMillis", std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max(), entry.dateMillis)) {
    return problem;
  }
  if (auto problem = readText("date", entry.date)) return problem;
  if (auto problem = readNumber("timeMillis", kInt32Low, kInt32High, entry.timeMillis)) {
    return problem;
  }
  if (auto problem = readText("time", entry.time)) return problem;
  if (auto problem = readText("runType", entry.runType)) return problem;
  if (auto problem = readNumber("score", kInt32Low, kInt32High, entry.score)) return problem;
  if (auto problem = readText("grade", entry.grade)) return problem;
  entry.gradeRank = DiaryGradeRank(entry.grade);
  return std::nullopt;
}

bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t SkipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && IsJsonSpace(text[at])) ++at;
  return at;
}

// Where the string that opens at `at` ends: after its closing quote, or at the end of its line,
// since a JSON string holds no line break. A quote missing from a damaged record therefore
// throws the brackets off for that line only, not for the rest of the file.
std::size_t StringEnd(std::string_view text, std::size_t at) {
  for (++at; at < text.size(); ++at) {
    if (text[at] == '\\') {
      ++at;
    } else if (text[at] == '"') {
      return at + 1;
    } else if (text[at] == '\n') {
      return at;
    }
  }
  return text.size();
}

// Where the array or object that opens at `at` ends: after its closing bracket, or npos when
// the text ends first.
std::size_t BracketedEnd(std::string_view text, std::size_t at) {
  int depth = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '"') {
      at = StringEnd(text, at);
      continue;
    }
    if (c == '{' || c == '[') {
      ++depth;
    } else if ((c == '}' || c == ']') && --depth == 0) {
      return at + 1;
    }
    ++at;
  }
  return std::string_view::npos;
}

// Reads a text that does not parse as a whole: each object inside the root array is a record,
// parsed and read alone; anything else there but commas and white space is named and skipped.
DiaryReadResult ReadRecordByRecord(std::string_view text, std::string_view path,
                                   const std::string& parseError) {
  DiaryReadResult result;
  const std::string file(path);
  std::size_t at = SkipSpace(text, 0);
  if (at >= text.size() || text[at] != '[') {
    result.problems.push_back(file + ": " + parseError + "; no array of records, no record read");
    return result;
  }
  ++at;
  std::size_t index = 0;
  std::size_t strayStart = std::string_view::npos;
  const auto endStray = [&] {
    if (strayStart == std::string_view::npos) return;
    result.problems.push_back(file + ": text at byte " + std::to_string(strayStart) +
                              " belongs to no record and is skipped");
    strayStart = std::string_view::npos;
  };
  bool closed = false;
  while (at < text.size() && !closed) {
    const char c = text[at];
    if (c == '{') {
      endStray();
      const std::string skipped = file + ": record " + std::to_string(index++) + " skipped: ";
      const std::size_t end = BracketedEnd(text, at);
      if (end == std::string_view::npos) {
        result.problems.push_back(skipped + "the file ends inside it");
        at = text.size();
        break;
      }
      DiaryEntry entry;
      std::optional<std::string> problem;
      try {
        problem = ReadRecord(ParseJsonText(text.substr(at, end - at)), entry);
      } catch (const std::exception& error) {
        problem = error.what();
      }
      if (problem) {
        result.problems.push_back(skipped + *problem);
      } else {
        result.entries.push_back(std::move(entry));
      }
      at = end;
    } else if (c == ']') {
      endStray();
      closed = true;
      ++at;
    } else if (c == ',' || IsJsonSpace(c)) {
      ++at;
    } else {
      if (strayStart == std::string_view::npos) strayStart = at;
      // A string or an array is passed whole, so no bracket inside it is taken for the end of
      // the records; an array that never closes runs to the end of the text.
      if (c == '"') {
        at = StringEnd(text, at);
      } else if (c == '[') {
        at = std::min(BracketedEnd(text, at), text.size());
      } else {
        ++at;
      }
    }
  }
  endStray();
  if (!closed) {
    result.problems.push_back(file + ": the file ends before the array of records is closed");
  } else if (SkipSpace(text, at) < text.size()) {
    result.problems.push_back(file + ": text after the array of records is skipped");
  }
  return result;
}

}  // namespace

int DiaryGradeRank(std::string_view grade) {
  for (const GradeRank& row : kGradeRanks) {
    if (row.grade == grade) return row.rank;
  }
  return 0;
}

bool DiaryValidateEntry(std::string_view grade, std::int32_t score, std::string_view runType,
                        std::string_view time) {
  if (grade.empty() || score < 0 || runType.empty() || time.empty()) return false;
  if (std::find(std::begin(kGameGrades), std::end(kGameGrades), grade) == std::end(kGameGrades)) {
    return false;
  }
  return runType == "FLORETH" || runType == "SUNDREL";
}

void DiarySortEntries(std::vector<DiaryEntry>& entries, DiarySortKey key) {
  const auto sortBy = [&](auto comesFirst) {
    std::stable_sort(entries.begin(), entries.end(), comesFirst);
  };
  switch (key) {
    case DiarySortKey::Grade:
      return sortBy(
          [](const DiaryEntry& a, const DiaryEntry& b) { return a.gradeRank > b.gradeRank; });
    case DiarySortKey::Score:
      return sortBy([](const DiaryEntry& a, const DiaryEntry& b) { return a.score > b.score; });
    case DiarySortKey::RunType:
      // std::string compares bytes as unsigned char, and a prefix comes first.
      return sortBy([](const DiaryEntry& a, const DiaryEntry& b) { return a.runType < b.runType; });
    case DiarySortKey::Time:
      return sortBy(
          [](const DiaryEntry& a, const DiaryEntry& b) { return a.timeMillis < b.timeMillis; });
    case DiarySortKey::Date:
      return sortBy(
          [](const DiaryEntry& a, const DiaryEntry& b) { return a.dateMillis > b.dateMillis; });
    case DiarySortKey::Completed:
      return sortBy(
          [](const DiaryEntry& a, const DiaryEntry& b) { return a.completed && !b.completed; });
  }
}

DiaryReadResult ReadDiaryDocument(const nlohmann::json& document, std::string_view path) {
  DiaryReadResult result;
  if (!document.is_array()) {
    result.problems.push_back(std::string(path) + ": the root is " + document.type_name() +
                              ", not an array of records; no record read");
    return result;
  }
  result.entries.reserve(std::min<std::size_t>(document.size(), 100));
  std::size_t index = 0;
  for (const nlohmann::json& record : document) {
    DiaryEntry entry;
    if (auto problem = ReadRecord(record, entry)) {
      result.problems.push_back(std::string(path) + ": record " + std::to_string(index) +
                                " skipped: " + *problem);
    } else {
      result.entries.push_back(std::move(entry));
    }
    ++index;
  }
  return result;
}

DiaryReadResult ReadDiaryText(std::string_view text, std::string_view path) {
  nlohmann::json document;
  try {
    document = ParseJsonText(text);
  } catch (const std::exception& error) {
    return ReadRecordByRecord(text, path, error.what());
  }
  return ReadDiaryDocument(document, path);
}

std::string WriteDiaryText(const std::vector<DiaryEntry>& entries) {
  nlohmann::json document = nlohmann::json::array();
  for (const DiaryEntry& entry : entries) {
    // nlohmann's objects keep their members sorted by name, which is the file's member order.
    document.push_back({
        {"completed", entry.completed},
        {"date", entry.date},
        {"dateMillis", entry.dateMillis},
        {"grade", entry.grade},
        {"runType", entry.runType},
        {"score", entry.score},
        {"time", entry.time},
        {"timeMillis", entry.timeMillis},
    });
  }
  // Text that is not valid UTF-8 (a hand-edited file) gets U+FFFD instead of failing the save.
  return document.dump(4, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
}
