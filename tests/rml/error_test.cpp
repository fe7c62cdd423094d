// Malformed documents and style sheets load what they can and say where the fault is; limits
// keep hostile input bounded.

#include "rml/document_parser.h"
#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

using ErrorTest = RmlTest;

TEST_F(ErrorTest, MalformedDocumentReportsFileAndLineAndKeepsWhatWasRead) {
  Rml::ElementDocument* document =
      Show("<rml><body>\n<div id='a'/>\n<div id='b'>\n</p>\n</body></rml>", "menus/broken.rml");
  ASSERT_NE(document, nullptr);
  EXPECT_NE(document->GetElementById("a"), nullptr);
  EXPECT_EQ(system.Count("menus/broken.rml:4:"), 1)
      << (system.messages.empty() ? "" : system.messages[0].second);
}

TEST_F(ErrorTest, MalformedStyleSheetSkipsTheBadPartsOnly) {
  Rml::ElementDocument* document = Show(
      "<rml><head><style>\n"
      "#a { color: red; widht: 10px; height: 12px; }\n"
      "#a { width: banana; }\n"
      "#a:nonsense { color: blue; }\n"
      "#a { background-color: lime }\n"
      "}\n"
      "</style></head><body><div id='a'/></body></rml>",
      "hud.rml");
  const Rml::ComputedValues& values = document->GetElementById("a")->GetComputedValues();
  EXPECT_EQ(values.color, Rml::Colourb(255, 0, 0));
  EXPECT_FLOAT_EQ(values.height.value, 12.f);
  EXPECT_EQ(values.background_color, Rml::Colourb(0, 255, 0));
  EXPECT_EQ(system.Count("hud.rml:2: unknown property 'widht'"), 1);
  EXPECT_EQ(system.Count("hud.rml:3: invalid value 'banana' for 'width'"), 1);
  EXPECT_EQ(system.Count("hud.rml:4: selector '#a:nonsense'"), 1);
  EXPECT_EQ(system.Count("hud.rml:6: unexpected '}'"), 1);
}

TEST_F(ErrorTest, UnknownPropertyIsReportedOnce) {
  for (int i = 0; i < 3; ++i)
    Show("<rml><head><style>p { glow: 1; }</style></head><body><p/></body></rml>", "same.rml");
  EXPECT_EQ(system.Count("unknown property 'glow'"), 1);
}

TEST_F(ErrorTest, MissingFilesFailCleanly) {
  EXPECT_EQ(context->LoadDocument("/nonexistent/menu.rml"), nullptr);
  EXPECT_EQ(system.Count("/nonexistent/menu.rml"), 1);
  Rml::ElementDocument* document = Show(
      "<rml><head><link type='text/rcss' href='missing.rcss'/></head><body><img id='i' "
      "src='missing.png'/></body></rml>",
      "ui/menu.rml");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(system.Count("cannot read style sheet 'ui/missing.rcss'"), 1);
  EXPECT_EQ(render.loaded_textures, (std::vector<Rml::String>{"ui/missing.png"}));
  EXPECT_FALSE(Rml::LoadFontFace("/nonexistent/font.ttf"));
}

// A link to a file without end, or a document far larger than any menu, is refused at the
// ceiling with the reason, and the linking document still loads.
TEST_F(ErrorTest, DocumentsAndStyleSheetsAreReadUpToACeiling) {
  EXPECT_EQ(context->LoadDocument("/dev/zero"), nullptr);
  EXPECT_EQ(
      system.Count("Could not load document '/dev/zero': the file is larger than 8388608 bytes"),
      1);
  Rml::ElementDocument* document = Show(
      "<rml><head><link type='text/rcss' href='/dev/zero'/></head><body><p id='p'/></body></rml>",
      "ui/menu.rml");
  ASSERT_NE(document, nullptr);
  EXPECT_NE(document->GetElementById("p"), nullptr);
  EXPECT_EQ(system.Count("ui/menu.rml:1: cannot read style sheet '/dev/zero': the file is larger "
                         "than 8388608 bytes"),
            1);
}

TEST_F(ErrorTest, StyleAttributeFaultsNameTheDocumentAndTheElement) {
  Show(
      "<rml><body><div class='panel'><p id='score' style='colour: red; width: "
      "3px'/></div></body></rml>",
      "menus/hud.rml");
  EXPECT_EQ(system.Count("menus/hud.rml: style attribute of p#score < div.panel < body: unknown "
                         "property 'colour'"),
            1);
  Rml::Element loose("p");
  loose.SetAttribute("style", "height: tall");
  EXPECT_EQ(system.Count("style attribute of p: invalid value 'tall' for 'height'"), 1);
}

TEST_F(ErrorTest, DeepNestingAndHugeValuesAreBounded) {
  Rml::String deep;
  for (int i = 0; i < 1000; ++i) deep += "<div>";
  for (int i = 0; i < 1000; ++i) deep += "</div>";
  Rml::ElementDocument* document = Show("<rml><body>" + deep + "</body></rml>");
  int depth = 0;
  for (Rml::Element* element = document; element->GetNumChildren() > 0;
       element = element->GetChild(0))
    ++depth;
  EXPECT_LT(depth, 200);
  EXPECT_EQ(system.Count("nested deeper than"), 1);
  const Rml::String huge(100000, 'x');
  document = Show("<rml><body><div id='h' data-x='" + huge + "'>" + huge + "</div></body></rml>");
  EXPECT_EQ(document->GetElementById("h")->GetAttribute<Rml::String>("data-x", "").size(),
            Rml::DocumentParser::kMaxAttributeLength);
}

TEST_F(ErrorTest, EntitiesDecodeAndEncode) {
  EXPECT_EQ(Rml::StringUtilities::DecodeRml("a &amp; b &lt;c&gt; &#65;&#x42; &unknown; &"),
            "a & b <c> AB &unknown; &");
  EXPECT_EQ(Rml::StringUtilities::EncodeRml("<a & \"b\">"), "&lt;a &amp; &quot;b&quot;&gt;");
}

}  // namespace
}  // namespace rml_test
