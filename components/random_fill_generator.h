#pragma once
// The generator behind Tilemap::RandomFill: a linear congruential generator whose values lie in
// [0, 32767]. RandomFill's formulas scale its draws by 32767, so they need exactly this range;
// the C library's rand() has a wider one on this platform. The same seed gives the same map on
// every machine.
//
//   RandomFillGenerator generator(seed);
//   int r = generator.Next();   // 0 .. 32767

#include <cstdint>

class RandomFillGenerator {
 public:
  static constexpr int kMax = 32767;

  explicit RandomFillGenerator(unsigned int seed) : state(seed) {}

  // The next value, in [0, kMax].
  int Next() {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state / 65536u) % 32768u);
  }

 private:
  std::uint32_t state;
};
