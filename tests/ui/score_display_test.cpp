// The score digits: the pop's scale table and the spans built in a real document.

#include "ui/score_display.h"

#include <string>

#include "tests/rml/rml_test_support.h"

namespace {

TEST(DigitPopTest, ScaleAtChosenMoments) {
  const struct {
    float timer;
    bool first;
    float scale;
    bool done;
  } cases[] = {
      {0.0f, true, 1.4f, false},        {0.0f, false, 1.0f, false},
      {0.0375f, true, 1.29123f, false}, {0.0375f, false, 1.32631f, false},
      {0.075f, true, 1.3f, false},      {0.075f, false, 1.3f, false},  // the peak, half way
      {0.1125f, true, 1.40877f, false}, {0.1125f, false, 0.97369f, false},
      {0.15f, true, 1.4f, true},        {0.15f, false, 1.0f, true},
      {9.0f, false, 1.0f, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.timer << (c.first ? " first" : " other"));
    const DigitPop pop = DigitPopAt(c.timer, c.first);
    EXPECT_NEAR(pop.scale, c.scale, 1e-4f);
    EXPECT_EQ(pop.done, c.done);
  }
  EXPECT_EQ(DigitRestTransform(true), "scale(1.400000)");
  EXPECT_EQ(DigitRestTransform(false), "scale(1.0)");
  EXPECT_EQ(ScaleTransform(1.29123f), "scale(1.291230)");
}

class ScoreDisplayTest : public rml_test::RmlTest {};

TEST_F(ScoreDisplayTest, SpansAreRebuiltOnlyWhenTheScoreChanges) {
  Rml::ElementDocument* document = Show("<rml><body><div id='score-value'/></body></rml>");
  ScoreDisplay display;
  display.SetScore(7, Clan::Sundrel);  // not bound: nothing
  EXPECT_FALSE(display.LastShown().has_value());

  display.Bind(document);
  display.SetScore(1205, Clan::Sundrel);
  ASSERT_EQ(display.Digits().size(), 4u);
  Rml::Element* first = document->GetElementById("digit-0");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetAttribute<std::string>("class", ""), "score-digit first-digit sundrel");
  EXPECT_EQ(document->GetElementById("digit-3")->GetAttribute<std::string>("class", ""),
            "score-digit sundrel");
  EXPECT_EQ(document->GetElementById("digit-3")->GetInnerRML(), "5");
  for (const DigitEntry& digit : display.Digits()) EXPECT_TRUE(digit.animating) << digit.id;

  display.Update(0.2f);
  for (const DigitEntry& digit : display.Digits()) EXPECT_FALSE(digit.animating) << digit.id;
  display.SetScore(1205, Clan::Floreth);  // same score: the spans stay, the clan is noted
  EXPECT_EQ(document->GetElementById("digit-0"), first);
  for (const DigitEntry& digit : display.Digits()) EXPECT_FALSE(digit.animating) << digit.id;

  display.SetScore(-1, Clan::Neutral);  // a new score with no clan gets Floreth spans
  ASSERT_EQ(display.Digits().size(), 2u);
  EXPECT_EQ(document->GetElementById("digit-0")->GetAttribute<std::string>("class", ""),
            "score-digit first-digit floreth");
  EXPECT_EQ(document->GetElementById("digit-0")->GetInnerRML(), "-");
  EXPECT_EQ(document->GetElementById("digit-2"), nullptr);
  EXPECT_EQ(display.LastShown(), -1);
}

}  // namespace
