#pragma once
// The random draws behind the scripts' random functions. Each takes 32-bit outputs of an
// engine (the game's "standard" or "gameplay" Mersenne Twister; tests pass a scripted one).

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace script_random {

// One output as a float in [0, 1]: converted to float (rounded to nearest, so outputs of
// 2^32 - 128 and above become 2^32) and scaled by 2^-32.
template <typename Engine>
float UnitDraw(Engine& engine) {
  return static_cast<float>(static_cast<std::uint32_t>(engine())) * 0x1p-32f;
}

}  // namespace script_random

// lo + (hi - lo) * u in float, lo and hi being the smaller and larger of a and b, u one unit
// draw. Takes one output.
template <typename Engine>
float DrawFloat(Engine& engine, float a, float b) {
  const float lo = std::min(a, b);
  const float hi = std::max(a, b);
  return lo + (hi - lo) * script_random::UnitDraw(engine);
}

// A uniform integer between the smaller and the larger of a and b, both included, without
// bias: outputs whose 64-bit product with the range size has low 32 bits below
// 2^32 mod (range size) are drawn again; the full 32-bit range takes one output as it is. The
// result passes through a float, so it is exact up to magnitude 2^24.
template <typename Engine>
long long DrawUniformInt(Engine& engine, int a, int b) {
  const int lo = std::min(a, b);
  const int hi = std::max(a, b);
  const std::uint32_t range = static_cast<std::uint32_t>(hi) - static_cast<std::uint32_t>(lo);
  std::uint32_t offset = 0;
  if (range == UINT32_MAX) {
    offset = static_cast<std::uint32_t>(engine());
  } else {
    const std::uint32_t count = range + 1;
    const std::uint32_t threshold = (0u - count) % count;  // 2^32 mod count
    std::uint64_t product = 0;
    do {
      product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(engine())) * count;
    } while (static_cast<std::uint32_t>(product) < threshold);
    offset = static_cast<std::uint32_t>(product >> 32);
  }
  const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(lo) + offset);
  return static_cast<long long>(static_cast<float>(value));
}

// The floor of DrawFloat(lo, hi + 1), kept within [lo, hi]: u = 1 would give hi + 1, and float
// rounding of bounds beyond 2^24 could leave the range. One output per call.
template <typename Engine>
long long DrawFloorInt(Engine& engine, int a, int b) {
  const int lo = std::min(a, b);
  const int hi = std::max(a, b);
  // hi + 1 in 64 bits: no overflow at INT_MAX.
  const float top = static_cast<float>(static_cast<long long>(hi) + 1);
  const float value = DrawFloat(engine, static_cast<float>(lo), top);
  return std::clamp<long long>(static_cast<long long>(std::floor(value)), lo, hi);
}
