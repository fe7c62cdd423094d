// Grades from score and time: the grade rows, the time penalty and its bounds, the clock.

#include "ui/grade_calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct GradeCase {
  const char* name;
  float score;
  float seconds;
  bool penalty;
  float scale;
  const char* grade;
  float rating;
  float multiplier;
  bool penaltyApplied;
};

TEST(GradeCalculatorTest, ScoreAndTimeGiveGradeRatingAndMultiplier) {
  const GradeCase cases[] = {
      {"nothing scored", 0.0f, 60.0f, true, 1.0f, "C", 0.0f, 1.0f, false},
      {"no time", 500.0f, 0.0f, true, 1.0f, "C", 0.0f, 1.0f, false},
      {"rate exactly S+", 50.0f, 1.0f, false, 1.0f, "S+", 1.5f, 1.0f, false},
      {"A without penalty", 1800.0f, 60.0f, false, 1.0f, "A", 0.9f, 1.0f, false},
      // Past row A's 35 s limit: e^-1 is held at the row's 0.75 floor.
      {"A decays to B+", 1800.0f, 60.0f, true, 1.0f, "B+", 0.675f, 0.75f, true},
      {"A+ held at its floor", 3000.0f, 90.0f, true, 1.0f, "A+", 0.95f, 0.95f, false},
      // The S floor of 1.2 is above 1: a penalty never raises a grade, so S stays S.
      {"slow S stays S", 4800.0f, 100.0f, true, 1.0f, "S", 1.44f, 1.0f, false},
      {"slow S+ stays S+", 5000.0f, 100.0f, true, 1.0f, "S+", 1.5f, 1.0f, false},
      {"within the time limit", 1000.0f, 30.0f, true, 1.0f, "A+", 1000.0f / 30.0f / 33.333332f,
       1.0f, false},
      {"scale 0 takes no penalty", 1800.0f, 60.0f, true, 0.0f, "A", 0.9f, 1.0f, false},
      {"decay above the floor", 1200.0f, 40.0f, true, 1.0f, "B+", 0.9f * std::exp(-0.2f),
       std::exp(-0.2f), true},
  };
  for (const GradeCase& c : cases) {
    SCOPED_TRACE(c.name);
    GradeCalculator calculator;
    calculator.SetTimePenaltyEnabled(c.penalty);
    calculator.SetPenaltyScale(c.scale);
    calculator.SetScore(c.score);
    calculator.SetElapsed(c.seconds);
    const GradeResult result = calculator.ComputeGrade();
    EXPECT_EQ(result.gradeText, c.grade);
    EXPECT_EQ(GradeCalculator::GradeName(result.gradeIndex), result.gradeText);
    EXPECT_NEAR(result.rating, c.rating, 1e-4f);
    EXPECT_NEAR(result.multiplier, c.multiplier, 1e-5f);
    EXPECT_EQ(result.penaltyApplied, c.penaltyApplied);
  }
}

TEST(GradeCalculatorTest, BadInputsAreStoredAsZero) {
  GradeCalculator calculator;
  calculator.SetScore(-5.0f);
  calculator.SetElapsed(-3.0f);
  EXPECT_EQ(calculator.Score(), 0.0f);
  EXPECT_EQ(calculator.Elapsed(), 0.0f);
  calculator.SetScore(std::numeric_limits<float>::quiet_NaN());
  calculator.SetElapsed(10.0f);
  EXPECT_EQ(calculator.ComputeGrade().gradeText, "C");
  EXPECT_STREQ(GradeCalculator::GradeName(-1), "C");
  EXPECT_STREQ(GradeCalculator::GradeName(8), "C");
}

TEST(GradeCalculatorTest, StoppedClockFreezesTheGradeUntilReset) {
  GradeCalculator calculator;
  calculator.SetScore(1000.0f);
  calculator.Tick(10.0f);
  calculator.StopClock();
  const GradeResult frozen = calculator.ComputeGrade();
  calculator.Tick(500.0f);
  calculator.StopClock();  // a second stop keeps the first time
  EXPECT_EQ(calculator.Elapsed(), 510.0f);
  EXPECT_EQ(calculator.ComputeGrade().rating, frozen.rating);
  EXPECT_EQ(frozen.gradeText, "S+");

  calculator.SetTimePenaltyEnabled(false);
  calculator.SetPenaltyScale(2.0f);
  calculator.SetTookDamage(true);
  calculator.Reset();
  EXPECT_FALSE(calculator.ClockStopped());
  EXPECT_FALSE(calculator.TookDamage());
  EXPECT_EQ(calculator.Elapsed(), 0.0f);
  EXPECT_EQ(calculator.Score(), 0.0f);
  // The penalty switch survives the reset.
  calculator.SetScore(1800.0f);
  calculator.Tick(60.0f);
  EXPECT_EQ(calculator.ComputeGrade().gradeText, "A");
}

}  // namespace
