// Style sheets: each fault is reported on its own line of the file, in rules, keyframes and
// sprite sheets alike, after comments and blocks that span lines; a later keyframes block or
// sprite of a name replaces the earlier one.

#include "rml/style_sheet.h"

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

class StyleSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rml::SetSystemInterface(&system);
    Rml::Log::ResetOnce();
  }
  void TearDown() override { Rml::SetSystemInterface(nullptr); }
  RecordingSystemInterface system;
};

TEST_F(StyleSheetTest, EachFaultNamesItsLine) {
  Rml::StyleSheet sheet;
  sheet.Parse(
      "/* a comment\n"                           // 10
      "   over two lines */ #a { color: red;\n"  // 11
      "  colr: blue; }\n"                        // 12
      "@keyframes k {\n"                         // 13
      "  from { opacity: 0; }\n"                 // 14
      "  halfway { opacity: 1; }\n"              // 15
      "}\n"                                      // 16
      "@spritesheet s { src: s.png;\n"           // 17
      "  good: 0px 0px 4px 4px;\n"               // 18
      "  bad: 1 2; }\n"                          // 19
      "#b:wobbly { color: red; }\n"              // 20
      "}\n"                                      // 21
      "#c { width\n"                             // 22
      "  ; height: 2px }\n"                      // 23
      "trailing text\n",                         // 24
      "lines.rcss", 10);
  const struct {
    const char* message;
  } expected[] = {
      {"lines.rcss:12: unknown property 'colr'"},
      {"lines.rcss:15: keyframe selector 'halfway' of 'k'"},
      {"lines.rcss:19: sprite 'bad: 1 2' of @spritesheet s"},
      {"lines.rcss:20: selector '#b:wobbly'"},
      {"lines.rcss:21: unexpected '}'"},
      {"lines.rcss:22: declaration 'width' has no ':'"},
      {"lines.rcss:24: text without a rule block"},
  };
  for (const auto& line : expected) EXPECT_EQ(system.Count(line.message), 1) << line.message;
  EXPECT_EQ(system.messages.size(), std::size(expected));
  EXPECT_NE(sheet.FindSprite("good"), nullptr);
}

TEST_F(StyleSheetTest, LaterKeyframesAndSpritesOfANameReplaceEarlierOnes) {
  Rml::StyleSheet first;
  first.Parse(
      "@keyframes k { from { opacity: 0; } to { opacity: 1; } }\n"
      "@spritesheet s { src: a.png; icon: 0px 0px 4px 4px; }\n",
      "first.rcss");
  Rml::StyleSheet second;
  second.Parse(
      "@keyframes k { to { opacity: 0.5; } }\n"
      "@spritesheet t { src: b.png; icon: 8px 0px 2px 2px; }\n",
      "second.rcss");
  first.Merge(second);
  const Rml::KeyframesRule* keyframes = first.FindKeyframes("k");
  ASSERT_NE(keyframes, nullptr);
  EXPECT_EQ(keyframes->keyframes.size(), 1u);
  const Rml::Sprite* icon = first.FindSprite("icon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->rectangle.position.x, 8.f);
  EXPECT_EQ(first.FindKeyframes("missing"), nullptr);
}

}  // namespace
}  // namespace rml_test
