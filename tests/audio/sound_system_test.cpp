#include "audio/sound_system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "audio/fmod/audio_layer.h"
#include "engine/message_text.h"
#include "scripting/action_list_system.h"
#include "tests/audio/fmod/loopback_fixture.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::WriteSine;

// Answers "get_scene_timer" as the scene system does.
class SceneTimerStandIn : public MessageReciever {
 public:
  explicit SceneTimerStandIn(MessagingManager* messaging) : messaging(messaging) { level = 1; }
  void HandleMessage(const std::string& message) override {
    if (IsMessage(message, "get_scene_timer") && answer) {
      messaging->ReplyFormatted("%s", reply.c_str());
    }
  }
  MessagingManager* messaging;
  std::string reply = "0.000000";
  bool answer = true;
};

class SoundSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    sound = systems->RegisterSystem<SoundSystem>().get();
    actions = systems->RegisterSystem<ActionListSystem>().get();
    sound->SetLinks({[this] { return focused; }, actions});
    sceneTimer.messaging = messaging;
    systems->AddChild(&sceneTimer);
    testing::internal::CaptureStdout();
    shortTone = WriteSine(folder.path / "short.wav", 440.0f, 0.25f, 0.05f);
    longTone = WriteSine(folder.path / "long.wav", 440.0f, 0.25f, 3.0f);
    sound->LoadSound(longTone, "fx", false);
    sound->LoadSound(shortTone, "blip", false);
    sound->LoadSound(longTone, "loopfx", true);
    sound->LoadSound(longTone, "BGMtheme", true);
    sound->LoadSound(longTone, "AMBrain", true);
    sound->LoadSound(longTone, "hum", true);
    testing::internal::GetCapturedStdout();
  }

  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }
  // One fixed update: the action lists, then the sound system, as registered in the game.
  void Step(float dt = 1.0f / 60.0f) {
    clock->Advance(dt);
    actions->Update(dt);
    sound->Update(dt);
  }
  bool Sounding(int slot) {
    FMOD_BOOL playing = 0;
    FMOD_Channel_IsPlaying(sound->slots[slot].channel, &playing);
    return playing != 0;
  }
  std::vector<std::string> EffectAliases() {
    std::vector<std::string> aliases;
    for (int i = SoundSystem::kFirstEffectSlot; i < SoundSystem::kSlotCount; ++i) {
      aliases.push_back(sound->slots[i].alias);
    }
    return aliases;
  }
  // RMS of the left output over a few updates after one to settle.
  float OutputLevel() {
    Step();
    double sum = 0.0;
    int frames = 0;
    for (int i = 0; i < 4; ++i) {
      Step();
      const float* block = nullptr;
      int count = 0;
      AudioLayer_GetLastRender(sound->system, &block, &count);
      for (int f = 0; f < count; ++f) sum += double{block[2 * f]} * block[2 * f];
      frames += count;
    }
    return frames == 0 ? 0.0f : static_cast<float>(std::sqrt(sum / frames));
  }

  testing_support::ScopedEnvironment output{"KELVARIS_AUDIO_OUTPUT", "loopback"};
  testing_support::TempFolder folder;
  SceneTimerStandIn sceneTimer{nullptr};
  SoundSystem* sound = nullptr;
  ActionListSystem* actions = nullptr;
  bool focused = true;
  std::string shortTone;
  std::string longTone;
};

TEST_F(SoundSystemTest, LoadSoundKeepsOneEntryPerAlias) {
  testing::internal::CaptureStdout();
  const int first = sound->LoadSound(longTone, "new", false);
  const int again = sound->LoadSound(shortTone, "new", false);
  const int looping = sound->LoadSound(longTone, "newLoop", true);
  const int missing = sound->LoadSound((folder.path / "none.wav").string(), "gone", false);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(first, 6);
  EXPECT_EQ(again, 6) << "a known alias gives its entry";
  EXPECT_EQ(looping, 7);
  EXPECT_EQ(missing, 8) << "a sound that cannot be loaded still takes an entry";
  EXPECT_EQ(sound->sounds[8].sound, nullptr);
  EXPECT_EQ(sound->soundCount, 9);
  const std::string notFound = std::to_string(FMOD_ERR_FILE_NOTFOUND);
  EXPECT_EQ(printed, "0 " + longTone + "\n" + notFound + " " + (folder.path / "none.wav").string() +
                         "\nSoundSystem : cannot load sound 'gone' from '" +
                         (folder.path / "none.wav").string() + "': no such file (error " +
                         notFound + ")\n");
  Post("play_sfx gone 1 1 0 0");
  EXPECT_EQ(EffectAliases()[0], "gone") << "playing it takes a slot but sounds nothing";
  EXPECT_FALSE(Sounding(16));
}

TEST_F(SoundSystemTest, ASoundThatCannotBeLoadedIsReportedInWords) {
  const std::string text = (folder.path / "notes.wav").string();
  std::ofstream(text) << "not a sound";
  const std::string empty = (folder.path / "empty.wav").string();
  std::ofstream{empty};
  const struct {
    std::string path;
    std::string reported;
  } cases[] = {
      {(folder.path / "none.wav").string(), "': no such file (error 3)"},
      {text, "': not a sound file that can be decoded, or an empty one (error 4)"},
      {empty, "': not a sound file that can be decoded, or an empty one (error 4)"},
  };
  int number = 0;
  for (const auto& c : cases) {
    const std::string alias = "broken" + std::to_string(number++);
    testing::internal::CaptureStdout();
    sound->LoadSound(c.path, alias, true);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("SoundSystem : cannot load sound '" + alias + "' from '" + c.path +
                           c.reported),
              std::string::npos)
        << printed;
  }
}

TEST_F(SoundSystemTest, TheSilentDeviceIsNamedOnceAtStart) {
  sound->Shutdown();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  sound->Init();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed,
            "SoundSystem : no sound device is in use; sound goes to the silent loopback device\n");
  EXPECT_EQ(errors, "");
}

TEST_F(SoundSystemTest, TheTableHoldsOneHundredTwentyEightSounds) {
  testing::internal::CaptureStdout();
  for (int i = sound->soundCount; i < SoundSystem::kMaxSounds; ++i) {
    const std::string alias = std::string("s").append(std::to_string(i));
    EXPECT_EQ(sound->LoadSound("missing.wav", alias, true), i);
  }
  EXPECT_EQ(sound->LoadSound(longTone, "oneTooMany", false), -1);
  EXPECT_EQ(sound->LoadSound(longTone, "fx", false), 0) << "known aliases still resolve";
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("SoundSystem : the sound table is full (128 sounds); 'oneTooMany'"),
            std::string::npos);
  EXPECT_EQ(sound->soundCount, SoundSystem::kMaxSounds);
}

// Which effect slots carry the alias after a series of requests.
TEST_F(SoundSystemTest, EffectLimits) {
  const std::string N = "NULL";
  const struct {
    const char* name;
    std::vector<std::string> messages;
    std::vector<std::string> slots;  // the first four effect slots
  } cases[] = {
      {"limit 1 keeps one", {"play_sfx fx 1 1 0 1", "play_sfx fx 1 1 0 1"}, {"fx", N, N, N}},
      {"limit 2 keeps two",
       {"play_sfx fx 1 1 0 2", "play_sfx fx 1 1 0 2", "play_sfx fx 1 1 0 2"},
       {"fx", "fx", N, N}},
      {"limit 0 has none",
       {"play_sfx fx 1 1 0 0", "play_sfx fx 1 1 0 0", "play_sfx blip 1 1 0 -3"},
       {"fx", "fx", "blip", N}},
      {"unknown alias", {"play_sfx nothing 1 1 0 0"}, {N, N, N, N}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Post("stop_all");
    for (const auto& message : c.messages) Post(message);
    const auto aliases = EffectAliases();
    EXPECT_EQ(std::vector<std::string>(aliases.begin(), aliases.begin() + 4), c.slots);
  }
}

// At the limit a request restarts the sound in the limit-th slot carrying it; the replaced
// sound plays out, unless it loops.
TEST_F(SoundSystemTest, RestartAtTheLimitReplacesTheLastSlot) {
  for (const char* alias : {"fx", "loopfx"}) {
    SCOPED_TRACE(alias);
    Post("stop_all");
    const std::string message = std::string("play_sfx ") + alias + " 1 1 0 2";
    Post(message);
    Post(message);
    FMOD_CHANNEL* first = sound->slots[16].channel;
    FMOD_CHANNEL* second = sound->slots[17].channel;
    Post(message);
    EXPECT_EQ(sound->slots[16].channel, first);
    EXPECT_NE(sound->slots[17].channel, second);
    EXPECT_EQ(sound->slots[18].alias, "NULL");
    FMOD_BOOL replacedPlaying = 0;
    FMOD_Channel_IsPlaying(second, &replacedPlaying);
    EXPECT_EQ(replacedPlaying != 0, std::string(alias) == "fx");
  }
}

// With limit 1 a slot still carrying the alias blocks a new start after the sound ended.
TEST_F(SoundSystemTest, LimitOneCountsSlotsWhoseSoundEnded) {
  Post("play_sfx blip 1 1 0 1");
  for (int i = 0; i < 10; ++i) Step();
  ASSERT_FALSE(Sounding(16));
  Post("play_sfx blip 1 1 0 1");
  EXPECT_FALSE(Sounding(16));
  EXPECT_EQ(EffectAliases()[1], "NULL");
}

TEST_F(SoundSystemTest, AllEffectSlotsPlayingDropsTheRequest) {
  for (int i = 0; i < 16; ++i) Post("play_sfx fx 1 1 0 0");
  FMOD_CHANNEL* before = sound->slots[16].channel;
  Post("play_sfx blip 1 1 0 0");
  for (const auto& alias : EffectAliases()) EXPECT_EQ(alias, "fx");
  EXPECT_EQ(sound->slots[16].channel, before);
}

TEST_F(SoundSystemTest, EffectVolumeAndMuteGateEffects) {
  Post("mixer   0.5  ");
  Post("play_sfx fx 1 0.8 0 0");
  EXPECT_FLOAT_EQ(sound->slots[16].volume, 0.4f);
  Post("mixer  0 0  ");
  Post("play_sfx blip 1 1 0 0");
  EXPECT_EQ(EffectAliases()[1], "NULL");
  Post("mixer 1 1 1 1");
  Post("mute");
  Post("play_sfx blip 1 1 0 0");
  EXPECT_EQ(EffectAliases()[1], "NULL");
  Post("unmute");
  Post("play_sfx blip 1 1 0 0");
  EXPECT_EQ(EffectAliases()[1], "blip");
}

// Fields are split at every blank, so "mixer 0.5" followed by four blanks sets the music
// volume alone; a message ends with at most one empty field dropped.
TEST_F(SoundSystemTest, MixerFields) {
  const struct {
    const char* message;
    float music, ambience, effects, master;
  } cases[] = {
      {"mixer 0.1 0.2 0.3 0.4", 0.1f, 0.2f, 0.3f, 0.4f},
      {"mix 0.5    ", 0.5f, 1, 1, 1},
      {"mixer  0.6   ", 1, 0.6f, 1, 1},
      {"mixer     ", 1, 1, 1, 1},
      {"mixer    0.7", 1, 1, 1, 0.7f},
      {"mixer 0.1 0.2 0.3", 1, 1, 1, 1},
      {"mixer 0.1 0.2 0.3 0.4 0.5", 1, 1, 1, 1},
      {"mixer 0.1 loud 0.3 0.4", 1, 1, 1, 1},
      {"mixer", 1, 1, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    sound->musicVolume = sound->ambienceVolume = sound->effectVolume = sound->masterVolume = 1;
    Post(c.message);
    EXPECT_FLOAT_EQ(sound->musicVolume, c.music);
    EXPECT_FLOAT_EQ(sound->ambienceVolume, c.ambience);
    EXPECT_FLOAT_EQ(sound->effectVolume, c.effects);
    EXPECT_FLOAT_EQ(sound->masterVolume, c.master);
  }
  Post("mixer    0.3");
  Step();
  EXPECT_FLOAT_EQ(sound->masterVolume, 1.0f) << "the update recomputes the master volume";
}

TEST_F(SoundSystemTest, MalformedMessagesAreIgnored) {
  for (const char* message :
       {"play_sfx fx 1.0 1.0 0.0", "play_sfx fx 1.0 1.0 0.0 1 extra", "play_sfx fx one 1 0 1",
        "play_sfx fx 1 1 0 x", "play_sfx fx 1 1e40 0 1", "play_emitted BGMtheme 1 1",
        "play_emitted BGMtheme 1 nan 0", "stop_emitted", "play_sfx"}) {
    SCOPED_TRACE(message);
    EXPECT_NO_THROW(Post(message));
    for (const auto& slot : sound->slots) EXPECT_EQ(slot.alias, "NULL");
  }
}

// Emitted sounds take the category volume of their alias and are refreshed in place.
TEST_F(SoundSystemTest, EmittedSoundsAreRefreshedInPlace) {
  Post("mixer 0.5 0.25   ");
  Post("play_emitted BGMtheme 1 0.8 0");
  Post("play_emitted AMBrain 1 0.8 0");
  Post("play_emitted hum 1 0.8 0");
  EXPECT_FLOAT_EQ(sound->slots[0].volume, 0.4f);
  EXPECT_FLOAT_EQ(sound->slots[1].volume, 0.2f);
  EXPECT_FLOAT_EQ(sound->slots[2].volume, 1.0f) << "no category: the stored volume stays";
  FMOD_CHANNEL* channel = sound->slots[0].channel;
  Post("play_emitted BGMtheme 1.5 0.2 0.3");
  EXPECT_EQ(sound->slots[0].channel, channel) << "not restarted";
  EXPECT_FLOAT_EQ(sound->slots[0].volume, 0.1f);
  EXPECT_EQ(sound->slots[3].alias, "NULL");
}

// "stop_emitted" fades along 3t^2 - 2t^3 over one second, standing still while paused, then
// stops the channel and frees the slot.
TEST_F(SoundSystemTest, FadeOutTimeline) {
  Post("play_emitted AMBrain 1 1 0");
  Step();
  Post("stop_emitted AMBrain");
  const struct {
    float dt;
    bool paused;
    float fade;
  } timeline[] = {
      {0.25f, false, 1.0f - (3 * 0.0625f - 2 * 0.015625f)},
      {0.25f, true, 1.0f - (3 * 0.0625f - 2 * 0.015625f)},
      {0.25f, false, 0.5f},
      {0.25f, false, 1.0f - (3 * 0.5625f - 2 * 0.421875f)},
  };
  for (const auto& step : timeline) {
    decs->paused = step.paused;
    Step(step.dt);
    EXPECT_NEAR(sound->slots[0].fade, step.fade, 1e-4f);
    EXPECT_EQ(sound->slots[0].alias, "AMBrain");
    EXPECT_TRUE(Sounding(0));
  }
  Step(0.25f);
  EXPECT_EQ(sound->slots[0].fade, 0.0f);
  EXPECT_EQ(sound->slots[0].alias, "NULL");
  EXPECT_FALSE(Sounding(0));

  // A new start after the fade-out plays at full fade.
  Post("play_emitted AMBrain 1 1 0");
  EXPECT_EQ(sound->slots[0].fade, 1.0f);
  EXPECT_GT(OutputLevel(), 0.05f);
}

// A slot restarted while fading keeps its new sound: the old fade is cancelled.
TEST_F(SoundSystemTest, RestartingASlotCancelsItsFade) {
  Post("play_sfx fx 1 1 0 0");
  Post("stop_emitted fx");
  Step(0.5f);
  Post("stop_all_sfx");
  Post("play_sfx fx 1 1 0 0");
  Step(0.6f);
  EXPECT_EQ(sound->slots[16].fade, 1.0f);
  EXPECT_EQ(sound->slots[16].alias, "fx");
  EXPECT_TRUE(Sounding(16));
}

TEST_F(SoundSystemTest, StopMessagesFreeTheirSlots) {
  const struct {
    const char* message;
    bool emittedFreed;
  } cases[] = {{"stop_all", true}, {"scene_load forest_scene", true}, {"stop_all_sfx", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Post("play_emitted hum 1 1 0");
    Post("play_sfx fx 1 1 0 0");
    Post(c.message);
    EXPECT_EQ(sound->slots[16].alias, "NULL");
    EXPECT_FALSE(Sounding(16));
    EXPECT_EQ(sound->slots[0].alias == "NULL", c.emittedFreed);
    EXPECT_EQ(Sounding(0), !c.emittedFreed);
  }
}

// The master volume is 1 - the scene timer, clamped; a missing or malformed reply counts as 0.
TEST_F(SoundSystemTest, MasterVolumeFollowsTheSceneTimer) {
  const struct {
    const char* reply;
    bool answer;
    float master;
  } cases[] = {
      {"0.250000", true, 0.75f}, {"1.000000", true, 0.0f}, {"1.500000", true, 0.0f},
      {"-0.5", true, 1.0f},      {"", true, 1.0f},         {"soon", true, 1.0f},
      {"", false, 1.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    sceneTimer.reply = c.reply;
    sceneTimer.answer = c.answer;
    Step();
    EXPECT_FLOAT_EQ(sound->masterVolume, c.master);
  }
  sceneTimer.reply = "0.5";
  sceneTimer.answer = true;
  Step();
  Post("play_sfx fx 1 0.8 0 0");
  EXPECT_FLOAT_EQ(sound->slots[16].volume, 0.4f);
}

// Mute and loss of focus silence sounds already playing, and they come back afterwards.
TEST_F(SoundSystemTest, MuteAndFocusReachPlayingSounds) {
  Post("play_emitted AMBrain 1 1 0");
  const float audible = OutputLevel();
  EXPECT_GT(audible, 0.05f);
  Post("mute");
  EXPECT_EQ(OutputLevel(), 0.0f);
  EXPECT_EQ(sound->masterVolume, 0.0f);
  // The master volume comes back with the next update and reaches the sound when the emitter
  // refreshes it.
  Post("unmute");
  Step();
  Post("play_emitted AMBrain 1 1 0");
  EXPECT_NEAR(OutputLevel(), audible, 0.01f);
  focused = false;
  EXPECT_EQ(OutputLevel(), 0.0f);
  EXPECT_FALSE(sound->windowFocused);
  focused = true;
  Step();
  Post("play_emitted AMBrain 1 1 0");
  EXPECT_NEAR(OutputLevel(), audible, 0.01f);
}

TEST_F(SoundSystemTest, WithoutLinksTheWindowCountsAsFocusedAndFadesEndAtOnce) {
  sound->SetLinks({});
  Post("play_emitted hum 1 1 0");
  Step();
  EXPECT_TRUE(sound->windowFocused);
  Post("stop_emitted hum");
  EXPECT_EQ(sound->slots[0].alias, "NULL");
  EXPECT_FALSE(Sounding(0));
}

}  // namespace
