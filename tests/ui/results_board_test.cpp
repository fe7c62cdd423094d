// The results board's timeline: what each element holds at chosen moments, written through a
// recording of the HUD's element changes.

#include "ui/results_board.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <utility>

namespace {

// Keeps the last value written to each (id, property), the inner texts and the classes.
class RecordingElements final : public HudElements {
 public:
  void SetProperty(const std::string& id, const std::string& name,
                   const std::string& value) override {
    properties[{id, name}] = value;
  }
  void SetInnerRml(const std::string& id, const std::string& rml) override { texts[id] = rml; }
  void SetClass(const std::string& id, const std::string& name, bool active) override {
    classes[{id, name}] = active;
  }
  std::string Property(const std::string& id, const std::string& name) const {
    const auto found = properties.find({id, name});
    return found == properties.end() ? "<unset>" : found->second;
  }

  std::map<std::pair<std::string, std::string>, std::string> properties;
  std::map<std::string, std::string> texts;
  std::map<std::pair<std::string, std::string>, bool> classes;
};

TEST(ResultsBoardTest, StartHidesAndPlacesEveryPartAndPicksTheBoards) {
  const struct {
    bool won;
    Clan clan;
    const char* board;
    const char* clanBoard;
  } cases[] = {
      {true, Clan::Sundrel, "win_board.png", "sundrel_board.png"},
      {false, Clan::Floreth, "lose_board.png", "floreth_board.png"},
      {false, Clan::Neutral, "lose_board.png", "sundrel_board.png"},
  };
  for (const auto& c : cases) {
    RecordingElements elements;
    ResultsBoard board;
    StartResults(board, {c.won, c.clan, "A", 10, 1.0f}, elements);
    EXPECT_TRUE(board.shown);
    EXPECT_EQ(elements.Property("results-container", "display"), "flex");
    EXPECT_EQ(elements.Property("result-board", "decorator"),
              std::string("image(\"./GAME/Assets/RML/images/results/") + c.board + "\")");
    EXPECT_EQ(elements.Property("clan-board", "decorator"),
              std::string("image(\"./GAME/Assets/RML/images/results/") + c.clanBoard + "\")");
    EXPECT_EQ(elements.Property("result-board", "top"), "-100%");
    EXPECT_EQ(elements.Property("clan-board", "bottom"), "-100%");
    for (const char* row : {"results-grade", "results-score", "results-time"}) {
      EXPECT_EQ(elements.Property(row, "display"), "none") << row;
      EXPECT_EQ(elements.Property(row, "opacity"), "0") << row;
      EXPECT_EQ(elements.Property(row, "left"), "100%") << row;
    }
  }
}

TEST(ResultsBoardTest, TimelineAtChosenMoments) {
  RecordingElements elements;
  ResultsBoard board;
  StartResults(board, {true, Clan::Sundrel, "A+", 1205, 125.9f}, elements);

  // Each step advances by dt, then checks one property: its exact text, or (text null) the
  // number in it.
  const struct {
    float dt;
    int stage;
    const char* id;
    const char* property;
    const char* text;
    float number;
  } steps[] = {
      {0.0f, 0, "result-board", "top", "-100.000000%", 0},
      {0.375f, 0, "result-board", "top", nullptr, -12.5f},  // (1 - 0.5^3) * 100 - 100
      {0.375f, 1, "result-board", "top", "0%", 0},
      {0.375f, 1, "clan-board", "bottom", nullptr, -12.5f},
      {0.5f, 2, "clan-board", "bottom", "0%", 0},
      {0.04f, 2, "results-grade", "display", "none", 0},  // the grade row waits 0.05 s
      {0.0475f, 2, "results-grade", "display", "flex", 0},
      {0.0f, 2, "results-grade", "transform", nullptr, 20.8909f},
      {0.0f, 2, "results-grade", "opacity", nullptr, 0.303637f},
      {0.25f, 3, "results-grade", "transform", "translateX(0) rotate(-16deg)", 0},
      {0.0f, 3, "results-grade", "opacity", "1.0", 0},
      {0.165f, 3, "results-score", "opacity", nullptr, 0.875f},
      {0.2f, 4, "results-score", "transform", "translateX(0) rotate(-16deg)", 0},
      {0.1f, 4, "results-time", "display", "flex", 0},
      {1.0f, 5, "results-time", "opacity", "1.0", 0},
      {5.0f, 5, "results-time", "transform", "translateX(0) rotate(-16deg)", 0},
  };
  float time = 0.0f;
  for (const auto& step : steps) {
    time += step.dt;
    AdvanceResults(board, step.dt, elements);
    SCOPED_TRACE(testing::Message()
                 << "after " << time << " s: " << step.id << " " << step.property);
    EXPECT_EQ(board.stage, step.stage);
    const std::string value = elements.Property(step.id, step.property);
    if (step.text != nullptr) {
      EXPECT_EQ(value, step.text);
    } else {
      const std::size_t start = value.find_first_of("-0123456789");
      ASSERT_NE(start, std::string::npos) << value;
      EXPECT_NEAR(std::stof(value.substr(start)), step.number, 1e-3f) << value;
    }
  }
  EXPECT_EQ(elements.texts["results-grade-value"], "A+");
  EXPECT_EQ(elements.texts["results-score-value"], "1205");
  EXPECT_EQ(elements.texts["results-time-value"], "02 min 05 sec");
  EXPECT_TRUE((elements.classes[{"results-grade", "grade-c"}]));  // A+ is not A
  EXPECT_FALSE((elements.classes[{"results-grade", "grade-a"}]));
}

TEST(ResultsBoardTest, GradeClassesAndTimeTexts) {
  const std::pair<const char*, const char*> grades[] = {
      {"S+", "grade-s-plus"}, {"S", "grade-s"},  {"A", "grade-a"},
      {"B", "grade-b"},       {"A+", "grade-c"}, {"B+", "grade-c"},
      {"C+", "grade-c"},      {"C", "grade-c"},  {"", "grade-c"}};
  for (const auto& [grade, expected] : grades) EXPECT_STREQ(ResultsGradeClass(grade), expected);

  const std::pair<float, const char*> times[] = {
      {125.9f, "02 min 05 sec"},   {0.0f, "00 min 00 sec"},  {59.99f, "00 min 59 sec"},
      {6000.0f, "100 min 00 sec"}, {-3.0f, "00 min 00 sec"}, {1e30f, "35791392 min 00 sec"}};
  for (const auto& [seconds, expected] : times) EXPECT_EQ(ResultsTimeText(seconds), expected);
  EXPECT_EQ(ResultsTimeText(std::numeric_limits<float>::quiet_NaN()), "00 min 00 sec");
}

TEST(ResultsBoardTest, NothingMovesWhileNotShown) {
  RecordingElements elements;
  ResultsBoard board;
  AdvanceResults(board, 1.0f, elements);
  RestoreResults(board, elements);
  EXPECT_TRUE(elements.properties.empty());
  EXPECT_EQ(board.stage, 0);
}

// At any moment of the timeline, a board put onto fresh elements and advanced one frame holds
// exactly what the elements that saw the whole timeline hold after the same frame.
TEST(ResultsBoardTest, ARestoredBoardLooksLikeTheOneThatNeverLeft) {
  constexpr float kFrame = 1.0f / 30.0f;
  RecordingElements live;
  ResultsBoard board;
  StartResults(board, {false, Clan::Floreth, "S", 4321, 75.0f}, live);
  int frames = 0;
  for (; board.stage < 5 && frames < 200; ++frames) {
    ResultsBoard restored = board;
    RecordingElements fresh;
    RestoreResults(restored, fresh);
    AdvanceResults(restored, kFrame, fresh);
    AdvanceResults(board, kFrame, live);
    ASSERT_EQ(fresh.properties, live.properties) << "frame " << frames << ", stage " << board.stage;
    ASSERT_EQ(fresh.texts, live.texts) << "frame " << frames;
    ASSERT_EQ(fresh.classes, live.classes) << "frame " << frames;
  }
  EXPECT_EQ(board.stage, 5);
  RecordingElements fresh;
  RestoreResults(board, fresh);
  EXPECT_EQ(fresh.properties, live.properties) << "the finished board";
}

}  // namespace
