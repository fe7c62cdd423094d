#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "audio/fmod/audio_layer.h"
#include "audio/fmod/fmod.h"
#include "tests/audio/fmod/loopback_fixture.h"

namespace {

using testing_support::LoopbackTest;

// The order of calls the sound system makes, and the calls that are out of order.
TEST(FmodSystemLifecycle, CallsOutOfOrderAreRefused) {
  testing_support::ScopedEnvironment output("KELVARIS_AUDIO_OUTPUT", "loopback");
  FMOD_SYSTEM* system = nullptr;
  EXPECT_EQ(FMOD_System_Create(&system, 0x20000), FMOD_ERR_HEADER_MISMATCH);
  EXPECT_EQ(system, nullptr);
  ASSERT_EQ(FMOD_System_Create(&system, FMOD_VERSION), FMOD_OK);

  EXPECT_EQ(FMOD_System_Update(system), FMOD_ERR_UNINITIALIZED);
  FMOD_SOUND* sound = nullptr;
  EXPECT_EQ(FMOD_System_CreateSound(system, "x.wav", FMOD_LOOP_OFF, nullptr, &sound),
            FMOD_ERR_UNINITIALIZED);
  EXPECT_EQ(FMOD_System_Init(system, 0, FMOD_INIT_NORMAL, nullptr), FMOD_ERR_INVALID_PARAM);
  EXPECT_EQ(FMOD_System_SetSoftwareChannels(system, 32), FMOD_OK);
  ASSERT_EQ(FMOD_System_Init(system, 32, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
  EXPECT_EQ(FMOD_System_Init(system, 32, FMOD_INIT_NORMAL, nullptr), FMOD_ERR_INITIALIZED);
  // The sound system sets the software channels after Init; that is refused and harmless.
  EXPECT_EQ(FMOD_System_SetSoftwareChannels(system, 32), FMOD_ERR_INITIALIZED);
  EXPECT_EQ(FMOD_System_Update(system), FMOD_OK);

  EXPECT_EQ(FMOD_System_Close(system), FMOD_OK);
  EXPECT_EQ(FMOD_System_Update(system), FMOD_ERR_UNINITIALIZED);
  ASSERT_EQ(FMOD_System_Init(system, 4, FMOD_INIT_NORMAL, nullptr), FMOD_OK) << "init again";
  EXPECT_EQ(FMOD_System_Release(system), FMOD_OK);
  EXPECT_EQ(FMOD_System_Release(system), FMOD_ERR_INVALID_HANDLE);
  EXPECT_EQ(FMOD_System_Update(system), FMOD_ERR_INVALID_HANDLE);
  EXPECT_EQ(FMOD_System_Update(nullptr), FMOD_ERR_INVALID_HANDLE);
}

// Looking for the default device on a machine without one made OpenAL Soft and ALSA print
// their own diagnostics; whichever output opens, Init prints nothing.
TEST(FmodSystemLifecycle, LookingForADevicePrintsNothing) {
  testing_support::ScopedEnvironment output("KELVARIS_AUDIO_OUTPUT", std::nullopt);
  FMOD_SYSTEM* system = nullptr;
  ASSERT_EQ(FMOD_System_Create(&system, FMOD_VERSION), FMOD_OK);
  testing::internal::CaptureStderr();
  const FMOD_RESULT opened = FMOD_System_Init(system, 8, FMOD_INIT_NORMAL, nullptr);
  std::fprintf(stderr, "after Init\n");  // standard error works again afterwards
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "after Init\n");
  EXPECT_EQ(opened, FMOD_OK);
  EXPECT_EQ(FMOD_System_Release(system), FMOD_OK);
}

class FmodSystem : public LoopbackTest {};

// Each update renders one block; silence when nothing plays.
TEST_F(FmodSystem, UpdateRendersOneBlock) {
  const float* block = nullptr;
  int frames = -1;
  EXPECT_EQ(AudioLayer_GetLastRender(system, &block, &frames), FMOD_OK);
  EXPECT_EQ(frames, 0);
  const auto rendered = Render(2);
  EXPECT_EQ(rendered.Frames(), 2 * kAudioLayerLoopbackFrames);
  EXPECT_EQ(rendered.Rms(0), 0.0f);
}

// Handles from a closed or released system are stale, never followed.
TEST_F(FmodSystem, ClosingInvalidatesSoundsAndChannels) {
  FMOD_SOUND* sound = Load(testing_support::WriteSine(folder.path / "a.wav", 440, 0.5f, 1.0f));
  FMOD_CHANNEL* channel = Play(sound);
  ASSERT_TRUE(Playing(channel));
  ASSERT_EQ(FMOD_System_Release(system), FMOD_OK);
  system = nullptr;
  EXPECT_FALSE(Playing(channel));
  EXPECT_EQ(FMOD_Channel_SetVolume(channel, 1.0f), FMOD_ERR_INVALID_HANDLE);
  EXPECT_EQ(FMOD_Sound_Release(sound), FMOD_ERR_INVALID_HANDLE);
}

}  // namespace
