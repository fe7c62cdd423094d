// Text: wrapping at spaces, alignment, white-space modes, entities, and the glyph geometry that
// reaches the render interface.

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

using TextTest = RmlTest;

const Rml::Element* TextOf(Rml::ElementDocument* document, const char* id) {
  return document->GetElementById(id)->GetChild(0);
}

int Width(const Rml::String& text, int size = 16) {
  Rml::FontEngineInterface* engine = Rml::GetFontEngineInterface();
  return engine->GetStringWidth(engine->GetFontFaceHandle("dejavu sans", false, 400, size), text,
                                {});
}

TEST_F(TextTest, WrapsAtSpacesAndAligns) {
  const int word = Width("word");
  const int two_words = Width("word word");
  const Rml::String style =
      "<rml><head><style>p { display: block; margin: 0; font-family: DejaVu Sans; width: " +
      std::to_string(two_words + 2) + "px; line-height: 20px; }</style></head><body>";
  Rml::ElementDocument* document =
      Show(style +
           "<p id='l'>word word word</p><p id='r' style='text-align: right'>word word word</p>"
           "<p id='c' style='text-align: center'>word</p>"
           "<p id='n' style='white-space: nowrap'>word word word</p>"
           "<p id='pre' style='white-space: pre'>a  b\nc</p></body></rml>");
  const auto& left = TextOf(document, "l")->GetTextLines();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].text, "word word");
  EXPECT_EQ(left[1].text, "word");
  EXPECT_FLOAT_EQ(left[0].position.x, 0.f);
  EXPECT_FLOAT_EQ(left[1].position.y - left[0].position.y, 20.f);
  EXPECT_FLOAT_EQ(BorderBox(document, "l").size.y, 40.f);
  const auto& right = TextOf(document, "r")->GetTextLines();
  ASSERT_EQ(right.size(), 2u);
  EXPECT_NEAR(right[1].position.x, float(two_words + 2 - word), 0.5f);
  EXPECT_NEAR(TextOf(document, "c")->GetTextLines()[0].position.x,
              float(two_words + 2 - word) / 2.f, 0.5f);
  EXPECT_EQ(TextOf(document, "n")->GetTextLines().size(), 1u);
  const auto& pre = TextOf(document, "pre")->GetTextLines();
  ASSERT_EQ(pre.size(), 2u);
  EXPECT_EQ(pre[0].text, "a  b");
}

TEST_F(TextTest, SpansAndInlineBlocksFlowWithTheText) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>p { display: block; margin: 0; width: 400px; } #box { display: "
      "inline-block; width: 30px;"
      " height: 10px; } .up { text-transform: uppercase; }</style></head>"
      "<body><p id='p'>one <span id='s' class='up'>two</span><span id='box'/> "
      "three&amp;four</p></body></rml>");
  Rml::Element* paragraph = document->GetElementById("p");
  EXPECT_EQ(paragraph->GetChild(1)->GetChild(0)->GetTextLines()[0].text, "TWO");
  EXPECT_EQ(paragraph->GetChild(3)->GetTextLines()[0].text, "three&four");
  const Rml::Rectanglef span = BorderBox(document, "s"), box = BorderBox(document, "box");
  EXPECT_NEAR(span.position.x, float(Width("one ")), 1.f);
  EXPECT_NEAR(box.position.x, span.position.x + span.size.x, 1.f);
  EXPECT_EQ(paragraph->GetChild(3)->GetTextLines().size(), 1u);
}

TEST_F(TextTest, VerticalAlignMiddleCentresAnInlineBlockOnTheText) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>p { display: block; margin: 0; line-height: 60px; } span { display: "
      "inline-block;"
      " width: 10px; height: 10px; } #m { vertical-align: middle; }</style></head>"
      "<body><p id='p' lang='fr' dir='rtl'>x<span id='b'/><span id='m'/></p></body></rml>");
  const Rml::Rectanglef baseline_box = BorderBox(document, "b"),
                        middle_box = BorderBox(document, "m");
  // The baseline box sits on the baseline; the middle one is centred half an x-height above it.
  EXPECT_GT(middle_box.position.y, baseline_box.position.y);
  EXPECT_LT(middle_box.position.y, baseline_box.position.y + 10.f);
  const Rml::ComputedValues& text = document->GetElementById("p")->GetChild(0)->GetComputedValues();
  EXPECT_EQ(text.language, "fr");
  EXPECT_EQ(text.direction, "rtl");
}

TEST_F(TextTest, GlyphsBecomeTexturedQuadsOnAnAtlas) {
  Show(
      "<rml><head><style>p { display: block; color: #ff0000; "
      "}</style></head><body><p>Hi</p></body></rml>");
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 1u);
  const Rml::Mesh& mesh = render.meshes.at(render.draws[0].geometry);
  EXPECT_EQ(mesh.vertices.size(), 8u);  // two glyphs
  EXPECT_EQ(mesh.vertices[0].colour, Rml::Colourb(255, 0, 0));
  EXPECT_NE(render.draws[0].texture, 0u);
  EXPECT_EQ(render.generated_textures, 1);
  // A second frame draws the same geometry without compiling anything again.
  const auto compiled = render.next_geometry;
  context->Update();
  context->Render();
  EXPECT_EQ(render.next_geometry, compiled);
}

TEST_F(TextTest, FontMetricsAndFaceLookUpByFamilyOrFileStem) {
  Rml::FontEngineInterface* engine = Rml::GetFontEngineInterface();
  const Rml::FontFaceHandle by_family = engine->GetFontFaceHandle("dejavu sans", false, 400, 20);
  const Rml::FontFaceHandle by_stem = engine->GetFontFaceHandle("dejavusans", false, 400, 20);
  EXPECT_NE(by_family, 0u);
  EXPECT_EQ(by_family, by_stem);
  const Rml::FontMetrics& metrics = engine->GetFontMetrics(by_family);
  EXPECT_EQ(metrics.size, 20);
  EXPECT_GT(metrics.ascent, 10.f);
  EXPECT_GT(metrics.descent, 0.f);
  // Letter spacing adds to every character.
  Rml::TextShapingContext spaced;
  spaced.letter_spacing = 2.f;
  EXPECT_EQ(engine->GetStringWidth(by_family, "abc", spaced),
            engine->GetStringWidth(by_family, "abc", {}) + 6);
  // Kerning: DejaVu Sans kerns "AV" tighter than the two advances.
  EXPECT_LT(
      engine->GetStringWidth(by_family, "AV", {}),
      engine->GetStringWidth(by_family, "A", {}) + engine->GetStringWidth(by_family, "V", {}));
}

}  // namespace
}  // namespace rml_test
