// The "shaded-image" decorator: its property table, the image laid out as the library's image
// decorator does it, the material handed to the shader, and the values that make no decorator.

#include "ui/image_shader_decorator.h"

#include "tests/rml/rml_test_support.h"

namespace {

class ShadedImageTest : public rml_test::RmlTest {
 protected:
  void SetUp() override {
    RmlTest::SetUp();
    Rml::Factory::RegisterDecoratorInstancer("shaded-image", &instancer);
  }

  // Shows one 200 x 200 element decorated with `value` and renders it.
  void ShowDecorated(const std::string& value, const std::string& size = "200px") {
    context->UnloadAllDocuments();
    context->Update();
    Show("<rml><head><style>div { display: block; width: " + size +
         "; height: 200px; decorator: " + value + "; }</style></head><body><div/></body></rml>");
    render.draws.clear();
    context->Render();
  }

  ImageShaderDecoratorInstancer instancer;
};

TEST_F(ShadedImageTest, ValuesFallThroughToSourceMaterialAndTileProperties) {
  const struct {
    const char* text;
    const char* source;
    const char* material;
    int fit;
    int orientation;
  } cases[] = {
      {"\"GAME/Assets/RML/images/Floreth_logo_scr.png\" "
       "\"GAME/Assets/Materials/UIOpalShaderMaterial.json\"",
       "GAME/Assets/RML/images/Floreth_logo_scr.png",
       "GAME/Assets/Materials/UIOpalShaderMaterial.json", 0, 0},
      {"a.png", "a.png", "./GAME/Assets/Materials/UIMaterial.json", 0, 0},
      // The material takes any word, so a fit needs the material before it.
      {"a.png contain", "a.png", "contain", 0, 0},
      {"a.png m.json contain", "a.png", "m.json", 1, 0},
      {"a.png m.json rotate-180 repeat-x", "a.png", "m.json", 6, 3},
  };
  for (const auto& c : cases) {
    Rml::PropertyDictionary properties;
    Rml::String error;
    ASSERT_TRUE(instancer.ParseProperties(properties, c.text, error)) << c.text << ": " << error;
    EXPECT_EQ(properties.GetProperty("image-src")->string, c.source) << c.text;
    EXPECT_EQ(properties.GetProperty("image-material")->string, c.material) << c.text;
    EXPECT_EQ(properties.GetProperty("image-fit")->keyword, c.fit) << c.text;
    EXPECT_EQ(properties.GetProperty("image-orientation")->keyword, c.orientation) << c.text;
  }
}

TEST_F(ShadedImageTest, ImageIsFittedAndDrawnWithTheMaterial) {
  // The recording interface loads every texture as 64 x 32: contain in 200 x 200 is 200 x 100,
  // centred vertically.
  ShowDecorated(
      "shaded-image(\"images/logo.png\" \"GAME/Assets/Materials/UIGoldMaterial.json\" contain)");
  ASSERT_EQ(render.draws.size(), 1u);
  const auto& draw = render.draws[0];
  ASSERT_NE(draw.shader, 0u);
  EXPECT_NE(draw.texture, 0u);
  const auto& shader = render.shaders.at(draw.shader - 1);
  EXPECT_EQ(shader.name, "shader");
  EXPECT_EQ(shader.parameters.at("value").Get<Rml::String>(),
            "GAME/Assets/Materials/UIGoldMaterial.json");
  const Rml::Mesh& mesh = render.meshes.at(draw.geometry);
  ASSERT_EQ(mesh.vertices.size(), 4u);
  EXPECT_EQ(mesh.vertices[0].position, Rml::Vector2f(0, 50));
  EXPECT_EQ(mesh.vertices[2].position, Rml::Vector2f(200, 150));
}

TEST_F(ShadedImageTest, NothingIsDrawnWithoutAnImageOrABox) {
  for (const char* value : {"shaded-image(missing.png)", "shaded-image(auto)", "shaded-image()"}) {
    ShowDecorated(value);
    EXPECT_TRUE(render.draws.empty()) << value;
  }
  ShowDecorated("shaded-image(a.png)", "0px");
  EXPECT_TRUE(render.draws.empty()) << "zero-size box";
}

TEST_F(ShadedImageTest, AlignmentInAnUnsupportedUnitIsReportedAndCentred) {
  ShowDecorated("shaded-image(a.png m.json scale-none 2em)");
  EXPECT_EQ(system.Count("Decorator alignment value is '2em' which uses an unsupported unit (use "
                         "px, %, or keyword)"),
            1);
  ASSERT_EQ(render.draws.size(), 1u);
  EXPECT_EQ(render.meshes.at(render.draws[0].geometry).vertices[0].position, Rml::Vector2f(68, 84));
}

TEST_F(ShadedImageTest, TheNaturalSizeFollowsTheDensityIndependentPixelRatio) {
  // 64 x 32 at a ratio of 2 is 128 x 64, centred in 200 x 200.
  context->SetDensityIndependentPixelRatio(2.f);
  ShowDecorated("shaded-image(a.png m.json scale-none)");
  ASSERT_EQ(render.draws.size(), 1u);
  const Rml::Mesh& mesh = render.meshes.at(render.draws[0].geometry);
  EXPECT_EQ(mesh.vertices[0].position, Rml::Vector2f(36, 68));
  EXPECT_EQ(mesh.vertices[2].position, Rml::Vector2f(164, 132));
}

}  // namespace
