#pragma once
// GradeCalculator: turns a run's score and elapsed time into a grade from "C" to "S+".
//
// The grade rests on the score rate (score per second, scaled), eight rows with a rate threshold
// each, and an optional time penalty that shrinks the rate once a run is slower than its row's
// time limit. The penalty only ever lowers a rating: the multiplier is held between the row's
// rate threshold and 1.

#include <string>

struct GradeResult {
  int gradeIndex = 0;  // 0..7
  std::string gradeText;
  float rating = 0.0f;
  float multiplier = 1.0f;
  bool penaltyApplied = false;
};

class GradeCalculator {
 public:
  static constexpr int kGradeCount = 8;

  void SetScore(float score);      // negative or not-a-number scores are stored as 0
  void SetElapsed(float seconds);  // seconds; negative is stored as 0
  void SetTimePenaltyEnabled(bool enabled);
  void SetPenaltyScale(float scale);  // multiplies every decay rate; negative is stored as 0
  // Freezes the time the grade reads; a second call changes nothing.
  void StopClock();
  // Back to a fresh run; the penalty switch and scale are kept.
  void Reset();
  // Advances the run time by dt seconds (also while the clock is stopped).
  void Tick(float dt);

  GradeResult ComputeGrade() const;
  // The grade text of index 0..7, "C" for any other index.
  static const char* GradeName(int index);

  float Score() const { return score; }
  float Elapsed() const { return elapsed; }
  // The run's time: the frozen time once the clock is stopped, else the running time.
  float RunTime() const { return clockStopped ? frozenElapsed : elapsed; }
  bool ClockStopped() const { return clockStopped; }
  bool TookDamage() const { return tookDamage; }
  void SetTookDamage(bool value) { tookDamage = value; }

 private:
  float TimeMultiplier(float seconds, int row) const;

  float score = 0.0f;
  float elapsed = 0.0f;
  bool timePenaltyEnabled = true;
  float penaltyScale = 1.0f;
  bool clockStopped = false;
  float frozenElapsed = 0.0f;
  bool tookDamage = false;
};
