// The scrambled-letter effect on a small document: the markup of a word, the frames over time
// (when they come, how many letters change, the late colour, the settle), delayed starts, the
// pointer leaving, and spans that no longer match the word.

#include "ui/letter_scramble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/rml/rml_test_support.h"

namespace {

constexpr const char* kDocument = R"(<rml><head></head><body>
  <div id="button" style="color: #e5c580;"></div><div id="other"></div>
</body></rml>)";

class LetterScrambleTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    document = Show(kDocument);
    ASSERT_NE(document, nullptr);
    scramble.SetLetterSource([] { return '#'; });
    scramble.SetWord("button", "start");
    scramble.SetWord("other", "quit");
    Build("button");
    Build("other");
  }
  void Build(const std::string& id) {
    scramble.BuildLetterSpans(document, id, [](const std::string&, std::size_t index) {
      return "<span class=\"l" + std::to_string(index) + "\">";
    });
  }
  // The letters the spans show now.
  std::string Letters(const std::string& id) {
    Rml::ElementList spans;
    document->GetElementById(id)->GetElementsByTagName(spans, "span");
    std::string text;
    for (Rml::Element* span : spans) text += span->GetInnerRML();
    return text;
  }
  std::string Colour(const std::string& id, int index) {
    Rml::ElementList spans;
    document->GetElementById(id)->GetElementsByTagName(spans, "span");
    context->Update();
    const Rml::Colourb colour = spans.at(index)->GetComputedValues().color;
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
  }
  int Scrambled(const std::string& id) {
    int count = 0;
    for (char letter : Letters(id)) count += letter == '#' ? 1 : 0;
    return count;
  }

  Rml::ElementDocument* document = nullptr;
  LetterScramble scramble{12345u};
};

TEST_F(LetterScrambleTest, BuildsOneSpanPerLetter) {
  EXPECT_EQ(document->GetElementById("button")->GetInnerRML(),
            "<span class=\"l0\">s</span><span class=\"l1\">t</span><span class=\"l2\">a</span>"
            "<span class=\"l3\">r</span><span class=\"l4\">t</span>");
  scramble.SetWord("button", "");
  Build("button");
  EXPECT_EQ(document->GetElementById("button")->GetInnerRML(), "");
  EXPECT_EQ(scramble.Word("unknown"), "");
}

// Steps of 1/16 s: a frame every second step. The first frame (elapsed 0) changes nothing
// because the wave is 0; most letters scramble around the middle; the frame at 1.125 s, the
// first at or after 1.1 s, settles on the word and ends the effect.
TEST_F(LetterScrambleTest, FramesSwellAndSettleOnTheWord) {
  scramble.Start(document, "button");
  EXPECT_TRUE(scramble.IsRunning("button"));
  EXPECT_EQ(Letters("button"), "start");

  int steps = 0;
  int mostScrambled = 0;
  while (scramble.IsRunning("button") && steps < 100) {
    scramble.Update(document, 0.0625f);
    ++steps;
    mostScrambled = std::max(mostScrambled, Scrambled("button"));
  }
  EXPECT_EQ(steps, 18);
  EXPECT_EQ(Letters("button"), "start");
  EXPECT_GE(mostScrambled, 3);
}

TEST_F(LetterScrambleTest, LateFramesAreCyanAndLeavingGivesBackTheButtonsColour) {
  scramble.Start(document, "button");
  for (int i = 0; i < 14; ++i) scramble.Update(document, 0.0625f);  // frame at 0.875: p > 0.7
  EXPECT_EQ(Colour("button", 0), "#00e5ff");
  scramble.Leave(document, document->GetElementById("button"));
  EXPECT_FALSE(scramble.IsRunning("button"));
  EXPECT_EQ(Letters("button"), "start");
  EXPECT_EQ(Colour("button", 0), "#e5c580");
}

TEST_F(LetterScrambleTest, TheSameSeedScramblesTheSameLetters) {
  LetterScramble other(12345u);
  other.SetLetterSource([] { return '#'; });
  other.SetWord("button", "start");
  std::vector<std::string> first;
  std::vector<std::string> second;
  for (LetterScramble* each : {&scramble, &other}) {
    Build("button");
    each->Start(document, "button");
    std::vector<std::string>& frames = each == &scramble ? first : second;
    for (int i = 0; i < 24; ++i) {
      each->Update(document, 0.0625f);
      frames.push_back(Letters("button"));
    }
  }
  EXPECT_EQ(first, second);
}

// A delayed entry waits; once its time comes its first frame follows 0.08 s later.
TEST_F(LetterScrambleTest, ADelayedStartWaits) {
  scramble.Add("other", -0.25f);
  scramble.Update(document, 0.125f);
  EXPECT_FLOAT_EQ(scramble.States().at("other").elapsed, -0.125f);
  EXPECT_FLOAT_EQ(scramble.States().at("other").tick, 0.0f);
  scramble.Update(document, 0.1875f);  // elapsed 0.0625: tick takes the elapsed time
  EXPECT_FLOAT_EQ(scramble.States().at("other").tick, 0.0625f);
  scramble.Update(document, 0.0625f);  // tick 0.125: a frame
  EXPECT_FLOAT_EQ(scramble.States().at("other").tick, 0.0f);
}

TEST_F(LetterScrambleTest, StartingAgainDoesNotRestart) {
  scramble.Start(document, "button");
  scramble.Update(document, 0.5f);
  scramble.Start(document, "button");
  EXPECT_FLOAT_EQ(scramble.States().at("button").elapsed, 0.5f);
}

// Markup changed elsewhere: frames and the settle leave the spans alone.
TEST_F(LetterScrambleTest, SpansThatDoNotMatchTheWordAreLeftAlone) {
  document->GetElementById("button")->SetInnerRML("<span>a</span><span>b</span>");
  scramble.Start(document, "button");
  for (int i = 0; i < 30; ++i) scramble.Update(document, 0.05f);
  EXPECT_EQ(Letters("button"), "ab");
  EXPECT_FALSE(scramble.IsRunning("button"));
  scramble.Start(document, "missing");
  scramble.Update(document, 2.0f);
  EXPECT_FALSE(scramble.IsRunning("missing"));
}

}  // namespace
