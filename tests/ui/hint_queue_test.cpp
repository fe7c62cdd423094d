// The hint dialogs: three at once in slot order, first in first out behind them, duplicates
// dropped, priority classes, timing, missing elements and the tutorial texts.

#include "ui/hint_queue.h"

#include "tests/rml/rml_test_support.h"

namespace {

constexpr const char* kHud =
    "<rml><body>"
    "<div id='hint-dialog-1'><div id='hint-text-1'/></div>"
    "<div id='hint-dialog-2'><div id='hint-text-2'/></div>"
    "<div id='hint-dialog-3'><div id='hint-text-3'/></div>"
    "</body></rml>";

class HintQueueTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    document = Show(kHud);
    ASSERT_NE(document, nullptr);
    queue.AttachDocument(document);
  }

  // The texts shown in dialogs 1 to 3 ("" for a hidden one), checked against the document.
  std::vector<std::string> Shown() {
    context->Update();
    std::vector<std::string> texts;
    for (const HintSlot& slot : queue.Slots()) {
      Rml::Element* dialog = document->GetElementById(slot.dialogId);
      const bool visible = dialog->GetComputedValues().display == Rml::Style::Display::Flex;
      EXPECT_EQ(visible, slot.active) << slot.dialogId;
      texts.push_back(visible ? document->GetElementById(slot.textId)->GetInnerRML() : "");
    }
    return texts;
  }

  Rml::ElementDocument* document = nullptr;
  HintQueue queue;
};

using Texts = std::vector<std::string>;

TEST_F(HintQueueTest, FourRequestsFillThreeDialogsThenTheFirstThatFrees) {
  EXPECT_EQ(Shown(), Texts({"", "", ""}));
  queue.ShowText("one", 1.0f);
  queue.ShowText("two", 3.0f);
  queue.Enqueue({"three", 2.0f, "high"});
  queue.ShowText("four", 1.0f);
  queue.Update(0.0f);
  EXPECT_EQ(Shown(), Texts({"one", "two", "three"}));
  EXPECT_EQ(queue.Pending().size(), 1u);

  queue.Update(1.5f);  // "one" ends; "four" waits for the next fill
  EXPECT_EQ(Shown(), Texts({"", "two", "three"}));
  queue.Update(0.25f);
  EXPECT_EQ(Shown(), Texts({"four", "two", "three"}));
  queue.Update(0.5f);  // "three" (2 s) ends at 2.25 s
  EXPECT_EQ(Shown(), Texts({"four", "two", ""}));
}

TEST_F(HintQueueTest, PriorityPicksTheClassButNeverTheOrder) {
  queue.ShowText("a", 5.0f);
  queue.ShowText("b", 5.0f);
  queue.ShowText("c", 5.0f);
  queue.ShowText("d", 1.0f);
  queue.Enqueue({"urgent", 1.0f, "critical"});
  queue.Update(0.0f);
  queue.Clear();
  EXPECT_TRUE(queue.Pending().empty());
  EXPECT_EQ(Shown(), Texts({"", "", ""}));

  const struct {
    const char* priority;
    const char* classSet;
  } cases[] = {{"normal", "priority-normal"},
               {"high", "priority-high"},
               {"critical", "priority-critical"},
               {"loud", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.priority);
    queue.Enqueue({"hint", 1.0f, c.priority});
    queue.Update(0.0f);
    Rml::Element* dialog = document->GetElementById("hint-dialog-1");
    for (const char* name : {"priority-normal", "priority-high", "priority-critical"}) {
      EXPECT_EQ(dialog->IsClassSet(name), c.classSet != nullptr && std::string(name) == c.classSet)
          << name;
    }
    queue.Update(1.0f);
    for (const char* name : {"priority-normal", "priority-high", "priority-critical"}) {
      EXPECT_FALSE(dialog->IsClassSet(name)) << name;
    }
  }

  queue.ShowText("first", 1.0f);
  queue.ShowText("second", 1.0f);
  queue.Enqueue({"third", 1.0f, "high"});
  queue.Update(0.0f);
  EXPECT_EQ(Shown(), Texts({"first", "second", "third"}));
}

TEST_F(HintQueueTest, SameTextIsDroppedWhileWaitingOrShown) {
  queue.ShowText("", 2.0f);
  queue.ShowText("hello", 2.0f);
  queue.ShowText("hello", 9.0f);
  EXPECT_EQ(queue.Pending().size(), 1u);
  queue.Update(0.0f);
  queue.Enqueue({"hello", 5.0f, "critical"});
  EXPECT_TRUE(queue.Pending().empty());
  queue.Update(2.0f);
  EXPECT_EQ(Shown(), Texts({"", "", ""}));
  queue.ShowText("hello", 1.0f);
  EXPECT_EQ(queue.Pending().size(), 1u);
}

TEST_F(HintQueueTest, ZeroDurationIsShownAndHiddenInOneUpdateAndPausesKeepTime) {
  queue.ShowText("blink", 0.0f);
  queue.ShowText("steady", 3.0f);
  queue.Update(0.016f);
  EXPECT_EQ(Shown(), Texts({"", "steady", ""}));
  queue.Update(1.0f);
  // A paused HUD is not updated: the hint keeps its remaining time however long the pause.
  EXPECT_EQ(Shown(), Texts({"", "steady", ""}));
  EXPECT_NEAR(queue.Slots()[1].remaining, 1.984f, 1e-5f);
  queue.Update(1.98f);
  EXPECT_EQ(Shown(), Texts({"", "steady", ""}));
  queue.Update(0.01f);
  EXPECT_EQ(Shown(), Texts({"", "", ""}));
}

TEST_F(HintQueueTest, TutorialTextsKeepTheirQuotesAndWaitForTheBoss) {
  std::string scene = "tutorial_scene";
  bool bossExists = false;
  queue.SetContext(
      {[&] { return scene; },
       [&](const std::string& alias) { return bossExists && alias == "finalBossEnemy"; }});
  queue.ShowTutorialHint(403);
  queue.ShowTutorialHint(404);
  ASSERT_EQ(queue.Pending().size(), 1u);
  EXPECT_EQ(queue.Pending().front().text, "\"Press Q to move a ring to your FLORETH hand!\"");
  EXPECT_EQ(queue.Pending().front().duration, 3.0f);
  EXPECT_EQ(queue.Pending().front().priority, "normal");

  queue.Clear();
  scene = "final_boss_test_scene";
  queue.ShowTutorialHint(100);
  EXPECT_TRUE(queue.Pending().empty());
  bossExists = true;
  queue.ShowTutorialHint(100);
  EXPECT_EQ(queue.Pending().size(), 1u);
}

TEST_F(HintQueueTest, MissingElementsDropRequestsAndClearStillFreesSlots) {
  HintQueue detached;
  detached.ShowText("waits", 1.0f);
  detached.Update(1.0f);  // no document: nothing moves
  EXPECT_EQ(detached.Pending().size(), 1u);

  queue.ShowText("kept", 5.0f);
  queue.Update(0.0f);
  Rml::Element* dialog = document->GetElementById("hint-dialog-1");
  dialog->GetParentNode()->RemoveChild(dialog);
  queue.Update(10.0f);
  // Its dialog is gone, so the hint stays active with its time below zero.
  EXPECT_TRUE(queue.Slots()[0].active);
  EXPECT_LT(queue.Slots()[0].remaining, 0.0f);

  queue.Clear();
  EXPECT_FALSE(queue.Slots()[0].active);
  EXPECT_TRUE(queue.Slots()[0].text.empty());

  // Slot 1 is the first free slot but cannot show anything: requests taken for it are dropped.
  queue.ShowText("lost", 1.0f);
  queue.Update(0.0f);
  EXPECT_TRUE(queue.Pending().empty());
  EXPECT_FALSE(queue.Slots()[0].active);
  EXPECT_FALSE(queue.Slots()[1].active);
}

}  // namespace
