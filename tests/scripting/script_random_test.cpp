#include "scripting/script_random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace {

// Hands out the given outputs in turn and counts how many were taken.
struct ScriptedEngine {
  std::uint32_t operator()() { return outputs.at(taken++); }
  std::vector<std::uint32_t> outputs;
  std::size_t taken = 0;
};

constexpr std::uint32_t kHalf = 0x80000000u;
constexpr std::uint32_t kTop = 0xFFFFFFFFu;  // rounds to u = 1

TEST(ScriptRandomTest, FloatDrawsScaleOneOutputIntoTheOrderedBounds) {
  const struct {
    float a, b;
    std::uint32_t output;
    float expected;
  } cases[] = {
      {2.0f, 5.0f, 0, 2.0f},     {5.0f, 2.0f, 0, 2.0f},  // the bounds in either order
      {2.0f, 5.0f, kHalf, 3.5f}, {5.0f, 2.0f, kHalf, 3.5f},
      {2.0f, 5.0f, kTop, 5.0f},  // the largest outputs reach the upper bound
      {3.0f, 3.0f, kHalf, 3.0f},
  };
  for (const auto& row : cases) {
    ScriptedEngine engine{{row.output}};
    EXPECT_FLOAT_EQ(DrawFloat(engine, row.a, row.b), row.expected) << row.a << " " << row.b;
    EXPECT_EQ(engine.taken, 1u);
  }
}

TEST(ScriptRandomTest, UniformIntegersRejectTheBiasedOutputs) {
  const struct {
    int a, b;
    std::vector<std::uint32_t> outputs;
    long long expected;
    std::size_t taken;
  } cases[] = {
      {4, 6, {kHalf}, 5, 1},
      {6, 4, {kTop}, 6, 1},
      // 2^32 mod 3 = 1: the output 0 (product 0, low bits 0) is drawn again.
      {4, 6, {0, kHalf}, 5, 2},
      {-3, -1, {0xAAAAAAABu}, -1, 1},
      {7, 7, {12345}, 7, 1},
      // The whole 32-bit range takes the output as it is.
      {INT_MIN, INT_MAX, {kHalf}, 0, 1},
  };
  for (const auto& row : cases) {
    ScriptedEngine engine{row.outputs};
    EXPECT_EQ(DrawUniformInt(engine, row.a, row.b), row.expected) << row.a << " " << row.b;
    EXPECT_EQ(engine.taken, row.taken) << row.a << " " << row.b;
  }
}

TEST(ScriptRandomTest, FloorIntegersStayWithinBothBoundsWithOneOutput) {
  const struct {
    int a, b;
    std::uint32_t output;
    long long expected;
  } cases[] = {
      {1, 3, 0, 1},
      {1, 3, kTop, 3},  // u = 1 lands on b + 1, kept at b
      // A negative range floors: -3 + 3 * 0.5 = -1.5 gives -2, not -1.
      {-3, -1, kHalf, -2},
      {-3, -1, 0, -3},
      {-3, -1, kTop, -1},
      {3, 1, kHalf, 2},  // bounds in either order
      {INT_MAX, INT_MAX, kHalf, INT_MAX},
      {INT_MIN, INT_MIN, kTop, INT_MIN},
  };
  for (const auto& row : cases) {
    ScriptedEngine engine{{row.output}};
    EXPECT_EQ(DrawFloorInt(engine, row.a, row.b), row.expected) << row.a << " " << row.b;
    EXPECT_EQ(engine.taken, 1u);
  }
}

TEST(ScriptRandomTest, IntegerDrawsCoverTheirWholeRange) {
  std::mt19937 engine(7);
  std::set<long long> uniform;
  std::set<long long> floored;
  for (int i = 0; i < 300; ++i) {
    uniform.insert(DrawUniformInt(engine, -3, -1));
    floored.insert(DrawFloorInt(engine, -3, -1));
  }
  EXPECT_EQ(uniform, (std::set<long long>{-3, -2, -1}));
  EXPECT_EQ(floored, (std::set<long long>{-3, -2, -1}));
}

}  // namespace
