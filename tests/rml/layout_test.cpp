// Layout tables: a document and its style, and the border box every element with an id gets.

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

struct ExpectedBox {
  const char* id;
  float x, y, width, height;
};

struct LayoutCase {
  const char* name;
  const char* style;
  const char* body;
  std::vector<ExpectedBox> boxes;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LayoutCase& test, std::ostream* out) { *out << test.name; }

class LayoutTable : public RmlTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTable, BorderBoxes) {
  const LayoutCase& test = GetParam();
  const Rml::String rml = Rml::String("<rml><head><style>body { display: block; margin: 0; } ") +
                          test.style + "</style></head><body>" + test.body + "</body></rml>";
  Rml::ElementDocument* document = Show(rml);
  ASSERT_NE(document, nullptr);
  for (const ExpectedBox& expected : test.boxes) {
    const Rml::Rectanglef box = BorderBox(document, expected.id);
    EXPECT_NEAR(box.position.x, expected.x, 0.5f) << expected.id;
    EXPECT_NEAR(box.position.y, expected.y, 0.5f) << expected.id;
    EXPECT_NEAR(box.size.x, expected.width, 0.5f) << expected.id;
    EXPECT_NEAR(box.size.y, expected.height, 0.5f) << expected.id;
  }
}

const LayoutCase kCases[] = {
    {"BlockFlowCollapsesSiblingMargins",
     "div { display: block; } #a { height: 20px; margin: 10px; } #b { height: 30px; margin: 15px "
     "5px; }",
     "<div id='a'/><div id='b'/>",
     {{"a", 10, 10, 780, 20}, {"b", 5, 45, 790, 30}}},
    {"NegativeMarginsCollapse",
     "div { display: block; height: 10px; } #a { margin-bottom: 20px; } #b { margin-top: -5px; }",
     "<div id='a'/><div id='b'/>",
     {{"a", 0, 0, 800, 10}, {"b", 0, 25, 800, 10}}},
    {"PercentagesMinMaxAndBoxSizing",
     "div { display: block; } #p { width: 400px; height: 200px; padding: 10px; border: 2px solid "
     "red; }"
     "#a { width: 50%; height: 25%; padding: 5px; box-sizing: border-box; }"
     "#b { width: 10%; min-width: 100px; height: 10px; } #c { width: 90%; max-width: 200px; "
     "height: 10px; }",
     "<div id='p'><div id='a'/><div id='b'/><div id='c'/></div>",
     {{"p", 0, 0, 424, 224},
      {"a", 12, 12, 200, 50},
      {"b", 12, 62, 100, 10},
      {"c", 12, 72, 200, 10}}},
    {"AutoMarginsCentre",
     "div { display: block; } #a { width: 200px; height: 10px; margin: 0 auto; }"
     "#b { width: 200px; height: 10px; margin-left: auto; }",
     "<div id='a'/><div id='b'/>",
     {{"a", 300, 0, 200, 10}, {"b", 600, 10, 200, 10}}},
    {"RelativeAndAbsolutePositioning",
     "div { display: block; } #p { position: relative; width: 300px; height: 200px; padding: 10px; "
     "margin: 20px; }"
     "#r { position: relative; left: 5px; top: 7px; height: 10px; }"
     "#a { position: absolute; right: 10px; bottom: 20%; width: 50px; height: 30px; }"
     "#f { position: fixed; left: 1px; top: 2px; width: 3px; height: 4px; }"
     "#s { position: absolute; width: 10px; height: 10px; }",
     "<div id='p'><div id='r'/><div id='s'/><div id='a'><div id='f'/></div></div>",
     {{"p", 20, 20, 320, 220},
      {"r", 35, 37, 300, 10},
      {"s", 30, 40, 10, 10},
      {"a", 280, 166, 50, 30},
      {"f", 1, 2, 3, 4}}},
    {"AbsoluteStretchesBetweenOffsets",
     "div { display: block; } #p { position: absolute; left: 100px; top: 50px; width: 200px; "
     "height: 100px; border: 5px solid; }"
     "#a { position: absolute; left: 10px; right: 20px; top: 0; bottom: 0; }",
     "<div id='p'><div id='a'/></div>",
     {{"p", 100, 50, 210, 110}, {"a", 115, 55, 170, 100}}},
    {"FlexRowGrowShrinkBasisGap",
     "div { display: block; box-sizing: border-box; } #f { display: flex; width: 600px; height: "
     "100px; gap: 10px; }"
     "#a { flex: 1 1 0px; } #b { flex: 2 1 0px; } #c { width: 100px; flex-shrink: 0; }",
     "<div id='f'><div id='a'/><div id='b'/><div id='c'/></div>",
     {{"a", 0, 0, 160, 100}, {"b", 170, 0, 320, 100}, {"c", 500, 0, 100, 100}}},
    {"FlexShrinkWeightsByBasis",
     "div { display: block; } #f { display: flex; width: 300px; height: 50px; }"
     "#a { flex-basis: 200px; } #b { flex-basis: 400px; }",
     "<div id='f'><div id='a'/><div id='b'/></div>",
     {{"a", 0, 0, 100, 50}, {"b", 100, 0, 200, 50}}},
    {"FlexJustifyAndAlign",
     "div { display: block; } #f { display: flex; width: 400px; height: 100px; justify-content: "
     "space-between; align-items: center; }"
     "#f > div { width: 50px; height: 20px; } #c { align-self: flex-end; }",
     "<div id='f'><div id='a'/><div id='b'/><div id='c'/></div>",
     {{"a", 0, 40, 50, 20}, {"b", 175, 40, 50, 20}, {"c", 350, 80, 50, 20}}},
    {"FlexColumnStretchAndAutoMargin",
     "div { display: block; } #f { display: flex; flex-direction: column; width: 200px; height: "
     "300px; }"
     "#a { height: 50px; } #b { height: 50px; width: 80px; margin-top: auto; margin-left: auto; }",
     "<div id='f'><div id='a'/><div id='b'/></div>",
     {{"a", 0, 0, 200, 50}, {"b", 120, 250, 80, 50}}},
    {"FlexRowReverseAndMinMax",
     "div { display: block; } #f { display: flex; flex-direction: row-reverse; width: 300px; "
     "height: 40px; }"
     "#a { flex-grow: 1; max-width: 100px; } #b { flex-grow: 1; }",
     "<div id='f'><div id='a'/><div id='b'/></div>",
     {{"a", 200, 0, 100, 40}, {"b", 0, 0, 200, 40}}},
    {"TableColumnsFromPercentAndContent",
     "table { width: 400px; } td { height: 20px; } #a { width: 25%; }",
     "<table><tr><td id='a'/><td id='b'/></tr><tr><td id='c' colspan='2'/></tr></table>",
     {{"a", 0, 0, 100, 20}, {"b", 100, 0, 300, 20}, {"c", 0, 20, 400, 20}}},
    {"InlineBlocksShareALine",
     "span { display: inline-block; width: 100px; height: 30px; } p { display: block; margin: 0; "
     "width: 250px; font-size: 16px; line-height: 40px; }",
     "<p id='p'><span id='a'/><span id='b'/><span id='c'/></p>",
     {{"a", 0, 0, 100, 30}, {"c", 0, 44.5f, 100, 30}, {"p", 0, 0, 250, 89}}},
};

INSTANTIATE_TEST_SUITE_P(Modes, LayoutTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rml_test
