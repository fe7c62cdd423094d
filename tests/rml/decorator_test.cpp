// Decorators: the image tile's fit, alignment and orientation, the built-in image and shader
// decorators drawn through the render interface, instancers registered by the host, and the
// "decorator" property changed at run time or naming something unknown.

#include "rml/decorator_builtin.h"
#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

using Fit = Rml::DecoratorTile::Fit;

struct TileCase {
  const char* name;
  Fit fit;
  Rml::DecoratorTile::Align align_x;
  Rml::Vector2i texture;
  Rml::Vector2f surface;
  Rml::Vector2f position, size, uv0, uv1;
};

TEST(DecoratorTileTest, FitAndAlignmentPlaceTheQuadAndCutItsTextureCoordinates) {
  const TileCase cases[] = {
      {"fill stretches", Fit::Fill, {}, {64, 32}, {200, 100}, {0, 0}, {200, 100}, {0, 0}, {1, 1}},
      {"contain centres",
       Fit::Contain,
       {},
       {100, 50},
       {200, 200},
       {0, 50},
       {200, 100},
       {0, 0},
       {1, 1}},
      {"cover overflows and is cut",
       Fit::Cover,
       {},
       {100, 50},
       {200, 200},
       {0, 0},
       {200, 200},
       {0.25f, 0},
       {0.75f, 1}},
      {"scale-none at the left is cut",
       Fit::ScaleNone,
       {true, 0},
       {300, 300},
       {200, 200},
       {0, 0},
       {200, 200},
       {0, 1.f / 6.f},
       {2.f / 3.f, 5.f / 6.f}},
      {"scale-down shrinks",
       Fit::ScaleDown,
       {},
       {400, 100},
       {200, 200},
       {0, 75},
       {200, 50},
       {0, 0},
       {1, 1}},
      {"scale-down keeps small",
       Fit::ScaleDown,
       {false, 10},
       {20, 10},
       {200, 200},
       {10, 95},
       {20, 10},
       {0, 0},
       {1, 1}},
      {"repeat tiles", Fit::Repeat, {}, {50, 50}, {200, 100}, {0, 0}, {200, 100}, {0, 0}, {4, 2}},
  };
  for (const TileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rml::DecoratorTile tile;
    tile.fit = c.fit;
    tile.align[0] = c.align_x;
    Rml::Mesh mesh;
    tile.GenerateGeometry(mesh, c.texture, {0, 0}, c.surface, {255, 255, 255, 255});
    ASSERT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(mesh.vertices[0].position, c.position);
    EXPECT_EQ(mesh.vertices[2].position, c.position + c.size);
    EXPECT_NEAR(mesh.vertices[0].tex_coord.x, c.uv0.x, 1e-5f);
    EXPECT_NEAR(mesh.vertices[0].tex_coord.y, c.uv0.y, 1e-5f);
    EXPECT_NEAR(mesh.vertices[2].tex_coord.x, c.uv1.x, 1e-5f);
    EXPECT_NEAR(mesh.vertices[2].tex_coord.y, c.uv1.y, 1e-5f);
  }
}

TEST(DecoratorTileTest, RotationSwapsCornersAndEmptyInputsMakeNothing) {
  Rml::DecoratorTile tile;
  tile.orientation = Rml::DecoratorTile::Orientation::Rotate180;
  Rml::Mesh mesh;
  tile.GenerateGeometry(mesh, {10, 10}, {5, 5}, {20, 20}, {});
  ASSERT_EQ(mesh.vertices.size(), 4u);
  EXPECT_EQ(mesh.vertices[0].tex_coord, Rml::Vector2f(1, 1));
  EXPECT_EQ(mesh.vertices[2].tex_coord, Rml::Vector2f(0, 0));
  EXPECT_EQ(mesh.vertices[0].position, Rml::Vector2f(5, 5));

  for (Fit fit : {Fit::Fill, Fit::Contain, Fit::Cover, Fit::ScaleDown, Fit::Repeat, Fit::RepeatX}) {
    tile.fit = fit;
    Rml::Mesh empty;
    tile.GenerateGeometry(empty, {10, 10}, {0, 0}, {0, 20}, {});
    tile.GenerateGeometry(empty, {0, 0}, {0, 0}, {20, 20}, {});
    tile.display_scale = 0.f;
    tile.GenerateGeometry(empty, {10, 10}, {0, 0}, {20, 20}, {});
    tile.display_scale = 1.f;
    EXPECT_TRUE(empty.vertices.empty()) << int(fit);
    for (const Rml::Vertex& vertex : empty.vertices) EXPECT_TRUE(std::isfinite(vertex.position.x));
  }
}

using DecoratorTest = RmlTest;
using SpritesheetTest = RmlTest;

TEST_F(DecoratorTest, ImageDecoratorDrawsItsTextureOverThePaddingBoxWithOpacity) {
  Show(
      "<rml><head><style>div { display: block; margin: 5px; width: 64px; height: 32px; border: 2px "
      "solid;"
      " opacity: 0.5; decorator: image(icon.png flip-horizontal); "
      "}</style></head><body><div/></body></rml>",
      "menus/main.rml");
  EXPECT_EQ(render.loaded_textures, (std::vector<Rml::String>{"menus/icon.png"}));
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 2u);  // borders, then the decorator
  const auto& draw = render.draws[1];
  EXPECT_NE(draw.texture, 0u);
  EXPECT_EQ(draw.translation, Rml::Vector2f(5, 5));
  const Rml::Mesh& mesh = render.meshes.at(draw.geometry);
  EXPECT_EQ(mesh.vertices[0].position, Rml::Vector2f(2, 2));
  EXPECT_EQ(mesh.vertices[2].position, Rml::Vector2f(66, 34));
  EXPECT_EQ(mesh.vertices[0].tex_coord, Rml::Vector2f(1, 0));
  EXPECT_EQ(mesh.vertices[0].colour, Rml::Colourb(127, 127, 127, 127));
}

TEST_F(DecoratorTest, ShaderDecoratorCompilesItsNameAndSizeAndDrawsThroughRenderShader) {
  Show(
      "<rml><head><style>div { display: block; width: 30px; height: 20px; padding: 5px;"
      " decorator: shader(\"glow\"); }</style></head><body><div/></body></rml>");
  ASSERT_EQ(render.shaders.size(), 1u);
  EXPECT_EQ(render.shaders[0].name, "shader");
  EXPECT_EQ(render.shaders[0].parameters.at("value").Get<Rml::String>(), "glow");
  EXPECT_EQ(render.shaders[0].parameters.at("dimensions").Get<Rml::Vector2f>(),
            Rml::Vector2f(40, 30));
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 1u);
  EXPECT_EQ(render.draws[0].shader, 1u);
}

class CountingDecorator : public Rml::Decorator {
 public:
  Rml::DecoratorDataHandle GenerateElementData(Rml::Element*, Rml::BoxArea) const override {
    ++live;
    return 1;
  }
  void ReleaseElementData(Rml::DecoratorDataHandle) const override { --live; }
  void RenderElement(Rml::Element*, Rml::DecoratorDataHandle) const override { ++renders; }
  mutable int live = 0;
  mutable int renders = 0;
};

class CountingInstancer : public Rml::DecoratorInstancer {
 public:
  CountingInstancer() {
    RegisterProperty("label", "").AddParser("string");
    RegisterShorthand("decorator", "label", Rml::ShorthandType::FallThrough);
  }
  std::shared_ptr<Rml::Decorator> InstanceDecorator(
      const Rml::String&, const Rml::PropertyDictionary& properties,
      const Rml::DecoratorInstancerInterface&) override {
    labels.push_back(properties.GetProperty("label")->string);
    return decorator;
  }
  std::shared_ptr<CountingDecorator> decorator = std::make_shared<CountingDecorator>();
  std::vector<Rml::String> labels;
};

TEST_F(DecoratorTest, RegisteredInstancerIsReinstancedWhenTheValueChangesAndItsDataReleased) {
  CountingInstancer instancer;
  Rml::Factory::RegisterDecoratorInstancer("counting", &instancer);
  Rml::ElementDocument* document = Show(
      "<rml><head><style>div { display: block; width: 10px; height: 10px; decorator: counting(a); }"
      " div.b { decorator: counting(b); }</style></head><body><div id='d'/></body></rml>");
  Rml::Element* element = document->GetElementById("d");
  EXPECT_EQ(instancer.labels, (std::vector<Rml::String>{"a"}));
  element->SetClass("b", true);
  context->Update();
  ASSERT_TRUE(element->SetProperty("decorator", "counting(\"c d\")"));
  context->Update();
  EXPECT_EQ(instancer.labels, (std::vector<Rml::String>{"a", "b", "c d"}));
  EXPECT_EQ(instancer.decorator->live, 1);
  context->Render();
  EXPECT_EQ(instancer.decorator->renders, 1);
  ASSERT_TRUE(element->SetProperty("decorator", "none"));
  context->Update();
  EXPECT_EQ(instancer.decorator->live, 0);
  context->Render();
  EXPECT_EQ(instancer.decorator->renders, 1);
  ASSERT_TRUE(element->SetProperty("decorator", "counting(e)"));
  context->Update();
  document->Close();
  context->Update();
  EXPECT_EQ(instancer.decorator->live, 0);
}

TEST_F(DecoratorTest, UnknownOrMalformedDecoratorsAreReportedOnceAndDrawNothing) {
  Show(
      "<rml><head><style>div { display: block; width: 10px; height: 10px; }"
      " .u { decorator: sparkle(1); } .m { decorator: image(a.png; } .x { decorator: image(a.png "
      "contain 1deg); }"
      " .g { decorator: image(missing.png); }</style></head><body>"
      "<div class='u'/><div class='u'/><div class='m'/><div class='x'/><div "
      "class='g'/></body></rml>");
  EXPECT_EQ(system.Count("unknown decorator 'sparkle'"), 1);
  EXPECT_EQ(system.Count("no closing parenthesis"), 1);
  EXPECT_EQ(system.Count("'1deg'"), 1);
  render.draws.clear();
  context->Render();
  EXPECT_TRUE(render.draws.empty());
}

TEST_F(SpritesheetTest, SpritesOfASheetAreFoundByNameAndBadLinesReported) {
  Show(
      "<rml><head><style>@spritesheet atlas { src: atlas.png; resolution: 2x; icon: 16px 8px 32px "
      "16px;"
      " bad: 1px 2px; worse: 1px 2px -3px 4px; }\n@spritesheet broken { icon2: 0 0 1px 1px; }\n"
      "div { display: block; width: 32px; height: 16px; decorator: image(icon); }</style></head>"
      "<body><div/></body></rml>",
      "menus/main.rml");
  EXPECT_EQ(render.loaded_textures, (std::vector<Rml::String>{"menus/atlas.png"}));
  render.draws.clear();
  context->Render();
  ASSERT_EQ(render.draws.size(), 1u);
  const Rml::Mesh& mesh = render.meshes.at(render.draws[0].geometry);
  // The 64 x 32 test texture: the sprite's corners at a quarter and three quarters.
  EXPECT_EQ(mesh.vertices[0].tex_coord, Rml::Vector2f(0.25f, 0.25f));
  EXPECT_EQ(mesh.vertices[2].tex_coord, Rml::Vector2f(0.75f, 0.75f));
  EXPECT_EQ(system.Count("main.rml:1: sprite 'bad: 1px 2px' of @spritesheet atlas"), 1);
  EXPECT_EQ(system.Count("sprite 'worse: 1px 2px -3px 4px'"), 1);
  EXPECT_EQ(system.Count("main.rml:2: @spritesheet broken has no src"), 1);

  const Rml::ElementDocument* document = context->GetDocument(0);
  const Rml::Sprite* sprite = document->GetStyleSheet().FindSprite("icon");
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->sprite_sheet->display_scale, 0.5f);
  EXPECT_EQ(document->GetStyleSheet().FindSprite("icon2"), nullptr);
}

}  // namespace
}  // namespace rml_test
