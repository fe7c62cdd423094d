// Transforms: parsing of the "transform" value, where a transformed box is drawn, which element a
// point hits under scale, translate and rotate, the transform origin, and nesting.

#include "rml/transform.h"

#include <cmath>

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

TEST(TransformParse, ValuesBecomeOperationsOrAreRejected) {
  Rml::UnitContext units;
  units.viewport = {800, 600};
  struct Case {
    const char* text;
    bool valid;
    int count;
    Rml::TransformOperation first;
  };
  using Op = Rml::TransformOperation;
  const Case cases[] = {
      {"none", true, 0, {}},
      {"translateX(-50%)", true, 1, {Op::Translate, -50, 0, true, false}},
      {"translate(10px, 5vh)", true, 1, {Op::Translate, 10, 30, false, false}},
      {"translateY(2em)", true, 1, {Op::Translate, 0, 32, false, false}},
      {"scale(2)", true, 1, {Op::Scale, 2, 2}},
      {"scale(2, 0.5) rotate(90deg)", true, 2, {Op::Scale, 2, 0.5f}},
      {"scaleY(0)", true, 1, {Op::Scale, 1, 0}},
      {"rotate(0.25turn)", true, 1, {Op::Rotate, 90, 0}},
      {"rotate(90)", false, 0, {}},  // an angle needs a unit
      {"translateX(5s)", false, 0, {}},
      {"skew(10deg)", false, 0, {}},
      {"scale()", false, 0, {}},
      {"scale(1, 2, 3)", false, 0, {}},
      {"translate(10px", false, 0, {}},
      {"scale(nan)", false, 0, {}},
      {"scale(1) scale(1) scale(1) scale(1) scale(1) scale(1) scale(1) scale(1) scale(1)",
       false,
       0,
       {}},
  };
  for (const Case& test : cases) {
    Rml::TransformList list;
    Rml::String error;
    EXPECT_EQ(Rml::ParseTransform(test.text, 16.f, units, list, error), test.valid) << test.text;
    EXPECT_EQ(error.empty(), test.valid) << test.text << ": " << error;
    ASSERT_EQ(list.Size(), test.count) << test.text;
    if (test.count > 0) {
      EXPECT_EQ(list[0], test.first) << test.text;
    }
  }
}

TEST(TransformInterpolate, MatchingListsBlendAndOthersSwitchHalfway) {
  Rml::UnitContext units;
  auto parse = [&](const char* text) {
    Rml::TransformList list;
    Rml::String error;
    EXPECT_TRUE(Rml::ParseTransform(text, 16.f, units, list, error)) << text;
    return list;
  };
  EXPECT_EQ(Rml::InterpolateTransform(parse("scale(1) translateX(0px)"),
                                      parse("scale(3) translateX(10px)"), 0.5f),
            parse("scale(2) translateX(5px)"));
  EXPECT_EQ(Rml::InterpolateTransform(parse("none"), parse("scale(3) rotate(90deg)"), 0.5f),
            parse("scale(2) rotate(45deg)"));
  EXPECT_EQ(Rml::InterpolateTransform(parse("rotate(90deg)"), parse("none"), 0.25f),
            parse("rotate(67.5deg)"));
  EXPECT_EQ(Rml::InterpolateTransform(parse("scale(2)"), parse("rotate(90deg)"), 0.4f),
            parse("scale(2)"));
  EXPECT_EQ(Rml::InterpolateTransform(parse("translateX(50%)"), parse("translateX(10px)"), 0.6f),
            parse("translateX(10px)"));
}

// A 100 x 50 box at (100, 100) under different transforms.
class TransformTest : public RmlTest {
 protected:
  Rml::ElementDocument* ShowBox(const char* style) {
    return Show(
        Rml::String(
            "<rml><head><style>#box { position: absolute; left: 100px; top: 100px; width: 100px;"
            " height: 50px; background-color: red; ") +
        style + " }</style></head><body><div id='box'/></body></rml>");
  }
  // Where the box's drawn background puts a corner of its border box.
  Rml::Vector2f DrawnCorner(Rml::Vector2f corner) {
    render.draws.clear();
    context->Render();
    EXPECT_FALSE(render.draws.empty());
    if (render.draws.empty()) return {};
    const glm::vec4 moved = render.draws.back().transform * glm::vec4(corner, 0.f, 1.f);
    return {moved.x, moved.y};
  }
};

TEST_F(TransformTest, BoxesAreDrawnAndHitWhereTheTransformPutsThem) {
  struct Case {
    const char* style;
    Rml::Vector2f top_left;      // where (100, 100) is drawn
    Rml::Vector2f bottom_right;  // where (200, 150) is drawn
    Rml::Vector2f inside, outside;
  };
  const Case cases[] = {
      {"", {100, 100}, {200, 150}, {101, 101}, {99, 99}},
      {"transform: scale(2);", {50, 75}, {250, 175}, {60, 80}, {40, 70}},
      {"transform: translateX(-50%) translateY(10px);",
       {50, 110},
       {150, 160},
       {60, 112},
       {160, 112}},
      {"transform: translate(10vw, 0);", {180, 100}, {280, 150}, {270, 120}, {150, 120}},
      {"transform: rotate(90deg);", {175, 75}, {125, 175}, {140, 80}, {110, 110}},
      {"transform: scale(2); transform-origin: left top;",
       {100, 100},
       {300, 200},
       {290, 190},
       {99, 120}},
      {"transform: scale(2); transform-origin: 0 100%;",
       {100, 50},
       {300, 150},
       {290, 60},
       {150, 160}},
  };
  for (const Case& test : cases) {
    Rml::ElementDocument* document = ShowBox(test.style);
    Rml::Element* box = document->GetElementById("box");
    const Rml::Vector2f top_left = DrawnCorner({100, 100}), bottom_right = DrawnCorner({200, 150});
    EXPECT_NEAR(top_left.x, test.top_left.x, 1e-3) << test.style;
    EXPECT_NEAR(top_left.y, test.top_left.y, 1e-3) << test.style;
    EXPECT_NEAR(bottom_right.x, test.bottom_right.x, 1e-3) << test.style;
    EXPECT_NEAR(bottom_right.y, test.bottom_right.y, 1e-3) << test.style;
    EXPECT_EQ(context->GetElementAtPoint(test.inside), box) << test.style;
    EXPECT_NE(context->GetElementAtPoint(test.outside), box) << test.style;
    document->Close();
    context->Update();
  }
}

TEST_F(TransformTest, TransformsNestAndOnlyChangesReachTheRenderInterface) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { position: absolute; left: 0; top: 0; width: 100px; height: 100px; }"
      " #outer { transform: translateX(200px); } #inner { left: 10px; top: 10px; width: 20px; "
      "height: 20px;"
      " transform: scale(2); transform-origin: left top; }</style></head>"
      "<body><div id='outer'><div id='inner'/><div id='sibling' style='left: 50px; width: "
      "10px'/></div></body></rml>");
  // inner covers (10, 10)-(50, 50) scaled, then moved right by 200.
  EXPECT_EQ(context->GetElementAtPoint({245, 45}), document->GetElementById("inner"));
  EXPECT_EQ(context->GetElementAtPoint({255, 5}), document->GetElementById("sibling"));
  EXPECT_EQ(context->GetElementAtPoint({45, 45}), nullptr);  // the document itself has no height
  EXPECT_EQ(Rml::Context::ToElementSpace(*document->GetElementById("inner"), {250, 50}),
            Rml::Vector2f(30, 30));

  render.transform_calls = 0;
  context->Render();
  // Set for outer, set for inner, back to outer's, back to none.
  EXPECT_EQ(render.transform_calls, 4);
  EXPECT_EQ(render.transform, Rml::Matrix4f(1.f));
}

TEST_F(TransformTest, ZeroScaleIsSafeAndBadValuesAreReportedOnce) {
  Rml::ElementDocument* document = ShowBox("transform: scale(0);");
  EXPECT_EQ(context->GetElementAtPoint({150, 125}), nullptr);  // the flattened box takes no hit
  const Rml::Vector2f corner = DrawnCorner({100, 100});
  EXPECT_TRUE(std::isfinite(corner.x) && std::isfinite(corner.y));
  document->Close();
  context->Update();

  document = ShowBox("transform: skew(10deg); transform: scale(0.5 ;");
  EXPECT_TRUE(document->GetElementById("box")->GetComputedValues().transform.Empty());
  EXPECT_EQ(system.Count("invalid value 'skew(10deg)' for 'transform'"), 1);
  EXPECT_FALSE(document->GetElementById("box")->SetProperty("transform", "rotate(1)"));
  EXPECT_TRUE(document->GetElementById("box")->SetProperty("transform", "rotate(1deg)"));
}

}  // namespace
}  // namespace rml_test
