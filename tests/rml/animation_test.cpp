// Keyframe animations and transitions: property values at chosen times of the system clock,
// the animation options, transitions started by class changes, and malformed values.

#include "rml/animation.h"

#include <utility>

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

class AnimationTest : public RmlTest {
 protected:
  // Sets the clock, updates, and returns the element.
  Rml::Element* At(Rml::Element* element, double time) {
    system.time = time;
    context->Update();
    return element;
  }
  Rml::ElementDocument* ShowBox(const Rml::String& style, const Rml::String& sheet = "") {
    return Show("<rml><head><style>" + sheet +
                " #box { position: absolute; left: 0px; top: 0px; width: 10px; height: 10px; " +
                style + " }</style></head><body><div id='box'/></body></rml>");
  }
};

TEST_F(AnimationTest, ToastAddedAtRunTimeHoldsThenFadesAndStaysFaded) {
  Rml::ElementDocument* document = Show("<rml><body/></rml>");
  // As the options menu makes its toast: a style element, then the animated div.
  Rml::ElementPtr toast = document->CreateElement("div");
  toast->SetAttribute("style",
                      "position: absolute; top: 20px; left: 50%; transform: translateX(-50%); "
                      "animation: fadeOut 2s forwards;");
  toast->SetInnerRML("Settings applied successfully!");
  Rml::ElementPtr style = document->CreateElement("style");
  style->SetInnerRML(
      "@keyframes fadeOut {  0% { opacity: 1; }  70% { opacity: 1; }  100% { opacity: 0; }}");
  system.time = 10.0;
  document->AppendChild(std::move(style));
  Rml::Element* div = document->AppendChild(std::move(toast));
  context->Update();
  // Between 70% and 100% the default ease applies: at the segment's middle it has gone 80.24%.
  const std::pair<double, float> timeline[] = {{10.0, 1.f},           {11.0, 1.f}, {11.4, 1.f},
                                               {11.7, 1.f - 0.8024f}, {12.0, 0.f}, {15.0, 0.f}};
  for (const auto& [time, opacity] : timeline) {
    At(div, time);
    EXPECT_NEAR(div->GetComputedValues().opacity, opacity, 1e-3) << time;
    EXPECT_NEAR(div->GetChild(0)->GetOpacity(), opacity, 1e-3) << time;  // the text fades with it
  }
  EXPECT_FALSE(div->GetComputedValues().transform.Empty());
}

TEST_F(AnimationTest, OptionsShapeTheTimeline) {
  const char* sheet =
      "@keyframes slide { from { left: 0px; } to { left: 100px; } }"
      " @keyframes grow { to { width: 50px; transform: scale(3); } }";
  struct Case {
    const char* animation;
    std::vector<std::pair<double, float>> left;  // left at times
  };
  const Case cases[] = {
      {"slide 2s linear",
       {{0, 0}, {0.5, 25}, {1.5, 75}, {2.5, 0}}},  // no fill: back to the base value
      {"slide 2s linear 1s both", {{0.5, 0}, {1.5, 25}, {3.5, 100}}},
      {"linear slide 1s 2 alternate forwards", {{0.25, 25}, {1.25, 75}, {3, 0}}},
      {"slide 1s linear infinite", {{0.5, 50}, {7.25, 25}}},
      {"slide 1s linear 2.5 forwards", {{10, 50}}},
      {"slide 0s forwards", {{0, 100}}},
      {"slide 1s ease-in-out", {{0.5, 50}}},
  };
  for (const Case& test : cases) {
    system.time = 0.0;
    Rml::ElementDocument* document =
        ShowBox(Rml::String("animation: ") + test.animation + ";", sheet);
    Rml::Element* box = document->GetElementById("box");
    for (const auto& [time, left] : test.left)
      EXPECT_NEAR(At(box, time)->GetComputedValues().left.value, left, 1e-3)
          << test.animation << " at " << time;
    document->Close();
    context->Update();
  }

  // A keyframe list without a 0% starts from the element's own values; transforms blend.
  system.time = 0.0;
  Rml::ElementDocument* document = ShowBox("animation: grow 1s linear;", sheet);
  Rml::Element* box = At(document->GetElementById("box"), 0.5);
  EXPECT_EQ(box->GetComputedValues().width.value, 30.f);
  EXPECT_EQ(box->GetBox().content.x, 30.f);
  ASSERT_EQ(box->GetComputedValues().transform.Size(), 1);
  EXPECT_EQ(box->GetComputedValues().transform[0].x, 2.f);
}

TEST_F(AnimationTest, TransitionsFollowClassChangesFromTheValueShown) {
  Rml::ElementDocument* document =
      ShowBox("opacity: 1; transition: opacity 1s linear, left 2s 1s linear;",
              "#box.gone { opacity: 0; left: 40px; }");
  Rml::Element* box = document->GetElementById("box");
  At(box, 5.0);
  box->SetClass("gone", true);
  const std::tuple<double, float, float> timeline[] = {
      {5.0, 1.f, 0.f}, {5.25, 0.75f, 0.f}, {6.5, 0.f, 10.f}, {8.0, 0.f, 40.f}};
  for (const auto& [time, opacity, left] : timeline) {
    At(box, time);
    EXPECT_NEAR(box->GetComputedValues().opacity, opacity, 1e-4) << time;
    EXPECT_NEAR(box->GetComputedValues().left.value, left, 1e-4) << time;
  }
  // Turned back half-way through: from the opacity shown then, over a full duration.
  box->SetClass("gone", false);
  At(box, 9.0);
  EXPECT_NEAR(At(box, 9.5)->GetComputedValues().opacity, 0.5f, 1e-4);
  box->SetClass("gone", true);
  EXPECT_NEAR(At(box, 9.5)->GetComputedValues().opacity, 0.5f, 1e-4);
  EXPECT_NEAR(At(box, 10.0)->GetComputedValues().opacity, 0.25f, 1e-4);
  EXPECT_EQ(At(box, 10.5)->GetComputedValues().opacity, 0.f);

  // Once everything has ended, updates no longer remake the element's geometry.
  At(box, 20.0);
  const Rml::CompiledGeometryHandle made = render.next_geometry;
  At(box, 21.0);
  EXPECT_EQ(render.next_geometry, made);
}

// A clock that, read once, first brings another context up to date: a restyle that runs inside
// a restyle (the animations read the clock while their element is restyled).
class ClockThatUpdatesAnotherContext : public Rml::SystemInterface {
 public:
  double GetElapsedTime() override {
    if (Rml::Context* context = std::exchange(other, nullptr)) context->Update();
    return time;
  }
  double time = 0.0;
  Rml::Context* other = nullptr;
};

TEST_F(AnimationTest, ARestyleInsideARestyleKeepsTheValuesOfEach) {
  Rml::ElementDocument* document =
      ShowBox("opacity: 1; transition: opacity 1s linear;", "#box.gone { opacity: 0; }");
  Rml::Element* box = At(document->GetElementById("box"), 5.0);
  Rml::Context* other = Rml::CreateContext("other", {800, 600});
  Rml::ElementDocument* otherDocument = other->LoadDocumentFromMemory(
      "<rml><head><style>div { opacity: 0.2; } div.on { opacity: 0.6; }</style></head>"
      "<body><div id='other'/></body></rml>",
      "[other]");
  otherDocument->Show();
  other->Update();
  Rml::Element* otherBox = otherDocument->GetElementById("other");

  ClockThatUpdatesAnotherContext clock;
  clock.time = 5.0;
  Rml::SetSystemInterface(&clock);
  otherBox->SetClass("on", true);
  box->SetClass("gone", true);
  clock.other = other;
  context->Update();  // the box's transition starts; the clock restyles the other context
  clock.time = 5.5;
  context->Update();
  Rml::SetSystemInterface(&system);

  // From the opacity shown (1), not from the other element's (0.2).
  EXPECT_NEAR(box->GetComputedValues().opacity, 0.5f, 1e-4);
  EXPECT_NEAR(otherBox->GetComputedValues().opacity, 0.6f, 1e-4);
}

TEST_F(AnimationTest, AllTransitionsAndZeroDurationsAreSafe) {
  Rml::ElementDocument* document =
      ShowBox("transition: all 1s linear; background-color: #000000;",
              "#box.on { background-color: #ff0000; transform: rotate(90deg); }"
              " #box.zero { transition: opacity 0s; opacity: 0.5; }");
  Rml::Element* box = document->GetElementById("box");
  box->SetClass("on", true);
  At(box, 1.0);  // the restyle starts the transitions
  At(box, 1.5);
  EXPECT_EQ(box->GetComputedValues().background_color, Rml::Colourb(128, 0, 0));
  ASSERT_EQ(box->GetComputedValues().transform.Size(), 1);
  EXPECT_FLOAT_EQ(box->GetComputedValues().transform[0].x, 45.f);
  box->SetClass("zero", true);
  EXPECT_EQ(At(box, 1.5)->GetComputedValues().opacity, 0.5f);
}

TEST_F(AnimationTest, MalformedValuesAreReportedAndIgnored) {
  struct Case {
    const char* declaration;
    const char* report;
  };
  const Case cases[] = {
      {"animation: fadeOut -2s", "invalid value 'fadeOut -2s' for 'animation'"},
      {"animation: 2s forwards", "invalid value '2s forwards' for 'animation'"},
      {"animation: a 1s b", "invalid value 'a 1s b' for 'animation'"},
      {"transition: display 1s", "invalid value 'display 1s' for 'transition'"},
      {"transition: opacity 1s 2s 3s", "invalid value 'opacity 1s 2s 3s' for 'transition'"},
  };
  for (const Case& test : cases) {
    Rml::ElementDocument* document = ShowBox(Rml::String(test.declaration) + ";");
    EXPECT_EQ(system.Count(test.report), 1) << test.declaration;
    EXPECT_EQ(document->GetElementById("box")->GetComputedValues().animation, "none")
        << test.declaration;
    document->Close();
  }
  Rml::ElementDocument* document =
      ShowBox("animation: missing 1s;",
              "@keyframes odd { 50 { left: 5px; } 120% { left: 1px; } to { left: 9px; } }");
  EXPECT_EQ(system.Count("keyframe selector '50' of 'odd'"), 1);
  EXPECT_EQ(system.Count("keyframe selector '120%' of 'odd'"), 1);
  EXPECT_EQ(system.Count("animation 'missing' of div#box names no @keyframes"), 1);
  document->GetElementById("box")->SetProperty("animation", "odd 1s linear");
  At(document->GetElementById("box"), 0.0);
  EXPECT_NEAR(At(document->GetElementById("box"), 0.5)->GetComputedValues().left.value, 4.5f, 1e-4);
}

TEST(AnimationTiming, CurvesRunFromZeroToOne) {
  for (Rml::TimingFunction timing :
       {Rml::TimingFunction::Linear, Rml::TimingFunction::Ease, Rml::TimingFunction::EaseIn,
        Rml::TimingFunction::EaseOut, Rml::TimingFunction::EaseInOut}) {
    EXPECT_NEAR(Rml::ApplyTiming(timing, 0.f), 0.f, 1e-5);
    EXPECT_NEAR(Rml::ApplyTiming(timing, 1.f), 1.f, 1e-5);
    EXPECT_NEAR(Rml::ApplyTiming(timing, 2.f), 1.f, 1e-5);
  }
  EXPECT_NEAR(Rml::ApplyTiming(Rml::TimingFunction::EaseInOut, 0.5f), 0.5f, 1e-4);
  EXPECT_LT(Rml::ApplyTiming(Rml::TimingFunction::EaseIn, 0.5f), 0.5f);
}

}  // namespace
}  // namespace rml_test
