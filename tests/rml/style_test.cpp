// The cascade: which declaration wins (specificity, source order, inline style, !important),
// what inherits, and which selectors match.

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

using StyleTest = RmlTest;

Rml::Colourb ColourOf(Rml::ElementDocument* document, const char* id) {
  return document->GetElementById(id)->GetComputedValues().color;
}

TEST_F(StyleTest, SpecificityThenSourceOrderThenInlineThenImportant) {
  struct Case {
    const char* style;
    const char* element;
    Rml::Colourb expected;
  };
  const Rml::Colourb red(255, 0, 0), blue(0, 0, 255), lime(0, 255, 0);
  const Case cases[] = {
      {"#x { color: red; } .c { color: blue; }", "<p id='x' class='c'/>", red},
      {".c { color: red; } p { color: blue; }", "<p id='x' class='c'/>", red},
      {"p { color: red; } p { color: blue; }", "<p id='x'/>", blue},
      {".a.b { color: red; } .b { color: blue; }", "<p id='x' class='a b'/>", red},
      {"div p { color: red; } p { color: blue; }", "<div><p id='x'/></div>", red},
      {"#x { color: red; }", "<p id='x' style='color: blue'/>", blue},
      {"p { color: red !important; } #x { color: lime; }", "<p id='x' style='color: blue'/>", red},
      {"p { color: red !important; } p { color: lime !important; }", "<p id='x'/>", lime},
      {"div > p { color: red; }", "<div><span><p id='x'/></span></div>", Rml::Colourb(0, 0, 0)},
      {"div > span p { color: red; }", "<div><span><div><p id='x'/></div></span></div>", red},
      {"[data-kind] { color: red; }", "<p id='x' data-kind='q'/>", red},
      {"[data-kind=q] { color: red; } [data-kind=r] { color: blue; }", "<p id='x' data-kind='q'/>",
       red},
      {"* { color: blue; } p { color: red; }", "<p id='x'/>", red},
      {"input:checked { color: red; }", "<input id='x' type='checkbox' checked=''/>", red},
  };
  for (const Case& test : cases) {
    Rml::ElementDocument* document = Show(Rml::String("<rml><head><style>") + test.style +
                                          "</style></head><body>" + test.element + "</body></rml>");
    EXPECT_EQ(ColourOf(document, "x"), test.expected) << test.style << " / " << test.element;
    document->Close();
  }
}

TEST_F(StyleTest, InheritedPropertiesFlowDownAndOthersDoNot) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>#outer { color: #102030; font-size: 20px; line-height: 1.5; "
      "background-color: red;"
      " padding: 4px; visibility: hidden; } #inner { font-size: 2em; } #em { width: 2em; "
      "}</style></head>"
      "<body><div id='outer'><div id='inner'><div id='em'/></div></div></body></rml>");
  const Rml::ComputedValues& inner = document->GetElementById("inner")->GetComputedValues();
  EXPECT_EQ(inner.color, Rml::Colourb(0x10, 0x20, 0x30));
  EXPECT_FLOAT_EQ(inner.font_size, 40.f);
  EXPECT_FLOAT_EQ(inner.line_height, 60.f);  // a factor is inherited, not the pixels
  EXPECT_EQ(inner.background_color.alpha, 0);
  EXPECT_FLOAT_EQ(inner.padding[0].value, 0.f);
  EXPECT_EQ(inner.visibility, Rml::Style::Visibility::Hidden);
  EXPECT_FLOAT_EQ(document->GetElementById("em")->GetComputedValues().width.value, 80.f);
}

TEST_F(StyleTest, UnitsAndColoursParse) {
  context->SetDensityIndependentPixelRatio(2.f);
  Rml::ElementDocument* document = Show(
      "<rml><head><style>body { font-size: 10px; } #a { width: 10vw; height: 10vh; margin-left: "
      "3dp; margin-top: 2rem;"
      " color: #abc; background-color: rgba(255, 0, 0, 0.5); border-top-color: #11223344; "
      "}</style></head>"
      "<body><div id='a'/></body></rml>");
  const Rml::ComputedValues& values = document->GetElementById("a")->GetComputedValues();
  EXPECT_FLOAT_EQ(values.width.value, 80.f);
  EXPECT_FLOAT_EQ(values.height.value, 60.f);
  EXPECT_FLOAT_EQ(values.margin[Rml::kLeft].value, 6.f);
  EXPECT_FLOAT_EQ(values.margin[Rml::kTop].value, 32.f);  // rem is the root size of 16px
  EXPECT_EQ(values.color, Rml::Colourb(0xaa, 0xbb, 0xcc));
  EXPECT_EQ(values.background_color, Rml::Colourb(255, 0, 0, 128));
  EXPECT_EQ(values.border_colour[Rml::kTop], Rml::Colourb(0x11, 0x22, 0x33, 0x44));
}

TEST_F(StyleTest, ClassAndPropertyChangesRestyleAtTheNextUpdate) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; height: 10px; } .tall { height: 30px; } .tall span "
      "{ color: red; }"
      "</style></head><body><div id='a'><span id='s'>x</span></div><div id='b'/></body></rml>");
  Rml::Element* a = document->GetElementById("a");
  a->SetClass("tall", true);
  EXPECT_TRUE(a->IsClassSet("tall"));
  context->Update();
  EXPECT_FLOAT_EQ(BorderBox(document, "a").size.y, 30.f);
  EXPECT_FLOAT_EQ(BorderBox(document, "b").position.y, 30.f);
  EXPECT_EQ(ColourOf(document, "s"), Rml::Colourb(255, 0, 0));
  a->SetProperty("height", "12px");
  context->Update();
  EXPECT_FLOAT_EQ(BorderBox(document, "a").size.y, 12.f);
  a->RemoveProperty("height");
  a->SetClass("tall", false);
  context->Update();
  EXPECT_FLOAT_EQ(BorderBox(document, "a").size.y, 10.f);
  EXPECT_FALSE(a->SetProperty("height", "twelve"));
}

TEST_F(StyleTest, StyleAddedAtRunTimeApplies) {
  Rml::ElementDocument* document = Show("<rml><body><div id='a'/></body></rml>");
  document->GetElementById("a")->SetInnerRML("<style>#a { color: red; }</style>");
  context->Update();
  EXPECT_EQ(ColourOf(document, "a"), Rml::Colourb(255, 0, 0));
}

TEST_F(StyleTest, HoverFollowsTheMouse) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; height: 50px; } #a:hover { height: 60px; } "
      "#a:active { color: red; }"
      "</style></head><body><div id='a'/><div id='b'/></body></rml>");
  context->ProcessMouseMove(10, 10, 0);
  context->Update();
  EXPECT_TRUE(document->GetElementById("a")->IsPseudoClassSet("hover"));
  EXPECT_FLOAT_EQ(BorderBox(document, "a").size.y, 60.f);
  context->ProcessMouseButtonDown(0, 0);
  context->Update();
  EXPECT_EQ(ColourOf(document, "a"), Rml::Colourb(255, 0, 0));
  context->ProcessMouseButtonUp(0, 0);
  context->ProcessMouseMove(10, 80, 0);
  context->Update();
  EXPECT_FALSE(document->GetElementById("a")->IsPseudoClassSet("hover"));
  EXPECT_TRUE(document->GetElementById("b")->IsPseudoClassSet("hover"));
  EXPECT_FLOAT_EQ(BorderBox(document, "a").size.y, 50.f);
}

}  // namespace
}  // namespace rml_test
