// The whole game in the boss arena. The boss announces itself to the HUD, its slam starts a
// shock wave in the slam system whose front hurts the player where it passes, fired blocks
// (real ones, flying into it) lower its health, and its fall sends the win sequence in order.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/startup.h"
#include "components/physics.h"
#include "components/prefab_instantiation.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"

namespace {

class BossScene : public testing::Test {
 protected:
  void SetUp() override {
    CreateUserFolders();
    game = std::make_unique<testing_support::RunningGame>();
    DECS::Instance().AddChild(&log);
    ASSERT_TRUE(game->ShowScene("final_boss_test_scene"));
  }

  void TearDown() override {
    DECS::Instance().RemoveChild(&log);
    game.reset();
  }

  void Steps(int count) {
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < count; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
  }

  // Steps until `text` has been delivered, at most `limit` passes; false when it never was.
  bool StepUntil(const std::string& text, int limit) {
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < limit && log.IndexOf(text) < 0; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
    return log.IndexOf(text) >= 0;
  }

  // Index of the first delivered message starting with `prefix`, -1 when none does.
  int IndexStartingWith(const std::string& prefix) const {
    for (std::size_t k = 0; k < log.messages.size(); ++k) {
      if (log.messages[k].rfind(prefix, 0) == 0) return static_cast<int>(k);
    }
    return -1;
  }

  // A fired block (the player's prefab) flying from in front of the boss into it.
  void FireBlockAtBoss(int number) {
    const std::string alias = "playerBlockTest_" + std::to_string(number);
    const int block = InstantiatePrefabInScene("PlayerBlock", "", alias);
    ASSERT_GE(block, 0);
    auto components = DECS::Instance().GetManager<ComponentManager>();
    components->GetComponent<Transform>(block)->_position = {0.0f, 0.4f, -1.0f};
    components->GetComponent<Physics>(block)->_velocity = {0.0f, 0.0f, -18.0f};
  }

  testing_support::ScopedTempHome home;
  testing_support::EveryMessageLog log;
  std::unique_ptr<testing_support::RunningGame> game;
};

TEST_F(BossScene, TheSlamStartsAWaveWhoseFrontHurtsThePlayerWhereItPasses) {
  Steps(2);
  EXPECT_GE(log.IndexOf("boss_is_spawned BLISS_FLORETH 400"), 0);
  testing::internal::CaptureStdout();
  for (int pass = 0; pass < 80 && IndexStartingWith("StartWave ") < 0; ++pass) game->Step();
  testing::internal::GetCapturedStdout();
  const int slam = IndexStartingWith("StartWave ");
  ASSERT_GE(slam, 0) << "the boss never slammed";

  // The slam system took the wave: it starts under the boss and runs.
  Steps(2);
  const WaveData& wave = DECS::Instance().globalUniforms.waves["waveData[0]"];
  EXPECT_GT(wave.time, 0.0f);
  EXPECT_NEAR(wave.origin.x, 0.0f, 0.01f);
  EXPECT_NEAR(wave.origin.y, -6.0f, 0.01f);
  EXPECT_GT(wave.speed, 0.0f);
  EXPECT_GT(wave.dist, 20.0f) << "the wave must reach the player's start, 20 units away";

  // The player stands 20 units from the boss; the front passes it within the wave's run.
  ASSERT_TRUE(StepUntil("player_took_damage", 60)) << "the wave front never hurt the player";
  EXPECT_GT(log.IndexOf("player_took_damage"), slam);
}

TEST_F(BossScene, FiredBlocksWearTheBossDownAndItsFallWinsTheRunInOrder) {
  // The player must not fall to the slams while the boss is being worn down.
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("god_mode", 0);
  FireBlockAtBoss(1);
  ASSERT_TRUE(StepUntil("boss_health_update 375", 10)) << "a block hit did not cost 25 health";
  EXPECT_EQ(log.IndexOf("boss_eliminated"), -1);

  // Sixteen hits bring it down; a block may pass under it while it rises for a slam.
  for (int number = 2; number <= 24 && log.IndexOf("boss_eliminated") < 0; ++number) {
    FireBlockAtBoss(number);
    Steps(4);
  }
  const int eliminated = log.IndexOf("boss_eliminated");
  ASSERT_GE(eliminated, 0) << "the hits did not bring the boss down";
  EXPECT_GE(log.IndexOf("boss_health_update 0"), 0);
  const int killed = log.IndexOf("bliss_killed");
  const int diary = log.IndexOf("add_game_success_to_diary");
  const int results = log.IndexOf("show_results win");
  EXPECT_GT(killed, eliminated);
  EXPECT_GT(diary, killed);
  EXPECT_GT(results, diary);
  EXPECT_EQ(log.IndexOf("show_results lose"), -1);

  // Further hits of the fallen boss send nothing more.
  FireBlockAtBoss(99);
  Steps(4);
  EXPECT_EQ(std::count(log.messages.begin(), log.messages.end(), "show_results win"), 1);
}

}  // namespace
