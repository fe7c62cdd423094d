#include "components/sound_bank.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sound_loader.h"
#include "tests/support/engine_fixture.h"

namespace {

// Numbers sounds from `next` on, as a sound system already holding that many would.
class RecordingLoader : public SoundLoader {
 public:
  int LoadSound(const std::string& path, const std::string& alias, bool loop) override {
    calls.push_back(alias + "|" + path + "|" + (loop ? "loop" : "once"));
    return next++;
  }
  std::vector<std::string> calls;
  int next = 5;
};

class SoundBankTest : public testing_support::EngineFixture {};

TEST_F(SoundBankTest, LoadsEveryEntryThroughTheLoader) {
  RecordingLoader loader;
  decs->SetSoundLoader(&loader);
  SoundBank bank;
  bank._loop = true;
  bank._pairs = {"a .\\GAME\\Assets\\Audio\\a.wav", "b ./GAME/Assets/Audio/b b.ogg",
                 "GAME/Assets/Audio/c.wav"};
  bank.Load();
  EXPECT_EQ(loader.calls, (std::vector<std::string>{
                              "a|GAME/Assets/Audio/a.wav|loop",
                              "b|GAME/Assets/Audio/b b.ogg|loop",
                              "GAME/Assets/Audio/c.wav|GAME/Assets/Audio/c.wav|loop",
                          }));
  EXPECT_EQ(bank.firstSound, 5);
  EXPECT_EQ(bank.soundCount, 3);
}

TEST_F(SoundBankTest, WithoutALoaderEntriesOnlyCount) {
  SoundBank bank;
  bank._pairs = {"a a.wav", "b b.wav"};
  bank.Load();
  EXPECT_EQ(bank.firstSound, -1);
  EXPECT_EQ(bank.soundCount, 2);
}

}  // namespace
