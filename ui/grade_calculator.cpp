#include "ui/grade_calculator.h"

#include <algorithm>
#include <cmath>

namespace {

struct GradeRow {
  const char* text;
  float rateThreshold;  // also the row's lowest time multiplier
  float timeLimit;      // seconds
  float decayRate;
};

constexpr GradeRow kGradeTable[GradeCalculator::kGradeCount] = {
    {"C", 0.0f, 10.0f, 0.02f},    {"C+", 0.15f, 15.0f, 0.025f}, {"B", 0.35f, 20.0f, 0.03f},
    {"B+", 0.55f, 25.0f, 0.035f}, {"A", 0.75f, 35.0f, 0.04f},   {"A+", 0.95f, 45.0f, 0.045f},
    {"S", 1.2f, 60.0f, 0.05f},    {"S+", 1.5f, 90.0f, 0.055f},
};

// Score per second that rates 1.0.
constexpr float kRateDivisor = 33.333332f;

// The highest row whose threshold the rate reaches; 0 for none, including a rate that is NaN.
int GradeForRate(float rate) {
  for (int index = GradeCalculator::kGradeCount - 1; index >= 0; --index) {
    if (kGradeTable[index].rateThreshold <= rate) return index;
  }
  return 0;
}

float NonNegative(float value) { return value > 0.0f ? value : 0.0f; }

}  // namespace

void GradeCalculator::SetScore(float value) { score = NonNegative(value); }
void GradeCalculator::SetElapsed(float seconds) { elapsed = NonNegative(seconds); }
void GradeCalculator::SetTimePenaltyEnabled(bool enabled) { timePenaltyEnabled = enabled; }
void GradeCalculator::SetPenaltyScale(float scale) { penaltyScale = NonNegative(scale); }

void GradeCalculator::StopClock() {
  if (clockStopped) return;
  frozenElapsed = elapsed;
  clockStopped = true;
}

void GradeCalculator::Reset() {
  score = 0.0f;
  elapsed = 0.0f;
  clockStopped = false;
  frozenElapsed = 0.0f;
  tookDamage = false;
}

void GradeCalculator::Tick(float dt) { elapsed = NonNegative(elapsed + dt); }

const char* GradeCalculator::GradeName(int index) {
  if (index < 0 || index >= kGradeCount) return kGradeTable[0].text;
  return kGradeTable[index].text;
}

// Between the row's threshold and 1: past the time limit the rate decays exponentially, but a
// slow run never rates below the row's own threshold, and never above its plain rate.
float GradeCalculator::TimeMultiplier(float seconds, int row) const {
  const GradeRow& grade = kGradeTable[row];
  if (!timePenaltyEnabled || seconds <= grade.timeLimit) return 1.0f;
  const float decay = std::exp(-(seconds - grade.timeLimit) * grade.decayRate * penaltyScale);
  return std::min(1.0f, std::max(decay, grade.rateThreshold));
}

GradeResult GradeCalculator::ComputeGrade() const {
  const float seconds = RunTime();
  const float rate = seconds <= 0.0f ? 0.0f : score / seconds / kRateDivisor;
  int index = GradeForRate(rate);
  float multiplier = 1.0f;
  if (timePenaltyEnabled && index > 0) {
    multiplier = TimeMultiplier(seconds, index);
    index = GradeForRate(multiplier * rate);
  }
  return GradeResult{index, GradeName(index), multiplier * rate, multiplier,
                     timePenaltyEnabled && multiplier < 0.95f};
}
