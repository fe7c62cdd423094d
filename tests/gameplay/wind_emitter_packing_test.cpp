#include "gameplay/wind_emitter_packing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <vector>

#include "components/physics.h"
#include "components/transform.h"
#include "components/wind_emitter.h"

namespace {

float FloatAt(const std::vector<std::uint32_t>& words, std::size_t index) {
  return std::bit_cast<float>(words.at(index));
}

TEST(WindEmitterPackingTest, RecordsFollowTheEmitterTypeTransformAndBody) {
  struct Case {
    const char* name;
    WindEmitterType type;
    glm::vec2 offset;
    float rotationY;                    // degrees
    std::optional<glm::vec3> velocity;  // the body, if any
    float threshold;
    glm::vec2 direction;
    float strength;
    glm::vec3 position;
  };
  // Emitter: angle 90 degrees, strength 2, at (1, 5, 3).
  const Case cases[] = {
      {"directional: offset in x/z, turned with the entity",
       WindEmitterType::Directional,
       {1.0f, 2.0f},
       90.0f,
       std::nullopt,
       0.0f,
       {-1.0f, 0.0f},
       2.0f,
       {2.0f, 5.0f, 5.0f}},
      {"vortex: offset and rotation unused",
       WindEmitterType::Vortex,
       {1.0f, 2.0f},
       90.0f,
       std::nullopt,
       0.0f,
       {0.0f, 1.0f},
       2.0f,
       {1.0f, 5.0f, 3.0f}},
      {"moving without a body: as placed",
       WindEmitterType::Moving,
       {1.0f, 0.0f},
       0.0f,
       std::nullopt,
       0.0f,
       {0.0f, 1.0f},
       2.0f,
       {1.0f, 5.0f, 3.0f}},
      {"moving slower than its threshold: no strength",
       WindEmitterType::Moving,
       {0.0f, 0.0f},
       0.0f,
       glm::vec3(1.0f, 0.0f, 0.0f),
       2.0f,
       {0.0f, 1.0f},
       0.0f,
       {1.0f, 5.0f, 3.0f}},
      {"moving faster: heading added, strength times speed, offset turned",
       WindEmitterType::Moving,
       {1.0f, 0.0f},
       0.0f,
       glm::vec3(0.0f, 9.0f, 3.0f),
       2.0f,
       {-1.0f, 0.0f},
       6.0f,
       {0.0f, 5.0f, 3.0f}},
  };
  for (const Case& test : cases) {
    WindEmitter emitter;
    emitter._type = test.type;
    emitter._directionAngle = 90.0f;
    emitter._strength = 2.0f;
    emitter._radius = 7.0f;
    emitter._resolution = 3;
    emitter._offset = test.offset;
    emitter._movingVelocityThreshold = test.threshold;
    const Transform transform({1.0f, 5.0f, 3.0f}, {0.0f, test.rotationY, 0.0f}, glm::vec3(1.0f));
    Physics body;
    if (test.velocity) body._velocity = *test.velocity;

    const WindEmitterRecord record =
        MakeWindEmitterRecord(emitter, transform, test.velocity ? &body : nullptr);
    EXPECT_EQ(record.type, static_cast<int>(test.type)) << test.name;
    EXPECT_NEAR(record.direction.x, test.direction.x, 1e-5f) << test.name;
    EXPECT_NEAR(record.direction.y, test.direction.y, 1e-5f) << test.name;
    EXPECT_FLOAT_EQ(record.strength, test.strength) << test.name;
    EXPECT_NEAR(record.position.x, test.position.x, 1e-5f) << test.name;
    EXPECT_FLOAT_EQ(record.position.y, test.position.y) << test.name;
    EXPECT_NEAR(record.position.z, test.position.z, 1e-5f) << test.name;
    EXPECT_EQ(record.radius, 7.0f) << test.name;
    EXPECT_EQ(record.resolution, 3) << test.name;
  }
}

TEST(WindEmitterPackingTest, WordsHoldTheHeaderAndTwentyFourWordsPerEmitter) {
  std::vector<std::uint32_t> words{1u, 2u, 3u};
  PackWindEmitters({}, words);
  EXPECT_EQ(words, std::vector<std::uint32_t>(4, 0u)) << "no emitters: a header counting 0";

  const WindEmitterRecord records[] = {
      {0, {0.6f, 0.8f}, 1.5f, 4.0f, 4, {1.0f, 2.0f, 3.0f}},
      {1, {1.0f, 0.0f}, 0.5f, 9.0f, -2, {-1.0f, 0.0f, 7.0f}},
  };
  PackWindEmitters(records, words);
  ASSERT_EQ(words.size(), 4u + 2u * 24u);
  EXPECT_EQ(FloatAt(words, 0), 2.0f);
  for (std::size_t i = 0; i < 2; ++i) {
    const WindEmitterRecord& record = records[i];
    const std::size_t base = 4 + i * 24;
    std::vector<std::uint32_t> expected(24, 0u);
    expected[0] = std::bit_cast<std::uint32_t>(record.type);
    expected[4] = std::bit_cast<std::uint32_t>(record.direction.x);
    expected[5] = std::bit_cast<std::uint32_t>(record.direction.y);
    expected[8] = std::bit_cast<std::uint32_t>(record.strength);
    expected[12] = std::bit_cast<std::uint32_t>(record.radius);
    expected[16] = std::bit_cast<std::uint32_t>(record.resolution);
    expected[20] = std::bit_cast<std::uint32_t>(record.position.x);
    expected[21] = std::bit_cast<std::uint32_t>(record.position.y);
    expected[22] = std::bit_cast<std::uint32_t>(record.position.z);
    EXPECT_EQ(std::vector<std::uint32_t>(words.begin() + static_cast<long>(base),
                                         words.begin() + static_cast<long>(base + 24)),
              expected)
        << "emitter " << i;
  }
}

TEST(WindEmitterPackingTest, StrengthWalksWithinItsRangeAndClampsEveryUpdate) {
  std::mt19937 random(7);
  WindEmitter fixed;  // delta 0, range (0, 0)
  fixed._strength = 3.0f;
  StepWindStrength(fixed, random);
  EXPECT_EQ(fixed._strength, 0.0f) << "the default range clamps to 0";

  WindEmitter walking;
  walking._strength = 1.0f;
  walking._strengthVariationRange = {0.5f, 1.5f};
  walking._strenghVariationDelta = 0.4f;
  bool moved = false;
  for (int i = 0; i < 200; ++i) {
    const float before = walking._strength;
    StepWindStrength(walking, random);
    ASSERT_GE(walking._strength, 0.5f);
    ASSERT_LE(walking._strength, 1.5f);
    ASSERT_LE(std::fabs(walking._strength - before), 0.2f + 1e-6f);
    moved = moved || walking._strength != before;
  }
  EXPECT_TRUE(moved);

  WindEmitter broken;
  broken._strength = 1.0f;
  broken._strengthVariationRange = {0.0f, 2.0f};
  broken._strenghVariationDelta = std::nanf("");
  StepWindStrength(broken, random);
  EXPECT_EQ(broken._strength, 1.0f) << "a delta that is no number makes no step";
}

}  // namespace
