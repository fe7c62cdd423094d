#include "scripting/action_list_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/engine_fixture.h"

namespace {

using ::testing::HasSubstr;

class ActionListSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    actions = systems->RegisterSystem<ActionListSystem>().get();
    testing::internal::GetCapturedStdout();
  }

  ActionListSystem* actions = nullptr;
};

TEST_F(ActionListSystemTest, EasingCurvesShapeTheBlend) {
  const struct {
    int easing;
    float t;
    float w;
  } cases[] = {
      {0, 0.25f, 0.25f},   {0, 0.5f, 0.5f},  {1, 0.25f, 0.0625f},  {1, 0.5f, 0.25f},
      {2, 0.25f, 0.4375f}, {2, 0.5f, 0.75f}, {3, 0.25f, 0.15625f}, {3, 0.5f, 0.5f},
      {4, 0.25f, 0.5f},    {4, 0.64f, 0.8f}, {-1, 0.3f, 0.3f},     {5, 0.3f, 0.3f},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testing::Message() << "easing " << testCase.easing << " t " << testCase.t);
    EXPECT_FLOAT_EQ(ActionListSystem::Ease(testCase.easing, testCase.t), testCase.w);

    float value = -1.0f;
    actions->AddFloatAction(&value, 2.0f, 10.0f, 1.0f, testCase.easing);
    actions->Update(testCase.t);
    EXPECT_FLOAT_EQ(value, 2.0f + 8.0f * testCase.w);
    actions->CancelActionsOnTarget(&value);
  }
}

TEST_F(ActionListSystemTest, IntActionTruncatesEveryStepAndEndsOnTheFourth) {
  int value = -1;
  const double id = actions->AddIntAction(&value, 0, 10, 1.0f, 0);
  EXPECT_EQ(value, -1) << "the target is first written by an update";

  const int expected[] = {2, 5, 7, 10};
  for (int step = 0; step < 4; ++step) {
    actions->Update(0.25f);
    EXPECT_EQ(value, expected[step]) << "update " << step + 1;
    EXPECT_EQ(actions->IsActionQueued(id), step < 3) << "update " << step + 1;
  }
}

TEST_F(ActionListSystemTest, Vec3BlendsEachComponentAndLeavesTheQueueAtItsEnd) {
  glm::vec3 value(-1.0f);
  const double id = actions->AddVec3Action(&value, glm::vec3(0.0f, 10.0f, -4.0f),
                                           glm::vec3(4.0f, 0.0f, 4.0f), 2.0f, 0);
  float other = 0.0f;
  const double floatId = actions->AddFloatAction(&other, 0.0f, 1.0f, 5.0f, 0);

  actions->Update(0.5f);
  EXPECT_EQ(value, glm::vec3(1.0f, 7.5f, -2.0f));
  EXPECT_TRUE(actions->IsVec3ActionQueued(id));
  EXPECT_FALSE(actions->IsVec3ActionQueued(floatId)) << "only the vec3 list is searched";

  actions->Update(1.5f);
  EXPECT_EQ(value, glm::vec3(4.0f, 0.0f, 4.0f));
  EXPECT_FALSE(actions->IsVec3ActionQueued(id));
}

TEST_F(ActionListSystemTest, PauseHoldsOnlyActionsThatDoNotRunWhilePaused) {
  float held = -1.0f;
  float running = -1.0f;
  actions->AddFloatAction(&held, 0.0f, 1.0f, 1.0f, 0);
  actions->AddFloatAction(&running, 0.0f, 1.0f, 1.0f, 0, {}, true);

  // Through the engine's main loop: the system itself keeps updating while paused.
  decs->paused = true;
  clock->Advance(0.01);
  decs->Update();
  EXPECT_FLOAT_EQ(running, 0.01f);
  EXPECT_EQ(held, -1.0f);

  actions->Update(0.24f);
  EXPECT_FLOAT_EQ(running, 0.25f);
  EXPECT_EQ(held, -1.0f);

  decs->paused = false;
  actions->Update(0.25f);
  EXPECT_FLOAT_EQ(held, 0.25f) << "resumes where it stopped";
  EXPECT_FLOAT_EQ(running, 0.5f);
}

TEST_F(ActionListSystemTest, CompletionRunsOnceAfterTheEndValueIsWritten) {
  double value = 0.0;
  std::vector<double> seenAtCompletion;
  actions->AddDoubleAction(&value, 1.0, 3.0, 1.0f, 2, [&] { seenAtCompletion.push_back(value); });

  actions->Update(0.5f);
  EXPECT_TRUE(seenAtCompletion.empty());
  EXPECT_DOUBLE_EQ(value, 1.0 + 2.0 * 0.75);
  actions->Update(0.5f);
  EXPECT_EQ(seenAtCompletion, std::vector<double>{3.0}) << "in the update that reaches the end";
  actions->Update(0.5f);
  EXPECT_EQ(seenAtCompletion.size(), 1u);
}

TEST_F(ActionListSystemTest, CompletionMayAddAndCancelWhileTheListIsWalked) {
  // Walked last to first: `trigger` finishes first, cancels `doomed` (not yet visited) and adds
  // enough records to move the list's storage while the walk is still on it.
  float doomed = -1.0f;
  float survivor = -1.0f;
  float trigger = -1.0f;
  std::vector<float> added(64, -1.0f);
  bool doomedFinished = false;
  bool cancelledSelf = true;
  const double doomedId =
      actions->AddFloatAction(&doomed, 0.0f, 1.0f, 1.0f, 0, [&] { doomedFinished = true; });
  actions->AddFloatAction(&survivor, 0.0f, 1.0f, 1.0f, 0);
  double triggerId = 0.0;
  triggerId = actions->AddFloatAction(&trigger, 0.0f, 1.0f, 0.0f, 0, [&] {
    EXPECT_TRUE(actions->CancelAction(doomedId));
    cancelledSelf = actions->CancelAction(triggerId);
    for (float& value : added) actions->AddFloatAction(&value, 0.0f, 1.0f, 1.0f, 0);
  });

  actions->Update(0.5f);
  EXPECT_EQ(trigger, 1.0f);
  EXPECT_FLOAT_EQ(survivor, 0.5f);
  EXPECT_EQ(doomed, -1.0f) << "a cancelled record is not touched";
  EXPECT_FALSE(cancelledSelf) << "a finished record is no longer queued";
  EXPECT_EQ(added.front(), -1.0f) << "added during the update: first advanced in the next";
  EXPECT_EQ(actions->Actions<float>().size(), 1u + added.size());

  actions->Update(0.25f);
  EXPECT_FLOAT_EQ(added.front(), 0.25f);
  EXPECT_FLOAT_EQ(added.back(), 0.25f);
  EXPECT_EQ(doomed, -1.0f);
  actions->Update(1.0f);
  EXPECT_FALSE(doomedFinished);
  EXPECT_TRUE(actions->Actions<float>().empty());
}

TEST_F(ActionListSystemTest, DegenerateDurationsWriteTheEndAtOnce) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const float duration : {0.0f, nan, -1.0f}) {
    SCOPED_TRACE(duration);
    float value = -1.0f;
    int count = -1;
    int finished = 0;
    actions->AddFloatAction(&value, 2.0f, 5.0f, duration, 0, [&] { ++finished; });
    actions->AddIntAction(&count, 2, 5, duration, 4, [&] { ++finished; });
    actions->Update(0.0f);
    EXPECT_EQ(value, 5.0f);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(finished, 2);
  }
  // Without a target there is nothing to animate: it just completes.
  bool finished = false;
  actions->AddFloatAction(nullptr, 0.0f, 1.0f, 10.0f, 0, [&] { finished = true; });
  actions->Update(0.1f);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(actions->Actions<float>().empty());
}

TEST_F(ActionListSystemTest, IdsFollowTheClockButNeverRepeat) {
  float value = 0.0f;
  glm::vec2 point(0.0f);
  const double first = actions->AddFloatAction(&value, 0.0f, 1.0f, 1.0f, 0);
  const double second = actions->AddVec2Action(&point, point, point, 1.0f, 0);
  const double third = actions->AddFloatAction(&value, 0.0f, 1.0f, 1.0f, 0);
  EXPECT_EQ(first, clock->now);
  EXPECT_EQ(second, std::nextafter(first, 2000.0));
  EXPECT_EQ(third, std::nextafter(second, 2000.0));
  EXPECT_EQ(actions->Actions<float>().back().createdAt, clock->now);

  clock->Advance(1.0);
  EXPECT_EQ(actions->AddFloatAction(&value, 0.0f, 1.0f, 1.0f, 0), clock->now);
}

TEST_F(ActionListSystemTest, CancelRemovesWithoutWritingOrCompleting) {
  float shared = -1.0f;
  glm::vec3 vector(-1.0f);
  glm::vec4 colour(-1.0f);
  int finished = 0;
  const auto count = [&] { ++finished; };
  actions->AddFloatAction(&shared, 0.0f, 1.0f, 0.0f, 0, count);
  actions->AddFloatAction(&shared, 0.0f, 1.0f, 1.0f, 0, count);
  const double vectorId =
      actions->AddVec3Action(&vector, glm::vec3(0.0f), glm::vec3(1.0f), 1.0f, 0, count);
  actions->AddVec4Action(&colour, glm::vec4(0.0f), glm::vec4(1.0f), 1.0f, 0);

  EXPECT_TRUE(actions->CancelAction(vectorId));
  EXPECT_FALSE(actions->CancelAction(vectorId));
  EXPECT_FALSE(actions->IsVec3ActionQueued(vectorId));
  EXPECT_EQ(actions->CancelActionsOnTarget(&shared), 2u);
  EXPECT_EQ(actions->CancelActionsOnTarget(&shared), 0u);

  actions->Update(0.5f);
  EXPECT_EQ(shared, -1.0f);
  EXPECT_EQ(vector, glm::vec3(-1.0f));
  EXPECT_EQ(colour, glm::vec4(0.5f));
  EXPECT_EQ(finished, 0);
}

TEST_F(ActionListSystemTest, AddActionMessagesAreRefusedAndWriteNothing) {
  int value = 7;
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<void*>(&value));
  const struct {
    std::string message;
    bool logged;
  } cases[] = {
      {std::string("add_action int ") + address + " 0 10 1 0", true},
      {std::string("add_action int ") + address + " 0 10", true},
      {"add_action %s%n", true},
      {"add_actions int 0 0 10 1 0", false},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.message);
    testing::internal::CaptureStdout();
    messaging->PostFormatted("%s", 1, testCase.message.c_str());
    const std::string output = testing::internal::GetCapturedStdout();
    if (testCase.logged) {
      EXPECT_EQ(output,
                "ActionListSystem : add_action refused: targets cannot be given by "
                "address ('" +
                    testCase.message + "')\n");
    } else {
      EXPECT_EQ(output, "");
    }
    actions->Update(1.0f);
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(actions->Actions<int>().empty());
  }
}

TEST_F(ActionListSystemTest, EarlierActionOnTheSameTargetIsWrittenLast) {
  float value = 0.0f;
  actions->AddFloatAction(&value, 0.0f, 10.0f, 1.0f, 0);
  actions->AddFloatAction(&value, 100.0f, 200.0f, 1.0f, 0);
  actions->Update(0.5f);
  EXPECT_EQ(value, 5.0f);
}

TEST_F(ActionListSystemTest, EndReferenceIsReadAtEveryStep) {
  float end = 10.0f;
  float value = 0.0f;
  ActionRecord<float> record;
  record.target = &value;
  record.start = 0.0f;
  record.end = -100.0f;
  record.endRef = &end;
  record.useEndRef = true;
  record.duration = 1.0f;
  actions->AddAction(record);

  actions->Update(0.5f);
  EXPECT_EQ(value, 5.0f);
  end = 20.0f;
  actions->Update(0.5f);
  EXPECT_EQ(value, 20.0f);
}

TEST_F(ActionListSystemTest, RecordsBelongToTheirSystem) {
  float value = 0.0f;
  {
    ActionListSystem other;
    other.Init();
    other.AddFloatAction(&value, 0.0f, 1.0f, 1.0f, 0);
    EXPECT_TRUE(actions->Actions<float>().empty());
  }
  actions->Update(0.5f);
  EXPECT_EQ(value, 0.0f) << "the other system's records died with it";
}

}  // namespace
