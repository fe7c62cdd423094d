// The whole game on the first level: the "RingSparkFountain" emitter prefab loads without an
// error line and its violet sparks show in the window within a second; the effect prefabs that
// level scripts start by alias load and emit when started.

#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "components/particle_emitter.h"
#include "components/prefab_instantiation.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "gameplay/particle_simulation.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

// Pixels whose red rose clearly between two frames: the violet sparks over the blue floor and the
// green grass, which hold little red.
int RedderPixels(const Image& before, const Image& after) {
  int count = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      if (after.At(x, y)[0] > before.At(x, y)[0] + 50) ++count;
    }
  }
  return count;
}

TEST(ParticleFountain, TheSparksOfTheEmitterPrefabShowInTheLevel) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  const Image before = game.picture;

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int emitter = InstantiatePrefab("RingSparkFountain", "");
  for (int pass = 0; pass < 10; ++pass) game.Step();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout() + errors;
  ASSERT_GE(emitter, 0) << output;
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  ASSERT_EQ(game.picture.width, before.width);
  const int sparks = RedderPixels(before, game.picture);
  EXPECT_GT(sparks, 1000) << sparks << " pixels turned redder";
}

TEST(ParticleFountain, EffectPrefabsEmitWhenScriptsStartThem) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  DECS& decs = DECS::Instance();
  const auto components = decs.GetManager<ComponentManager>();
  const struct {
    const char* prefab;
    const char* start;  // the message that starts it, "" for none
    bool activeAfter;   // still emitting 0.3 s later
  } cases[] = {
      {"DashTrail", "activate_particle", true},
      {"BlockBreakBurst", "particle_burst", false},
      {"HealGlow", "particle_burst", true},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string alias = std::string(c.prefab) + "Effect";
    const int entity = InstantiatePrefab(c.prefab, alias);
    game.Step();
    const bool idle =
        entity >= 0 && CountLiveParticles(*components->GetComponent<ParticleEmitter>(entity)) == 0;
    decs.GetManager<MessagingManager>()->PostFormatted("%s %s", 0, c.start, alias.c_str());
    for (int pass = 0; pass < 3; ++pass) game.Step();
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string output = testing::internal::GetCapturedStdout() + errors;
    ASSERT_GE(entity, 0) << c.prefab << output;
    EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << c.prefab << output;
    const ParticleEmitter& emitter = *components->GetComponent<ParticleEmitter>(entity);
    EXPECT_TRUE(idle) << c.prefab << " emitted before it was started";
    EXPECT_GT(CountLiveParticles(emitter), 0) << c.prefab;
    EXPECT_EQ(emitter._active, c.activeAfter) << c.prefab;
  }
}

}  // namespace
