#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "audio/fmod/fmod.h"
#include "tests/audio/fmod/loopback_fixture.h"

namespace {

using testing_support::LoopbackTest;
using testing_support::WriteSine;

// RMS of the 0.25 sine the tests play.
constexpr float kSineRms = 0.25f * 0.70710678f;

class FmodChannel : public LoopbackTest {
 protected:
  FMOD_SOUND* Tone(const char* name = "tone.wav", float seconds = 2.0f,
                   FMOD_MODE mode = FMOD_LOOP_OFF | FMOD_2D) {
    return Load(WriteSine(folder.path / name, 440.0f, 0.25f, seconds), mode);
  }
  // Lets a change settle for one block, then measures ten.
  testing_support::Rendered Settled() {
    Render(1);
    return Render(10);
  }
};

// Volume scales both sides linearly, also above 1.
TEST_F(FmodChannel, VolumeScalesTheOutput) {
  FMOD_CHANNEL* channel = Play(Tone());
  for (const float volume : {1.0f, 0.5f, 2.0f, 0.0f}) {
    SCOPED_TRACE(volume);
    ASSERT_EQ(FMOD_Channel_SetVolume(channel, volume), FMOD_OK);
    const auto rendered = Settled();
    const float expected = volume * kSineRms * 0.70710678f;
    EXPECT_NEAR(rendered.Rms(0), expected, 0.01f * expected + 1e-4f);
    EXPECT_NEAR(rendered.Rms(1), expected, 0.01f * expected + 1e-4f);
  }
  EXPECT_EQ(FMOD_Channel_SetVolume(channel, std::numeric_limits<float>::quiet_NaN()),
            FMOD_ERR_INVALID_PARAM);
}

// Pan follows the constant-power law: left cos(t), right sin(t), t = (pan + 1) * pi / 4.
TEST_F(FmodChannel, PanFollowsTheConstantPowerLaw) {
  FMOD_CHANNEL* channel = Play(Tone());
  for (const float pan : {-1.0f, -0.7f, -0.3f, 0.0f, 0.5f, 0.7f, 1.0f, 3.0f}) {
    SCOPED_TRACE(pan);
    ASSERT_EQ(FMOD_Channel_SetPan(channel, pan), FMOD_OK);
    const auto rendered = Settled();
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    EXPECT_NEAR(rendered.Rms(0), kSineRms * std::cos(angle), 0.002f);
    EXPECT_NEAR(rendered.Rms(1), kSineRms * std::sin(angle), 0.002f);
    const float energy = rendered.Rms(0) * rendered.Rms(0) + rendered.Rms(1) * rendered.Rms(1);
    EXPECT_NEAR(energy, kSineRms * kSineRms, 0.002f) << "the total energy stays the same";
  }
}

// Pitch scales the frequency, clamped to 0.01..8.
TEST_F(FmodChannel, PitchScalesTheFrequency) {
  FMOD_CHANNEL* channel = Play(Tone("tone.wav", 10.0f));
  for (const auto& [pitch, frequency] :
       {std::pair{1.0f, 440.0f}, {2.0f, 880.0f}, {0.5f, 220.0f}, {20.0f, 3520.0f}}) {
    SCOPED_TRACE(pitch);
    ASSERT_EQ(FMOD_Channel_SetPitch(channel, pitch), FMOD_OK);
    EXPECT_NEAR(Settled().CrossingsPerSecond(0), frequency, frequency * 0.02f);
  }
}

// A looping sound keeps playing past its end; one that does not loop ends, and its channel
// then reports not playing and ignores calls.
TEST_F(FmodChannel, LoopingAndEnding) {
  FMOD_CHANNEL* looping = Play(Tone("loop.wav", 0.05f, FMOD_LOOP_NORMAL | FMOD_2D));
  FMOD_CHANNEL* once = Play(Tone("once.wav", 0.05f));
  FMOD_Channel_SetPan(looping, -1.0f);
  FMOD_Channel_SetPan(once, 1.0f);
  Render(12);
  EXPECT_TRUE(Playing(looping));
  EXPECT_FALSE(Playing(once));
  EXPECT_EQ(FMOD_Channel_SetVolume(once, 1.0f), FMOD_ERR_INVALID_HANDLE);
  const auto rendered = Render(10);
  EXPECT_NEAR(rendered.Rms(0), kSineRms, 0.01f);
  EXPECT_EQ(rendered.Rms(1), 0.0f);
}

// Stop silences the channel at once and leaves the handle stale.
TEST_F(FmodChannel, StopSilencesAndStalesTheHandle) {
  FMOD_CHANNEL* channel = Play(Tone());
  Render(2);
  ASSERT_EQ(FMOD_Channel_Stop(channel), FMOD_OK);
  EXPECT_FALSE(Playing(channel));
  EXPECT_EQ(Settled().Rms(0), 0.0f);
  for (const auto call : {+[](FMOD_CHANNEL* c) { return FMOD_Channel_Stop(c); },
                          +[](FMOD_CHANNEL* c) { return FMOD_Channel_SetVolume(c, 1.0f); },
                          +[](FMOD_CHANNEL* c) { return FMOD_Channel_SetPan(c, 0.0f); },
                          +[](FMOD_CHANNEL* c) { return FMOD_Channel_SetPitch(c, 1.0f); }}) {
    EXPECT_EQ(call(channel), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(call(nullptr), FMOD_ERR_INVALID_HANDLE);
  }
  EXPECT_EQ(Settled().Rms(0), 0.0f) << "calls on the stale handle reach no other sound";
}

class FmodChannelSteal : public FmodChannel {
 protected:
  FmodChannelSteal() { voiceCount = 3; }
};

// With every voice busy the oldest sound that does not loop gives up its voice; its old handle
// then no longer reaches the voice's new sound. With only looping sounds, nothing starts.
TEST_F(FmodChannelSteal, TakesTheOldestVoiceThatDoesNotLoop) {
  FMOD_SOUND* loop = Tone("loop.wav", 1.0f, FMOD_LOOP_NORMAL | FMOD_2D);
  FMOD_SOUND* once = Tone("once.wav", 2.0f);
  FMOD_CHANNEL* loopA = Play(loop);
  FMOD_CHANNEL* onceB = Play(once);
  FMOD_CHANNEL* onceC = Play(once);
  FMOD_CHANNEL* onceD = Play(once);
  EXPECT_TRUE(Playing(loopA));
  EXPECT_FALSE(Playing(onceB)) << "oldest one-shot taken";
  EXPECT_TRUE(Playing(onceC));
  EXPECT_TRUE(Playing(onceD));
  ASSERT_EQ(FMOD_Channel_Stop(onceB), FMOD_ERR_INVALID_HANDLE);
  EXPECT_TRUE(Playing(onceD)) << "the stale handle did not stop the voice's new sound";

  Play(loop);  // takes onceC's voice
  EXPECT_FALSE(Playing(onceC));
  Play(loop);  // takes onceD's voice
  FMOD_CHANNEL* refused = reinterpret_cast<FMOD_CHANNEL*>(1);
  EXPECT_EQ(FMOD_System_PlaySound(system, once, nullptr, 0, &refused), FMOD_ERR_CHANNEL_ALLOC);
  EXPECT_EQ(refused, nullptr);
  EXPECT_TRUE(Playing(loopA));
}

}  // namespace
