#pragma once
// What the benchmarks that run the whole game share: a clock the loop moves by hand, wall
// time, percentiles, and the start in the repository's data folder.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <vector>

#include "app/startup.h"
#include "engine/engine_clock.h"

// The engine's clock, moved by the benchmark (1/60 s per pass of the game loop).
class StepClock final : public EngineClock {
 public:
  double Now() const override { return now; }
  double now = 1000.0;
};

inline double ClockSeconds(clockid_t clock) {
  timespec time{};
  clock_gettime(clock, &time);
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

inline double WallSeconds() { return ClockSeconds(CLOCK_MONOTONIC); }

// The value below which `fraction` of the values lie (0 for none).
inline double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// Stays in the working directory when it holds GAME/ (so a copy of the data can be measured),
// else makes `sourceFolder` (the repository, which holds GAME/) the working directory as the
// game would find it. Returns false after printing the reason when it cannot.
inline bool EnterGameData(const char* sourceFolder) {
  try {
    if (!std::filesystem::is_directory("GAME")) std::filesystem::current_path(sourceFolder);
    EnterDataFolder();
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return false;
  }
}
