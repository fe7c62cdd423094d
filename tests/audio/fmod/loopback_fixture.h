#pragma once
// An audio-layer system on the loopback device, test sound files written with libsndfile, and
// measurements of the rendered output.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "audio/fmod/audio_layer.h"
#include "audio/fmod/fmod.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

// Writes `frames` frames of `channels` channels at `rate`, sample i of channel c being
// signal(i, c). Returns the path, or an empty text when libsndfile cannot write the format.
inline std::string WriteSoundFile(const std::filesystem::path& path, int format, int rate,
                                  int channels, int frames,
                                  const std::function<float(int, int)>& signal) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return {};
  std::vector<float> data(static_cast<std::size_t>(frames * channels));
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c)
      data[static_cast<std::size_t>(i * channels + c)] = signal(i, c);
  }
  const sf_count_t written = sf_writef_float(file, data.data(), frames);
  sf_close(file);
  return written == frames ? path.string() : std::string{};
}

// A sine of `frequency` Hz and `amplitude` at the loopback rate, as a mono 16-bit wav.
inline std::string WriteSine(const std::filesystem::path& path, float frequency, float amplitude,
                             float seconds) {
  return WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kAudioLayerLoopbackRate, 1,
                        static_cast<int>(seconds * kAudioLayerLoopbackRate), [=](int i, int) {
                          return amplitude *
                                 std::sin(2.0f * std::numbers::pi_v<float> * frequency *
                                          static_cast<float>(i) / kAudioLayerLoopbackRate);
                        });
}

// Interleaved stereo frames rendered over several updates.
struct Rendered {
  std::vector<float> samples;

  int Frames() const { return static_cast<int>(samples.size() / 2); }
  float Rms(int side) const {
    double sum = 0.0;
    for (std::size_t i = static_cast<std::size_t>(side); i < samples.size(); i += 2) {
      sum += double{samples[i]} * samples[i];
    }
    return Frames() == 0 ? 0.0f : static_cast<float>(std::sqrt(sum / Frames()));
  }
  // Upward zero crossings per second on one side.
  float CrossingsPerSecond(int side) const {
    int crossings = 0;
    for (std::size_t i = static_cast<std::size_t>(side) + 2; i < samples.size(); i += 2) {
      if (samples[i - 2] < 0.0f && samples[i] >= 0.0f) ++crossings;
    }
    return static_cast<float>(crossings) * kAudioLayerLoopbackRate / static_cast<float>(Frames());
  }
};

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FMOD_System_Create(&system, FMOD_VERSION), FMOD_OK);
    ASSERT_EQ(FMOD_System_Init(system, voiceCount, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_BOOL loopback = 0;
    ASSERT_EQ(AudioLayer_IsLoopback(system, &loopback), FMOD_OK);
    ASSERT_TRUE(loopback);
  }
  void TearDown() override {
    if (system != nullptr) FMOD_System_Release(system);
  }

  FMOD_SOUND* Load(const std::string& path, FMOD_MODE mode = FMOD_LOOP_OFF | FMOD_2D) {
    FMOD_SOUND* sound = nullptr;
    EXPECT_EQ(FMOD_System_CreateSound(system, path.c_str(), mode, nullptr, &sound), FMOD_OK)
        << path;
    return sound;
  }
  FMOD_CHANNEL* Play(FMOD_SOUND* sound) {
    FMOD_CHANNEL* channel = nullptr;
    EXPECT_EQ(FMOD_System_PlaySound(system, sound, nullptr, 0, &channel), FMOD_OK);
    return channel;
  }
  // Runs `updates` updates and keeps what they rendered.
  Rendered Render(int updates) {
    Rendered rendered;
    for (int i = 0; i < updates; ++i) {
      EXPECT_EQ(FMOD_System_Update(system), FMOD_OK);
      const float* block = nullptr;
      int frames = 0;
      EXPECT_EQ(AudioLayer_GetLastRender(system, &block, &frames), FMOD_OK);
      rendered.samples.insert(rendered.samples.end(), block, block + 2 * frames);
    }
    return rendered;
  }
  bool Playing(FMOD_CHANNEL* channel) {
    FMOD_BOOL playing = 1;
    FMOD_Channel_IsPlaying(channel, &playing);
    return playing != 0;
  }

  int voiceCount = 32;
  ScopedEnvironment output{"KELVARIS_AUDIO_OUTPUT", "loopback"};
  TempFolder folder;
  FMOD_SYSTEM* system = nullptr;
};

}  // namespace testing_support
