#pragma once
// The engine's time source: a steady, monotonic clock read as double seconds.
// DECS takes it as an object so that tests can drive the main loop with a clock of their own.

#include <chrono>

class EngineClock {
 public:
  virtual ~EngineClock() = default;
  // Seconds since an arbitrary, fixed origin; never decreases.
  virtual double Now() const = 0;
};

class SteadyEngineClock final : public EngineClock {
 public:
  double Now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};
