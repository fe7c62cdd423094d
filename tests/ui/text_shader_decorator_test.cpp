// The "text-shader" decorator: its property table, the text placed in the element's box with the
// element's or its own colour and drawn with the material, and values that make no decorator.

#include "ui/text_shader_decorator.h"

#include <algorithm>

#include "tests/rml/rml_test_support.h"

namespace {

class TextShaderTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    Rml::Factory::RegisterDecoratorInstancer("text-shader", &instancer);
  }

  void ShowDecorated(const std::string& value, const std::string& extra = "") {
    context->UnloadAllDocuments();
    context->Update();
    Show(
        "<rml><head><style>div { display: block; width: 300px; height: 100px; font-size: 20px; "
        "color: #00ff00; " +
        extra + " decorator: " + value + "; }</style></head><body><div/></body></rml>");
    render.draws.clear();
    context->Render();
  }

  // The left edge and the first vertex colour of what was drawn.
  float Left() const {
    float left = 1e9f;
    for (const auto& draw : render.draws)
      for (const Rml::Vertex& vertex : render.meshes.at(draw.geometry).vertices)
        left = std::min(left, vertex.position.x);
    return left;
  }
  Rml::Colourb Colour() const {
    return render.meshes.at(render.draws.at(0).geometry).vertices.at(0).colour;
  }

  TextShaderDecoratorInstancer instancer;
};

TEST_F(TextShaderTest, ValuesFallThroughTextColourAlignmentAndMaterial) {
  const struct {
    const char* text;
    const char* word;
    Rml::Unit colour;
    int alignX;
    int alignY;
    const char* material;
  } cases[] = {
      {"UNDREL left center \"GAME/Assets/Materials/ObsidianMaterial.json\"", "UNDREL",
       Rml::Unit::Keyword, 0, 1, "GAME/Assets/Materials/ObsidianMaterial.json"},
      {"LORETH", "LORETH", Rml::Unit::Keyword, 1, 1, "./GAME/Assets/Materials/UIMaterial.json"},
      {"GO red right bottom m.json", "GO", Rml::Unit::Colour, 2, 2, "m.json"},
  };
  for (const auto& c : cases) {
    Rml::PropertyDictionary properties;
    Rml::String error;
    ASSERT_TRUE(instancer.ParseProperties(properties, c.text, error)) << c.text << ": " << error;
    EXPECT_EQ(properties.GetProperty("text")->string, c.word) << c.text;
    EXPECT_EQ(properties.GetProperty("color")->unit, c.colour) << c.text;
    EXPECT_EQ(properties.GetProperty("align-x")->keyword, c.alignX) << c.text;
    EXPECT_EQ(properties.GetProperty("align-y")->keyword, c.alignY) << c.text;
    EXPECT_EQ(properties.GetProperty("material")->string, c.material) << c.text;
  }
}

TEST_F(TextShaderTest, TextIsPlacedColouredAndDrawnWithTheMaterial) {
  ShowDecorated("text-shader(UNDREL left center \"GAME/Assets/Materials/UIGoldMaterial.json\")");
  ASSERT_FALSE(render.draws.empty());
  for (const auto& draw : render.draws) {
    ASSERT_NE(draw.shader, 0u);
    EXPECT_NE(draw.texture, 0u);
    EXPECT_EQ(render.shaders.at(draw.shader - 1).parameters.at("value").Get<Rml::String>(),
              "GAME/Assets/Materials/UIGoldMaterial.json");
  }
  EXPECT_LT(Left(), 5.0f) << "left aligned";
  EXPECT_EQ(Colour(), Rml::Colourb(0, 255, 0, 255)) << "the element's colour";

  ShowDecorated("text-shader(UNDREL)");
  EXPECT_GT(Left(), 50.0f) << "centred";
  EXPECT_EQ(render.shaders.back().parameters.at("value").Get<Rml::String>(),
            "./GAME/Assets/Materials/UIMaterial.json");

  ShowDecorated("text-shader(UNDREL red)", "opacity: 0.5;");
  EXPECT_EQ(Colour(), Rml::Colourb(127, 0, 0, 127))
      << "its own colour, premultiplied by the opacity";
}

TEST_F(TextShaderTest, EntitiesAreDecodedAndEmptyValuesMakeNothing) {
  const auto vertices = [this] {
    std::size_t count = 0;
    for (const auto& draw : render.draws) count += render.meshes.at(draw.geometry).vertices.size();
    return count;
  };
  ShowDecorated("text-shader(A&amp;B left)");
  EXPECT_EQ(vertices(), 12u) << "three glyphs";
  ShowDecorated("text-shader(\"\")");
  EXPECT_TRUE(render.draws.empty());
  ShowDecorated("text-shader(word left \"\")");
  EXPECT_TRUE(render.draws.empty());
}

}  // namespace
