#include <gtest/gtest.h>

#include <fstream>

#include "audio/fmod/fmod.h"
#include "tests/audio/fmod/loopback_fixture.h"

namespace {

using testing_support::LoopbackTest;
using testing_support::WriteSoundFile;

class FmodSound : public LoopbackTest {};

// Every format the game's data may use decodes and plays at the level it was written with
// (a 0.25 sine has an RMS of 0.177; at pan 0 each side gets 0.707 of it).
TEST_F(FmodSound, DecodesEachFormat) {
  struct Case {
    const char* file;
    int format;
  };
  const Case cases[] = {
      {"tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
      {"tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path =
        WriteSoundFile(folder.path / c.file, c.format, 48000, 1, 48000, [](int i, int) {
          return 0.25f * std::sin(2.0f * std::numbers::pi_v<float> * 440.0f * i / 48000.0f);
        });
    ASSERT_FALSE(path.empty()) << "libsndfile cannot write " << c.file;
    FMOD_CHANNEL* channel = Play(Load(path));
    Render(3);
    const auto rendered = Render(10);
    EXPECT_NEAR(rendered.Rms(0), 0.177f * 0.7071f, 0.01f);
    EXPECT_NEAR(rendered.CrossingsPerSecond(0), 440.0f, 10.0f);
    FMOD_Channel_Stop(channel);
  }
}

// Channels are averaged: a left-only sine plays at half its level on both sides, and opposite
// signals on the two channels cancel.
TEST_F(FmodSound, MixesChannelsDownToMono) {
  auto sine = [](int i) {
    return 0.4f * std::sin(2.0f * std::numbers::pi_v<float> * 300.0f * i / 48000.0f);
  };
  const std::string leftOnly =
      WriteSoundFile(folder.path / "left.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, 48000,
                     [&](int i, int c) { return c == 0 ? sine(i) : 0.0f; });
  const std::string opposite =
      WriteSoundFile(folder.path / "opposite.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, 48000,
                     [&](int i, int c) { return c == 0 ? sine(i) : -sine(i); });

  FMOD_CHANNEL* channel = Play(Load(leftOnly));
  Render(2);
  auto rendered = Render(10);
  EXPECT_NEAR(rendered.Rms(0), 0.2f * 0.7071f * 0.7071f, 0.005f);
  EXPECT_NEAR(rendered.Rms(1), rendered.Rms(0), 0.001f);
  FMOD_Channel_Stop(channel);

  Play(Load(opposite));
  Render(2);
  rendered = Render(10);
  EXPECT_LT(rendered.Rms(0), 1e-3f);
}

TEST_F(FmodSound, RefusesWhatItCannotLoad) {
  const std::string text = (folder.path / "notes.wav").string();
  std::ofstream(text) << "not a sound file";
  const std::string empty =
      WriteSoundFile(folder.path / "empty.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 0,
                     [](int, int) { return 0.0f; });
  const std::string good = testing_support::WriteSine(folder.path / "good.wav", 440, 0.5f, 0.1f);
  struct Case {
    const char* what;
    std::string path;
    FMOD_MODE mode;
    FMOD_RESULT expected;
  };
  const Case cases[] = {
      {"missing file", (folder.path / "missing.wav").string(), FMOD_LOOP_OFF,
       FMOD_ERR_FILE_NOTFOUND},
      {"a folder", folder.path.string(), FMOD_LOOP_OFF, FMOD_ERR_FILE_NOTFOUND},
      {"text", text, FMOD_LOOP_OFF, FMOD_ERR_FORMAT},
      {"no frames", empty, FMOD_LOOP_OFF, FMOD_ERR_FORMAT},
      {"both loop modes", good, FMOD_LOOP_OFF | FMOD_LOOP_NORMAL, FMOD_ERR_INVALID_PARAM},
      {"unknown mode bit", good, FMOD_2D | 0x100u, FMOD_ERR_INVALID_PARAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FMOD_SOUND* sound = reinterpret_cast<FMOD_SOUND*>(1);
    EXPECT_EQ(FMOD_System_CreateSound(system, c.path.c_str(), c.mode, nullptr, &sound), c.expected);
    EXPECT_EQ(sound, nullptr);
  }
  FMOD_SOUND* sound = nullptr;
  EXPECT_EQ(FMOD_System_CreateSound(system, nullptr, FMOD_DEFAULT, nullptr, &sound),
            FMOD_ERR_INVALID_PARAM);
  EXPECT_EQ(FMOD_System_CreateSound(system, good.c_str(), FMOD_DEFAULT, nullptr, nullptr),
            FMOD_ERR_INVALID_PARAM);
}

// Releasing a sound silences it and leaves its channels stale; a released sound cannot play.
TEST_F(FmodSound, ReleaseStopsItsChannels) {
  FMOD_SOUND* sound = Load(testing_support::WriteSine(folder.path / "a.wav", 440, 0.5f, 1.0f));
  FMOD_CHANNEL* channel = Play(sound);
  Render(2);
  ASSERT_EQ(FMOD_Sound_Release(sound), FMOD_OK);
  EXPECT_FALSE(Playing(channel));
  Render(1);
  EXPECT_EQ(Render(3).Rms(0), 0.0f);
  EXPECT_EQ(FMOD_Sound_Release(sound), FMOD_ERR_INVALID_HANDLE);
  FMOD_CHANNEL* none = nullptr;
  EXPECT_EQ(FMOD_System_PlaySound(system, sound, nullptr, 0, &none), FMOD_ERR_INVALID_HANDLE);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
