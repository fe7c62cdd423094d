#include "gameplay/slam_attack_system.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/engine_fixture.h"

namespace {

class SlamAttackSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    slam = systems->RegisterSystem<SlamAttackSystem>().get();
  }

  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }

  const WaveData& Published(int index) {
    return decs->globalUniforms.waves.at(SlamAttackSystem::UniformName(index));
  }

  SlamAttackSystem* slam = nullptr;
};

TEST_F(SlamAttackSystemTest, StartWaveFillsTheFirstFreeSlotAndIgnoresMalformedMessages) {
  const char* ignored[] = {
      "StartWave",
      "StartWave 1 2 3 4 5",
      "StartWave 1 2 3 4 5 6 7",
      "StartWave 1 2 x 4 5 6",
      "StartWave 1 2 3 4 5 1e99",
      "StartWaves 1 2 3 4 5 6",
  };
  for (const char* message : ignored) {
    Post(message);
    EXPECT_FALSE(slam->waves[0].active) << message;
  }

  Post("StartWave 1 2 3 4 5 6");
  ASSERT_TRUE(slam->waves[0].active);
  const WaveData& wave = slam->waves[0].data;
  EXPECT_EQ(wave.origin, glm::vec2(1, 2));
  EXPECT_EQ(wave.time, 0.0f);
  EXPECT_EQ(wave.dist, 3.0f);
  EXPECT_EQ(wave.height, 4.0f);
  EXPECT_EQ(wave.width, 5.0f);
  EXPECT_EQ(wave.speed, 6.0f);

  for (int i = 1; i < SlamAttackSystem::kMaxWaves; ++i) Post("StartWave 7 7 7 7 7 7");
  Post("StartWave 9 9 9 9 9 9");  // a tenth wave while nine are alive
  for (const auto& live : slam->waves) {
    EXPECT_TRUE(live.active);
    EXPECT_NE(live.data.origin.x, 9.0f);
  }
}

TEST_F(SlamAttackSystemTest, WavesAgeRetireAfterFifteenSecondsAndAreAlwaysPublished) {
  Post("StartWave 1 2 3 4 5 6");
  slam->Update(0.0f);
  for (int i = 0; i < SlamAttackSystem::kMaxWaves; ++i) {
    EXPECT_TRUE(decs->globalUniforms.waves.contains("waveData[" + std::to_string(i) + "]")) << i;
  }

  slam->Update(5.0f);
  Post("StartWave 10 20 30 40 50 60");  // slot 1, five seconds younger
  slam->Update(10.0f);
  EXPECT_TRUE(slam->waves[0].active) << "exactly 15 s is still alive";
  EXPECT_FLOAT_EQ(Published(0).time, 15.0f);
  EXPECT_FLOAT_EQ(Published(1).time, 10.0f);

  slam->Update(0.5f);
  EXPECT_FALSE(slam->waves[0].active);
  EXPECT_TRUE(slam->waves[1].active);
  // A retired wave keeps its shape with time 0, and is still published.
  EXPECT_EQ(Published(0).time, 0.0f);
  EXPECT_EQ(Published(0).origin, glm::vec2(1, 2));
  EXPECT_EQ(Published(0).speed, 6.0f);
  EXPECT_FLOAT_EQ(Published(1).time, 10.5f);

  // The retired slot is the first one reused.
  Post("StartWave 5 5 5 5 5 5");
  EXPECT_TRUE(slam->waves[0].active);
  EXPECT_EQ(slam->waves[0].data.origin, glm::vec2(5, 5));
  EXPECT_FALSE(slam->waves[2].active);
}

}  // namespace
