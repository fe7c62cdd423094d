#include "engine/messaging_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/engine_clock.h"
#include "engine/message_text.h"
#include "tests/support/engine_fixture.h"

namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing_support::RecordingReceiver;

// The engine's tree shape: a level-4 root over level-2 managers (the first with two level-1
// systems) and a level-3 renderer.
struct EngineShapedTree {
  EngineShapedTree() {
    root.AddChild(&systemManager);
    systemManager.AddChild(&firstSystem);
    systemManager.AddChild(&secondSystem);
    root.AddChild(&entityManager);
    root.AddChild(&renderer);
  }
  std::vector<std::string> log;
  RecordingReceiver root{"decs", 4, &log};
  RecordingReceiver systemManager{"systems", 2, &log};
  RecordingReceiver firstSystem{"first", 1, &log};
  RecordingReceiver secondSystem{"second", 1, &log};
  RecordingReceiver entityManager{"entities", 2, &log};
  RecordingReceiver renderer{"renderer", 3, &log};
};

TEST(MessageDelivery, EachLevelReachesItsReceiversInTreeOrder) {
  EngineShapedTree tree;
  std::vector<std::string>& log = tree.log;
  RecordingReceiver& root = tree.root;

  const struct {
    int level;
    std::vector<std::string> reached;
  } cases[] = {
      {0, {"decs", "systems", "first", "second", "entities", "renderer"}},
      {1, {"first", "second"}},
      {2, {"systems", "entities"}},
      {3, {"renderer"}},
      {4, {"decs"}},
      {5, {}},
  };
  for (const auto& testCase : cases) {
    log.clear();
    root.Deliver("ping", testCase.level);
    std::vector<std::string> expected;
    for (const std::string& name : testCase.reached) expected.push_back(name + ":ping");
    EXPECT_THAT(log, ElementsAreArray(expected)) << "level " << testCase.level;
  }
}

// A clock that stands still: delivery times are not what these tests look at.
class StoppedClock final : public EngineClock {
 public:
  double Now() const override { return 0.0; }
};

TEST(MessageDelivery, QueuedMessagesAreDeliveredAtTheLevelTheyWereQueuedAtInQueueOrder) {
  EngineShapedTree tree;
  const StoppedClock clock;
  MessagingManager messaging(&tree.root, &clock);
  for (const int level : {3, 1, 4, 2}) messaging.QueueFormatted("queued_%d", level, level);
  EXPECT_TRUE(tree.log.empty());
  messaging.DeliverQueued();
  EXPECT_THAT(tree.log,
              ElementsAreArray({"renderer:queued_3", "first:queued_1", "second:queued_1",
                                "decs:queued_4", "systems:queued_2", "entities:queued_2"}));
}

// A system whose handler runs a test-provided function.
class ScriptedReceiver : public MessageReciever {
 public:
  explicit ScriptedReceiver(std::function<void(const std::string&)> onMessage)
      : onMessage(std::move(onMessage)) {
    level = 1;
  }
  void HandleMessage(const std::string& message) override { onMessage(message); }
  std::function<void(const std::string&)> onMessage;
};

class MessagingManagerTest : public testing_support::EngineFixture {
 protected:
  void AddSystemReceiver(MessageReciever* receiver) { systems->AddChild(receiver); }
};

TEST_F(MessagingManagerTest, PostReturnsTheLastReplyAndAnEmptyTextWithoutOne) {
  ScriptedReceiver first([&](const std::string& message) {
    if (IsMessage(message, "ask")) messaging->ReplyFormatted("first %d", 1);
  });
  ScriptedReceiver second([&](const std::string& message) {
    if (IsMessage(message, "ask")) messaging->ReplyFormatted("second");
  });
  AddSystemReceiver(&first);
  AddSystemReceiver(&second);

  EXPECT_EQ(messaging->PostFormatted("ask", 1), "second");
  EXPECT_EQ(messaging->PostFormatted("nobody_knows_this", 1), "");
  EXPECT_EQ(messaging->PostFormatted("decs_get_dt", 1), "") << "DECS is not a level-1 receiver";
  EXPECT_EQ(messaging->PostFormatted("decs_get_dt", 4), "0.000000");
  EXPECT_EQ(messaging->PostFormatted("decs_get_dt", 0), "0.000000");
}

TEST_F(MessagingManagerTest, NestedPostTakesOverTheReply) {
  std::string innerReply;
  ScriptedReceiver asker([&](const std::string& message) {
    if (IsMessage(message, "outer")) {
      messaging->ReplyFormatted("lost");
      innerReply = messaging->PostFormatted("decs_get_dt", 4);
    } else if (IsMessage(message, "outer_then_reply")) {
      messaging->PostFormatted("decs_get_dt", 4);
      messaging->ReplyFormatted("kept");
    }
  });
  AddSystemReceiver(&asker);

  EXPECT_EQ(messaging->PostFormatted("outer", 1), "0.000000");
  EXPECT_EQ(innerReply, "0.000000");
  EXPECT_EQ(messaging->PostFormatted("outer_then_reply", 1), "kept");
}

TEST_F(MessagingManagerTest, PostFormattedToStartsAtTheGivenReceiver) {
  std::vector<std::string> log;
  RecordingReceiver outside("outside", 1, &log);
  RecordingReceiver inside("inside", 1, &log);
  AddSystemReceiver(&outside);
  RecordingReceiver branch("branch", 1, &log);
  branch.AddChild(&inside);

  messaging->PostFormattedTo(&branch, "hello %s", 1, "there");
  EXPECT_THAT(log, ElementsAreArray({"branch:hello there", "inside:hello there"}));
}

TEST_F(MessagingManagerTest, QueuedMessagesWaitForDeliverQueuedAndChainInOnePass) {
  std::vector<std::string> log;
  ScriptedReceiver chain([&](const std::string& message) {
    log.push_back(message);
    if (IsMessage(message, "first")) messaging->QueueFormatted("second", 1);
  });
  AddSystemReceiver(&chain);

  messaging->QueueFormatted("first", 1);
  EXPECT_TRUE(log.empty());
  messaging->DeliverQueued();
  EXPECT_THAT(log, ElementsAreArray({"first", "second"}));
  EXPECT_EQ(messaging->QueuedCount(), 0u);
}

TEST_F(MessagingManagerTest, MessageThatQueuesItselfForeverCannotHoldTheLoop) {
  int deliveries = 0;
  ScriptedReceiver echo([&](const std::string& message) {
    if (IsMessage(message, "again")) {
      ++deliveries;
      messaging->QueueFormatted("again", 1);
    }
  });
  AddSystemReceiver(&echo);

  messaging->QueueFormatted("again", 1);
  testing::internal::CaptureStdout();
  messaging->DeliverQueued();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(deliveries, static_cast<int>(MessagingManager::kMaxDeliveriesPerPass));
  EXPECT_EQ(messaging->QueuedCount(), 1u) << "the rest waits for the next pass";
  EXPECT_THAT(output, HasSubstr("carried over to the next pass"));
}

TEST_F(MessagingManagerTest, LongMessagesAreCutTo511CharactersAndLogged) {
  std::string received;
  ScriptedReceiver keep([&](const std::string& message) { received = message; });
  AddSystemReceiver(&keep);

  const std::string longText(600, 'x');
  testing::internal::CaptureStdout();
  messaging->PostFormatted("say %s", 1, longText.c_str());
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(received.size(), 511u);
  EXPECT_EQ(received.substr(0, 5), "say x");
  EXPECT_THAT(output, HasSubstr("cut to 511"));
}

TEST_F(MessagingManagerTest, DataTextIsNeverReadAsAFormat) {
  std::string received;
  ScriptedReceiver keep([&](const std::string& message) { received = message; });
  AddSystemReceiver(&keep);
  messaging->PostFormatted("%s", 1, "scene %s%n%d");
  EXPECT_EQ(received, "scene %s%n%d");
}

}  // namespace
