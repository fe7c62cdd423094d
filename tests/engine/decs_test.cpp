#include "engine/decs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/component_manager.h"
#include "tests/support/engine_fixture.h"

namespace {

// Counts its updates and renders and keeps the last dt.
class CountingSystem : public BaseSystem {
 public:
  void Update(float dt) override {
    ++updates;
    lastDt = dt;
  }
  void Render() override { ++renders; }
  int updates = 0;
  int renders = 0;
  float lastDt = -1.0f;
};

class PausableSystem : public CountingSystem {};
class UnpausableSystem : public CountingSystem {
 public:
  UnpausableSystem() { pausable = false; }
};
class UnfreezableSystem : public CountingSystem {
 public:
  UnfreezableSystem() {
    freezable = false;
    pausable = false;
  }
};

// Stands in for the input system: answers whether input is recorded or replayed.
class FakeInputSystem : public BaseSystem, public InputReplayState {
 public:
  bool IsRecordingOrReplaying() const override { return replaying; }
  bool replaying = false;
};

// Stands in for the window: logs the frame brackets.
class FakePlatformSystem : public BaseSystem, public FrameHost {
 public:
  void BeginFrame() override { log.push_back("begin"); }
  void EndFrame() override { log.push_back("end"); }
  std::vector<std::string> log;
};

}  // namespace

DECLARE_TYPE_NAME(class, PausableSystem);
DECLARE_TYPE_NAME(class, UnpausableSystem);
DECLARE_TYPE_NAME(class, UnfreezableSystem);
template <>
struct TypeNameOf<FakeInputSystem> {
  static constexpr std::string_view value = "class InputSystem";
};
template <>
struct TypeNameOf<FakePlatformSystem> {
  static constexpr std::string_view value = "class PlatformSystem";
};

namespace {

using ::testing::ElementsAre;

class DecsTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    pausable = systems->RegisterSystem<PausableSystem>().get();
    unpausable = systems->RegisterSystem<UnpausableSystem>().get();
    unfreezable = systems->RegisterSystem<UnfreezableSystem>().get();
    testing::internal::GetCapturedStdout();
  }

  float GlobalFloat(const char* name) { return decs->globalUniforms.floats.at(name); }
  std::string Post(const char* message) { return messaging->PostFormatted("%s", 4, message); }

  PausableSystem* pausable = nullptr;
  UnpausableSystem* unpausable = nullptr;
  UnfreezableSystem* unfreezable = nullptr;
};

TEST_F(DecsTest, GatesOpenOnlyAfterTheirIntervalAndClampDt) {
  const struct {
    double step;
    float ups;
    float fps;
    bool updates;
    bool renders;
    float dt;
  } cases[] = {
      {0.005, 120.0f, 120.0f, false, false, 0.0f},  // 5 ms: neither gate opens
      {0.009, 120.0f, 120.0f, true, true, 0.009f},     {0.009, 120.0f, 60.0f, true, false, 0.009f},
      {5.0, 120.0f, 120.0f, true, true, 0.1f},          // a stall gives one 0.1 s update
      {0.5, 0.0f, 120.0f, false, true, 0.0f},           // rate 0 stops the gate
      {0.000001, -1.0f, -1.0f, true, true, 0.000001f},  // negative rates open every pass
  };
  for (const auto& testCase : cases) {
    decs->ups = testCase.ups;
    decs->fps = testCase.fps;
    const int updatesBefore = pausable->updates;
    const int rendersBefore = pausable->renders;
    clock->Advance(testCase.step);
    decs->Update();
    EXPECT_EQ(pausable->updates - updatesBefore, testCase.updates ? 1 : 0) << testCase.step;
    EXPECT_EQ(pausable->renders - rendersBefore, testCase.renders ? 1 : 0) << testCase.step;
    if (testCase.updates) {
      EXPECT_FLOAT_EQ(pausable->lastDt, testCase.dt) << testCase.step;
    }
    // Both gates measure from their own last opening; start every case afresh.
    decs->lastUpdateTime = decs->lastRenderTime = clock->now;
  }
}

TEST_F(DecsTest, SkipFlagsMatchTheEngineFlags) {
  const struct {
    bool paused;
    bool frozen;
    bool pausableRuns;
    bool unpausableRuns;
    bool unfreezableRuns;
  } cases[] = {
      {false, false, true, true, true},
      {true, false, false, true, true},
      {false, true, false, false, true},
      {true, true, false, false, true},
  };
  for (const auto& testCase : cases) {
    decs->paused = testCase.paused;
    decs->frozen = testCase.frozen;
    CountingSystem* all[] = {pausable, unpausable, unfreezable};
    int before[3];
    for (int i = 0; i < 3; ++i) before[i] = all[i]->updates;
    const int rendersBefore = pausable->renders;
    clock->Advance(0.01);
    decs->Update();
    EXPECT_EQ(pausable->updates - before[0], testCase.pausableRuns ? 1 : 0);
    EXPECT_EQ(unpausable->updates - before[1], testCase.unpausableRuns ? 1 : 0);
    EXPECT_EQ(unfreezable->updates - before[2], testCase.unfreezableRuns ? 1 : 0);
    EXPECT_EQ(pausable->renders - rendersBefore, 1) << "rendering ignores the skip flags";
  }
}

TEST_F(DecsTest, TimeScaleScalesSystemsButNotTheClocks) {
  Post("decs_timescale 0");
  clock->Advance(0.01);
  decs->Update();
  EXPECT_EQ(pausable->lastDt, 0.0f);
  EXPECT_FLOAT_EQ(GlobalFloat("dt"), 0.01f);
  EXPECT_NEAR(decs->totalTime, 0.01, 1e-9);
  clock->Advance(0.01);
  decs->Update();
  EXPECT_FLOAT_EQ(GlobalFloat("time"), 0.01f) << "time is measured before the update";
}

TEST_F(DecsTest, RecordingOrReplayingInputForcesTheFixedStep) {
  testing::internal::CaptureStdout();
  auto input = systems->RegisterSystem<FakeInputSystem>();
  testing::internal::GetCapturedStdout();
  decs->SetInputReplayState(input.get());
  input->replaying = true;
  Post("decs_timescale 2");

  clock->Advance(0.05);
  decs->Update();
  EXPECT_FLOAT_EQ(pausable->lastDt, 2.0f / 60.0f);
  EXPECT_FLOAT_EQ(GlobalFloat("dt"), 0.016666668f);
  EXPECT_EQ(decs->ups, 60.0f);
  EXPECT_EQ(decs->fps, 60.0f);

  input->replaying = false;
  clock->Advance(0.03);
  decs->Update();
  EXPECT_FLOAT_EQ(pausable->lastDt, 0.06f);
  EXPECT_EQ(decs->ups, 60.0f) << "the rates stay until a message changes them";
}

TEST_F(DecsTest, FrameIsBracketedByTheWindow) {
  testing::internal::CaptureStdout();
  auto platform = systems->RegisterSystem<FakePlatformSystem>();
  testing::internal::GetCapturedStdout();
  decs->SetFrameHost(platform.get());
  clock->Advance(0.01);
  decs->Update();
  EXPECT_THAT(platform->log, ElementsAre("begin", "end"));
}

TEST_F(DecsTest, MessageTableActsOnGoodArgumentsAndIgnoresBadOnes) {
  const struct {
    const char* message;
    float timeScale;
    float fps;
    float ups;
  } cases[] = {
      {"decs_timescale 0.5", 0.5f, 120.0f, 120.0f},
      {"decs_timescale_add 0.25", 0.75f, 120.0f, 120.0f},
      {"decs_set_fps 30", 0.75f, 30.0f, 120.0f},
      {"decs_set_ups 90", 0.75f, 30.0f, 90.0f},
      {"decs_timescale", 0.75f, 30.0f, 90.0f},
      {"decs_timescale fast", 0.75f, 30.0f, 90.0f},
      {"decs_timescale_add nan", 0.75f, 30.0f, 90.0f},
      {"decs_set_fps", 0.75f, 30.0f, 90.0f},
      {"decs_set_ups 1 2", 0.75f, 30.0f, 90.0f},
      {"decs_pause", 0.75f, 30.0f, 90.0f},
      {"decs_unpause", 0.75f, 30.0f, 90.0f},
      {"decs_step", 0.75f, 30.0f, 90.0f},
  };
  for (const auto& testCase : cases) {
    Post(testCase.message);
    EXPECT_FLOAT_EQ(decs->timeScale, testCase.timeScale) << testCase.message;
    EXPECT_FLOAT_EQ(decs->fps, testCase.fps) << testCase.message;
    EXPECT_FLOAT_EQ(decs->ups, testCase.ups) << testCase.message;
  }
  EXPECT_FALSE(decs->paused);
  EXPECT_FALSE(decs->quit);
  Post("decs_exit");
  EXPECT_TRUE(decs->quit);
}

TEST_F(DecsTest, GetDtRepliesTheLastDeltaWithSixDecimals) {
  clock->Advance(0.0083341);
  decs->Update();
  EXPECT_EQ(Post("decs_get_dt"), "0.008334");
  clock->Advance(30.0);
  decs->Update();
  EXPECT_EQ(Post("decs_get_dt"), "0.100000");
  EXPECT_EQ(Post("decs_get"), std::to_string(reinterpret_cast<std::uintptr_t>(decs)));
}

TEST_F(DecsTest, SceneLoadRestartsTimeWithoutGoingNegative) {
  for (int i = 0; i < 3; ++i) {
    clock->Advance(0.02);
    decs->Update();
  }
  EXPECT_GT(GlobalFloat("time"), 0.0f);
  // Real time runs ahead of game time after a stall; "time" must still restart at 0.
  clock->Advance(10.0);
  messaging->PostFormatted("scene_load %s", 0, "level1_scene");
  decs->Update();
  EXPECT_EQ(GlobalFloat("time"), 0.0f);
  clock->Advance(0.02);
  decs->Update();
  EXPECT_GE(GlobalFloat("time"), 0.0f);
}

TEST_F(DecsTest, QueuedMessagesAreDeliveredEveryPassEvenWithoutUpdateOrRender) {
  messaging->QueueFormatted("decs_exit", 4);
  clock->Advance(0.001);
  decs->Update();
  EXPECT_EQ(pausable->updates, 0);
  EXPECT_TRUE(decs->quit);
}

TEST_F(DecsTest, EntityDestroyIgnoresMissingAndOutOfRangeIds) {
  const int entity = entities->CreateEntity("crate");
  ASSERT_EQ(entity, 0);
  for (const char* message : {"entity_destroy", "entity_destroy x", "entity_destroy -1",
                              "entity_destroy 1024", "entity_destroy 99999999999"}) {
    Post(message);
    EXPECT_TRUE(entities->IsAlive(entity)) << message;
  }
  testing::internal::CaptureStdout();
  Post("entity_destroy 0");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "EntityManager : Entity with id '0' destroyed\n");
  EXPECT_FALSE(entities->IsAlive(entity));
}

// The engine exists from CreateInstance to Shutdown only. Asking for it outside that span is a
// fault, never a quiet new engine; and an engine made after another one starts afresh.
TEST(DecsLifecycle, InstanceAnswersOnlyBetweenCreateAndShutdown) {
  ASSERT_FALSE(DECS::HasInstance());
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(DECS::Instance(), "DECS : used while no engine exists");
  EXPECT_DEATH(CreateManagers(), "DECS : used while no engine exists");

  DECS& first = DECS::CreateInstance(std::make_unique<testing_support::FakeClock>());
  EXPECT_EQ(&DECS::Instance(), &first);
  CreateManagers();
  first.timeScale = 3.0f;
  first.Shutdown();
  EXPECT_FALSE(DECS::HasInstance());

  DECS& second = DECS::CreateInstance();
  EXPECT_EQ(second.timeScale, 1.0f);
  EXPECT_TRUE(second.managers.empty());
  second.Shutdown();
}

// The random engines are the engine's: one made after another neither keeps the seeds the first
// was given nor goes on with the numbers it drew.
TEST(DecsLifecycle, EachEngineHasRandomEnginesOfItsOwn) {
  DECS& first = DECS::CreateInstance();
  first.randomEngines.Seed(11, 22);
  std::mt19937 drawnByFirst(11);
  for (int draw = 0; draw < 3; ++draw) EXPECT_EQ(first.randomEngines.standard(), drawnByFirst());
  first.Shutdown();

  DECS& second = DECS::CreateInstance();
  const RandomEngines& fresh = second.randomEngines;
  EXPECT_FALSE(fresh.standardSeed == 11u && fresh.gameplaySeed == 22u);
  // Its draws are those of its own seed, from the start.
  std::mt19937 fromItsSeed(second.randomEngines.standardSeed);
  EXPECT_EQ(second.randomEngines.standard(), fromItsSeed());
  second.Shutdown();
}

}  // namespace
