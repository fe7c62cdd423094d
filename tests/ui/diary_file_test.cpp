// The diary's records: grade ranks and run validation, the order of each key, reading records
// that are damaged one by one, and the written text.

#include "ui/diary_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

DiaryEntry Entry(const std::string& name, const std::string& grade, int score,
                 const std::string& runType, int timeMillis, std::int64_t date, bool completed) {
  DiaryEntry entry;
  entry.grade = grade;
  entry.gradeRank = DiaryGradeRank(grade);
  entry.score = score;
  entry.runType = runType;
  entry.time = name;  // the display text names the record in these tests
  entry.timeMillis = timeMillis;
  entry.dateMillis = date;
  entry.completed = completed;
  return entry;
}

std::vector<std::string> Names(const std::vector<DiaryEntry>& entries) {
  std::vector<std::string> names;
  for (const DiaryEntry& entry : entries) names.push_back(entry.time);
  return names;
}

TEST(DiaryFileTest, GradeRanksAndWhichRunsAreAccepted) {
  const std::pair<const char*, int> ranks[] = {
      {"S+", 11}, {"S", 10}, {"A+", 9}, {"A", 8},  {"A-", 7}, {"B+", 6}, {"B", 5},
      {"B-", 4},  {"C+", 3}, {"C", 2},  {"C-", 1}, {"s+", 0}, {"", 0},   {"S+ ", 0}};
  for (const auto& [grade, rank] : ranks) EXPECT_EQ(DiaryGradeRank(grade), rank) << grade;

  const struct {
    const char* grade;
    int score;
    const char* runType;
    const char* time;
    bool accepted;
  } runs[] = {
      {"S+", 0, "SUNDREL", "01 min 00 sec", true},
      {"C", 5, "FLORETH", "x", true},
      {"A-", 5, "FLORETH", "x", false},  // minus grades are never given by the game
      {"a", 5, "FLORETH", "x", false},
      {"", 5, "FLORETH", "x", false},
      {"A", -1, "FLORETH", "x", false},
      {"A", 5, "floreth", "x", false},
      {"A", 5, "", "x", false},
      {"A", 5, "OTHER", "x", false},
      {"A", 5, "SUNDREL", "", false},
  };
  for (const auto& run : runs) {
    EXPECT_EQ(DiaryValidateEntry(run.grade, run.score, run.runType, run.time), run.accepted)
        << run.grade << " " << run.score << " " << run.runType << " '" << run.time << "'";
  }
}

TEST(DiaryFileTest, EachKeyOrdersByItselfAloneAndKeepsTiesInPlace) {
  const std::vector<DiaryEntry> start = {
      Entry("p", "A", 300, "SUNDREL", 9000, 1700000300, false),
      Entry("q", "S+", 100, "FLORETH", 7000, 1700000100, true),
      Entry("r", "A", 300, "FLORETH", 8000, 4102444800, false),
      Entry("s", "odd", 900, "SUNDREL", 7000, 1700000200, true),
  };
  const struct {
    DiarySortKey key;
    std::vector<std::string> order;
  } cases[] = {
      {DiarySortKey::Grade, {"q", "p", "r", "s"}},
      {DiarySortKey::Score, {"s", "p", "r", "q"}},
      {DiarySortKey::RunType, {"q", "r", "p", "s"}},
      {DiarySortKey::Time, {"q", "s", "r", "p"}},
      {DiarySortKey::Date, {"r", "p", "s", "q"}},  // a date after 2038 is the latest
      {DiarySortKey::Completed, {"q", "s", "p", "r"}},
      {static_cast<DiarySortKey>(9), {"p", "q", "r", "s"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.key));
    std::vector<DiaryEntry> entries = start;
    DiarySortEntries(entries, c.key);
    EXPECT_EQ(Names(entries), c.order);
    DiarySortEntries(entries, c.key);  // sorting again changes nothing
    EXPECT_EQ(Names(entries), c.order);
  }

  // Run types compare bytes, a prefix first.
  std::vector<DiaryEntry> prefixes = {Entry("long", "C", 0, "SUNDRELX", 0, 0, false),
                                      Entry("short", "C", 0, "SUNDREL", 0, 0, false),
                                      Entry("high", "C", 0, "\xC3\x89", 0, 0, false)};
  DiarySortEntries(prefixes, DiarySortKey::RunType);
  EXPECT_EQ(Names(prefixes), std::vector<std::string>({"short", "long", "high"}));
}

constexpr const char* kGoodRecord =
    R"({"completed": true, "date": "2025-03-07", "dateMillis": 1741305600, "grade": "A+",
        "runType": "SUNDREL", "score": 1205, "time": "02 min 05 sec", "timeMillis": 125900})";

TEST(DiaryFileTest, ADamagedRecordIsSkippedAloneAndNamed) {
  // Each case changes one member of a good record ("" as the value: the member is removed).
  const struct {
    const char* name;
    const char* member;
    const char* value;
    const char* problem;  // nullptr: the record loads
  } cases[] = {
      {"good", "grade", R"("S")", nullptr},
      {"not an object", nullptr, "[1, 2]", "record 1 skipped: it is array, not an object"},
      {"completed as number", "completed", "1",
       "\"completed\": type must be boolean, but is number"},
      {"missing member", "grade", "", "\"grade\" is missing"},
      {"score as text", "score", R"("9")", "\"score\": type must be number, but is string"},
      {"huge score", "score", "1e30", "\"score\": 1e+30 is out of range"},
      {"time past 32 bits", "timeMillis", "2147483648",
       "\"timeMillis\": 2147483648 is out of range"},
      {"date past 64 bits", "dateMillis", "18446744073709551615",
       "\"dateMillis\": 18446744073709551615 is out of range"},
      {"date as huge float", "dateMillis", "1e300", "\"dateMillis\": 1e+300 is out of range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const nlohmann::json good = nlohmann::json::parse(kGoodRecord);
    nlohmann::json changed = good;
    if (c.member == nullptr) {
      changed = nlohmann::json::parse(c.value);
    } else if (std::string(c.value).empty()) {
      changed.erase(c.member);
    } else {
      changed[c.member] = nlohmann::json::parse(c.value);
    }
    // The changed record sits between two good ones.
    const DiaryReadResult read =
        ReadDiaryDocument(nlohmann::json::array({good, changed, good}), "saves/Zivav.json");
    if (c.problem == nullptr) {
      EXPECT_EQ(read.entries.size(), 3u);
      EXPECT_TRUE(read.problems.empty());
      continue;
    }
    EXPECT_EQ(read.entries.size(), 2u);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_NE(read.problems[0].find("saves/Zivav.json: record 1 skipped"), std::string::npos)
        << read.problems[0];
    EXPECT_NE(read.problems[0].find(c.problem), std::string::npos) << read.problems[0];
  }

  for (const char* root : {R"({"grade": "A"})", "3", "null", "\"text\""}) {
    const DiaryReadResult read = ReadDiaryDocument(nlohmann::json::parse(root), "Zivav.json");
    EXPECT_TRUE(read.entries.empty()) << root;
    ASSERT_EQ(read.problems.size(), 1u) << root;
    EXPECT_NE(read.problems[0].find("not an array"), std::string::npos) << read.problems[0];
  }
}

TEST(DiaryFileTest, TextThatDoesNotParseLosesOnlyTheRecordsItCannotRead) {
  // Records named by their score; "G(n)" is a good record with score n.
  const auto G = [](int score) {
    nlohmann::json record = nlohmann::json::parse(kGoodRecord);
    record["score"] = score;
    return record.dump();
  };
  const struct {
    const char* name;
    std::string text;
    std::vector<int> scores;
    std::vector<std::string> problems;  // each found in its problem line, in order
  } cases[] = {
      {"parses whole", "[" + G(1) + ", " + G(2) + "]", {1, 2}, {}},
      {"a syntax error inside one record",
       "[" + G(1) + ", {\"completed\": true, \"score\": 12x}, " + G(3) + "]",
       {1, 3},
       {"record 1 skipped: [json.exception.parse_error"}},
      {"cut short inside the last record",
       "[" + G(1) + ",\n" + G(2).substr(0, 30),
       {1},
       {"record 1 skipped: the file ends inside it",
        "the file ends before the array of records is closed"}},
      {"cut short after a record",
       "[" + G(1) + ", " + G(2),
       {1, 2},
       {"the file ends before the array of records is closed"}},
      {"a missing comma between records",
       "[" + G(1) + " " + G(2) + ", " + G(3) + "]",
       {1, 2, 3},
       {}},
      {"a stray closing bracket",
       "[" + G(1) + "}, " + G(2) + "]",
       {1, 2},
       {"belongs to no record"}},
      {"brackets and quotes inside strings",
       "[" + G(1) + ", {\"grade\": \"}]\\\"[{\", oops}, " + G(3) + "]",
       {1, 3},
       {"record 1 skipped"}},
      {"a record nested too deep",
       "[" + G(1) + ", {\"a\": " + std::string(300, '[') + std::string(300, ']') + "}, " + G(3) +
           "]",
       {1, 3},
       {"record 1 skipped: arrays and objects are nested deeper than 256 levels"}},
      {"a quote missing in a record",
       "[" + G(1) + ",\n{\"grade: \"A\",\n\"score\": 2},\n" + G(3) + "]",
       {1, 3},
       {"record 1 skipped"}},
      {"text after the array",
       "[" + G(1) + "] trailing",
       {1},
       {"text after the array of records is skipped"}},
      {"no array at all", "garbage", {}, {"no array of records, no record read"}},
      {"empty", "", {}, {"no array of records, no record read"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DiaryReadResult read = ReadDiaryText(c.text, "saves/Zivav.json");
    std::vector<int> scores;
    for (const DiaryEntry& entry : read.entries) scores.push_back(entry.score);
    EXPECT_EQ(scores, c.scores);
    EXPECT_EQ(read.ReadWhole(), c.problems.empty());
    ASSERT_EQ(read.problems.size(), c.problems.size()) << testing::PrintToString(read.problems);
    for (std::size_t i = 0; i < c.problems.size(); ++i) {
      EXPECT_TRUE(read.problems[i].starts_with("saves/Zivav.json: ")) << read.problems[i];
      EXPECT_NE(read.problems[i].find(c.problems[i]), std::string::npos) << read.problems[i];
    }
  }
}

TEST(DiaryFileTest, NumbersAreCutTowardZeroAndDatesKeepSixtyFourBits) {
  const nlohmann::json document = nlohmann::json::parse(
      R"([{"completed": false, "dateMillis": 1700000000.9, "date": "", "timeMillis": -5.7,
           "time": "t", "runType": "", "score": 12.99, "grade": "S", "extra": [1]},
          {"completed": true, "dateMillis": 4102444800, "date": "2100-01-01", "timeMillis": 0,
           "time": "t", "runType": "X", "score": -2147483648, "grade": "?"}])");
  const DiaryReadResult read = ReadDiaryDocument(document, "Zivav.json");
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.entries[0].dateMillis, 1700000000);
  EXPECT_EQ(read.entries[0].timeMillis, -5);
  EXPECT_EQ(read.entries[0].score, 12);
  EXPECT_EQ(read.entries[0].gradeRank, 10);
  EXPECT_EQ(read.entries[1].dateMillis, 4102444800);
  EXPECT_EQ(read.entries[1].score, -2147483648);
  EXPECT_EQ(read.entries[1].gradeRank, 0);
}

TEST(DiaryFileTest, WrittenTextIsSortedMembersFourBlanksAndReadsBack) {
  EXPECT_EQ(WriteDiaryText({}), "[]");

  DiaryEntry entry = Entry("02 min 05 sec", "A+", 1205, "FLORETH", 125900, 4102444800, true);
  entry.date = "2100-01-01 \xC3\xA9";
  EXPECT_EQ(WriteDiaryText({entry}),
            "[\n"
            "    {\n"
            "        \"completed\": true,\n"
            "        \"date\": \"2100-01-01 \xC3\xA9\",\n"
            "        \"dateMillis\": 4102444800,\n"
            "        \"grade\": \"A+\",\n"
            "        \"runType\": \"FLORETH\",\n"
            "        \"score\": 1205,\n"
            "        \"time\": \"02 min 05 sec\",\n"
            "        \"timeMillis\": 125900\n"
            "    }\n"
            "]");

  const DiaryReadResult read =
      ReadDiaryDocument(nlohmann::json::parse(WriteDiaryText({entry, entry})), "Zivav.json");
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries[1].date, entry.date);
  EXPECT_EQ(read.entries[1].dateMillis, entry.dateMillis);
  EXPECT_EQ(read.entries[1].gradeRank, 9);

  // Bytes that are not UTF-8 (a hand-edited file) do not stop the save.
  entry.grade = "\xFF";
  EXPECT_NE(WriteDiaryText({entry}).find("\xEF\xBF\xBD"), std::string::npos);
}

}  // namespace
