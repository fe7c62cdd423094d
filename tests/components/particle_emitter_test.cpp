#include "components/particle_emitter.h"

#include <gtest/gtest.h>

namespace {

TEST(ParticleEmitter, SwitchesSetActivityBurstAndParticles) {
  enum class Call { Play, PlayBurst, Stop };
  // Every emitter starts with a burst timer of 0.4 s, a burst duration of 3 s and 2 particles.
  const struct {
    const char* what;
    bool activeBefore;
    bool burstModeBefore;
    Call call;
    float argument;  // PlayBurst: duration; Stop: non-zero discards
    bool active;
    bool burstMode;
    float burstTimer;
    float burstDuration;
    std::size_t particles;
  } cases[] = {
      {"play outside a burst", false, false, Call::Play, 0, true, false, 0.4f, 3.0f, 2},
      {"play in burst mode restarts", false, true, Call::Play, 0, true, true, 0.0f, 3.0f, 2},
      {"burst with a duration", false, false, Call::PlayBurst, 2.5f, true, true, 0.0f, 2.5f, 2},
      {"burst with 0", false, false, Call::PlayBurst, 0, true, true, 0.0f, 3.0f, 2},
      {"burst with -1", true, true, Call::PlayBurst, -1, true, true, 0.0f, 3.0f, 2},
      {"stop keeping particles", true, true, Call::Stop, 0, false, true, 0.4f, 3.0f, 2},
      {"stop discarding particles", true, false, Call::Stop, 1, false, false, 0.4f, 3.0f, 0},
  };
  for (const auto& testCase : cases) {
    ParticleEmitter emitter;
    emitter._active = testCase.activeBefore;
    emitter._burstMode = testCase.burstModeBefore;
    emitter.burstTimer = 0.4f;
    emitter._burstDuration = 3.0f;
    emitter.particles.resize(2);

    switch (testCase.call) {
      case Call::Play:
        emitter.Play();
        break;
      case Call::PlayBurst:
        emitter.PlayBurst(testCase.argument);
        break;
      case Call::Stop:
        emitter.Stop(testCase.argument != 0.0f);
        break;
    }

    EXPECT_EQ(emitter._active, testCase.active) << testCase.what;
    EXPECT_EQ(emitter._burstMode, testCase.burstMode) << testCase.what;
    EXPECT_EQ(emitter.burstTimer, testCase.burstTimer) << testCase.what;
    EXPECT_EQ(emitter._burstDuration, testCase.burstDuration) << testCase.what;
    EXPECT_EQ(emitter.particles.size(), testCase.particles) << testCase.what;
  }
}

}  // namespace
