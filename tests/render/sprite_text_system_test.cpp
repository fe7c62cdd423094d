#include "render/sprite_text_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "components/sprite_text.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "engine/resource_provider.h"
#include "tests/render/render_test_scene.h"

namespace {

// Characters 20 units wide and lines 30 high, with no projection: a character's matrix is
// T(x, y, 1) x M, so its translation column holds where its line and column put it.
const glm::mat4 kModel =
    glm::mat4(glm::vec4(20.0f, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f, 30.0f, 0.0f, 0.0f),
              glm::vec4(0.0f, 0.0f, 1.0f, 0.0f), glm::vec4(0, 0, 0, 1));

struct Expected {
  glm::vec2 at;
  char cellOf;  // the character whose cell is drawn
  glm::vec4 color1{1.0f};
  glm::vec4 color2{0.0f};
};

glm::vec2 CellOf(char character) {
  const int cell = character - 32;
  return {static_cast<float>(cell % 16) / 16.0f, 1.0f - static_cast<float>(cell / 16 + 1) / 6.0f};
}

std::vector<SpriteCharacter> Layout(const std::string& text, const char* anchorX,
                                    const char* anchorY) {
  std::vector<SpriteCharacter> characters;
  LayoutSpriteText(text, kModel, anchorX, anchorY, glm::mat4(1.0f), characters);
  return characters;
}

TEST(SpriteTextLayout, AnchorsEscapesAndCellsPlaceEachCharacter) {
  const glm::vec4 white(1.0f);
  const glm::vec4 clear(0.0f);
  const glm::vec4 yellow(9.0f, 9.0f, 0.0f, 0.0f);
  const struct {
    const char* name;
    std::string text;
    const char* anchorX;
    const char* anchorY;
    std::vector<Expected> characters;
  } cases[] = {
      {"left and top: the first line one line height down",
       "AB",
       "left",
       "top",
       {{{0, 30}, 'A'}, {{20, 30}, 'B'}}},
      {"one character centred", "A", "center", "top", {{{-10, 30}, 'A'}}},
      {"two characters centred", "AB", "center", "top", {{{-20, 30}, 'A'}, {{0, 30}, 'B'}}},
      {"right", "AB", "right", "top", {{{-40, 30}, 'A'}, {{-20, 30}, 'B'}}},
      {"unknown words count as left and top", "A", "middle", "above", {{{0, 30}, 'A'}}},
      {"two lines from the bottom", "A\nB", "left", "bottom", {{{0, -30}, 'A'}, {{0, 0}, 'B'}}},
      {"two lines centred", "A\nB", "left", "center", {{{0, 0}, 'A'}, {{0, 30}, 'B'}}},
      {"each line is anchored by its own length",
       "AB\nC",
       "right",
       "top",
       {{{-40, 30}, 'A'}, {{-20, 30}, 'B'}, {{-20, 60}, 'C'}}},
      {"a final line feed ends with an empty line", "A\n", "left", "bottom", {{{0, -30}, 'A'}}},
      {"an empty text draws nothing", "", "center", "center", {}},
      {"a blank draws its own cell", " ", "left", "top", {{{0, 30}, ' '}}},
      // The escape takes no width but counts in the line's length: 7 bytes centred.
      {"first colour escape", "\\c9900A", "center", "top", {{{-70, 30}, 'A', yellow}}},
      {"second colour escape",
       "\\h1234A",
       "left",
       "top",
       {{{0, 30}, 'A', white, {1.0f, 2.0f, 3.0f, 4.0f}}}},
      {"colours carry over line ends",
       "\\c9900A\nB",
       "left",
       "top",
       {{{0, 30}, 'A', yellow}, {{0, 60}, 'B', yellow}}},
      {"a backslash before another letter is drawn",
       "\\xA",
       "left",
       "top",
       {{{0, 30}, '\\'}, {{20, 30}, 'x'}, {{40, 30}, 'A'}}},
      {"an escape cut short by the end of the text is drawn as it stands",
       "A\\c99",
       "left",
       "top",
       {{{0, 30}, 'A'}, {{20, 30}, '\\'}, {{40, 30}, 'c'}, {{60, 30}, '9'}, {{80, 30}, '9'}}},
      {"an escape cut short by a line feed likewise",
       "\\c9\nB",
       "left",
       "top",
       {{{0, 30}, '\\'}, {{20, 30}, 'c'}, {{40, 30}, '9'}, {{0, 60}, 'B'}}},
      {"bytes past '{' and below the blank draw the cell of '@'",
       std::string("{") + '\x7e' + '\x1f' + '\xc8',
       "left",
       "top",
       {{{0, 30}, '{'}, {{20, 30}, '@'}, {{40, 30}, '@'}, {{60, 30}, '@'}}},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const std::vector<SpriteCharacter> characters =
        Layout(testCase.text, testCase.anchorX, testCase.anchorY);
    ASSERT_EQ(characters.size(), testCase.characters.size());
    for (std::size_t index = 0; index < characters.size(); ++index) {
      SCOPED_TRACE("character " + std::to_string(index));
      const SpriteCharacter& actual = characters[index];
      const Expected& expected = testCase.characters[index];
      EXPECT_EQ(actual.matrix[3], glm::vec4(expected.at, 1.0f, 1.0f));
      EXPECT_EQ(actual.matrix[0], kModel[0]);
      EXPECT_EQ(actual.matrix[1], kModel[1]);
      EXPECT_NEAR(actual.cellOffset.x, CellOf(expected.cellOf).x, 1e-6f);
      EXPECT_NEAR(actual.cellOffset.y, CellOf(expected.cellOf).y, 1e-6f);
      EXPECT_EQ(actual.color1, expected.color1);
      EXPECT_EQ(actual.color2, expected.color2);
    }
  }
}

TEST(SpriteTextLayout, EveryTextStartsWhiteOnClear) {
  std::vector<SpriteCharacter> characters;
  LayoutSpriteText("\\c9900\\h9999A", kModel, "left", "top", glm::mat4(1.0f), characters);
  LayoutSpriteText("B", kModel, "left", "top", glm::mat4(1.0f), characters);
  ASSERT_EQ(characters.size(), 2u);
  EXPECT_EQ(characters[1].color1, glm::vec4(1.0f));
  EXPECT_EQ(characters[1].color2, glm::vec4(0.0f));
}

TEST(SpriteTextLayout, TheProjectionMakesTheReferenceHeightTheWindowsHeight) {
  const struct {
    int width;
    int height;
    float referenceHeight;
    glm::vec2 point;
    glm::vec2 projected;
  } cases[] = {
      {1280, 720, 720.0f, {0.0f, 0.0f}, {-1.0f, 1.0f}},       // top left
      {1280, 720, 720.0f, {1280.0f, 720.0f}, {1.0f, -1.0f}},  // bottom right
      {1440, 720, 360.0f, {720.0f, 360.0f}, {1.0f, -1.0f}},   // x reaches height x aspect
      {640, 960, 720.0f, {240.0f, 360.0f}, {0.0f, 0.0f}},
  };
  for (const auto& testCase : cases) {
    const glm::vec4 projected =
        SpriteTextProjection(testCase.width, testCase.height, testCase.referenceHeight) *
        glm::vec4(testCase.point, 0.0f, 1.0f);
    EXPECT_NEAR(projected.x, testCase.projected.x, 1e-6f)
        << testCase.width << "x" << testCase.height;
    EXPECT_NEAR(projected.y, testCase.projected.y, 1e-6f)
        << testCase.width << "x" << testCase.height;
  }
  // The characters' depth 1 lies on the near plane.
  const glm::vec4 depth = SpriteTextProjection(1280, 720, 720.0f) * glm::vec4(0, 0, 1, 1);
  EXPECT_NEAR(depth.z, -1.0f, 1e-6f);
}

// Keeps what it is asked to draw.
class RecordingCanvas final : public SpriteTextCanvas {
 public:
  struct Text {
    int fontTexture;
    std::vector<SpriteCharacter> characters;
  };

  glm::ivec2 WindowSize() const override { return window; }
  void Begin() override { calls.push_back("begin"); }
  void Draw(int fontTexture, std::span<const SpriteCharacter> characters) override {
    calls.push_back("draw");
    texts.push_back({fontTexture, {characters.begin(), characters.end()}});
  }
  void Finish() override { calls.push_back("finish"); }

  glm::ivec2 window{1280, 720};
  std::vector<std::string> calls;
  std::vector<Text> texts;
};

// Answers every material and mesh request with 3 and counts them.
class CountingResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string&, int, int, int) override { return -1; }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string& path) override {
    meshes.push_back(path);
    return 3;
  }
  int GetMaterial(const std::string& path) override {
    materials.push_back(path);
    return 3;
  }
  std::vector<std::string> meshes;
  std::vector<std::string> materials;
};

class SpriteTextSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    decs->SetResourceProvider(&resources);
    system = systems->RegisterSystem<SpriteTextSystem>().get();
    system->SetCanvas(&canvas);
  }

  int AddText(const std::string& text, int fontTexture, glm::vec3 position) {
    const int entity = CreateEntity("text");
    SpriteText sprite;
    sprite._text = text;
    sprite._anchorX = "left";
    sprite._anchorY = "top";
    Add<SpriteText>(entity, sprite);
    Add<Transform>(entity, Transform(position, {}, {20.0f, 30.0f, 1.0f}));
    TextureComponent texture;
    texture.albedoTexture = fontTexture;
    Add<TextureComponent>(entity, texture);
    return entity;
  }

  CountingResources resources;
  RecordingCanvas canvas;
  SpriteTextSystem* system = nullptr;
};

TEST_F(SpriteTextSystemTest, EachTextIsOneDrawWithItsFontInEntityOrder) {
  AddText("A", 7, {640.0f, 330.0f, 0.0f});
  AddText("", 8, {0.0f, 0.0f, 0.0f});
  AddText("BC", 9, {0.0f, 0.0f, 0.0f});
  system->Render();

  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"begin", "draw", "draw", "draw", "finish"}));
  ASSERT_EQ(canvas.texts.size(), 3u);
  EXPECT_EQ(canvas.texts[0].fontTexture, 7);
  EXPECT_EQ(canvas.texts[1].fontTexture, 8);
  EXPECT_TRUE(canvas.texts[1].characters.empty()) << "an empty text still binds its font";
  EXPECT_EQ(canvas.texts[2].fontTexture, 9);
  EXPECT_EQ(canvas.texts[2].characters.size(), 2u);

  // "A" at (640, 330): its quad runs from (640, 330) to (660, 360), the middle of a 1280 x 720
  // window with the reference height of 720: x 0 to 1/32 across, y 1/12 down to 0.
  const glm::mat4& matrix = canvas.texts[0].characters.at(0).matrix;
  const glm::vec4 topLeft = matrix * glm::vec4(0.0f, -1.0f, 0.0f, 1.0f);
  const glm::vec4 bottomRight = matrix * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
  EXPECT_NEAR(topLeft.x, 0.0f, 1e-6f);
  EXPECT_NEAR(topLeft.y, 1.0f / 12.0f, 1e-6f);
  EXPECT_NEAR(bottomRight.x, 1.0f / 32.0f, 1e-6f);
  EXPECT_NEAR(bottomRight.y, 0.0f, 1e-6f);
}

TEST_F(SpriteTextSystemTest, AWindowWithoutAreaDrawsNothing) {
  AddText("A", 7, {0.0f, 0.0f, 0.0f});
  for (const glm::ivec2 window : {glm::ivec2(1280, 0), glm::ivec2(0, 720), glm::ivec2(0, 0)}) {
    canvas.window = window;
    system->Render();
    EXPECT_TRUE(canvas.calls.empty()) << window.x << " x " << window.y;
  }
}

TEST_F(SpriteTextSystemTest, WithoutTextsTheCanvasIsLeftAlone) {
  system->Render();
  EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(SpriteTextSystemTest, InitKeepsTheMaterialAndQuadMeshLoaded) {
  EXPECT_EQ(resources.materials, std::vector<std::string>{SpriteTextSystem::kMaterialPath});
  EXPECT_EQ(resources.meshes, std::vector<std::string>{SpriteTextSystem::kQuadMeshPath});
  system->Render();
  EXPECT_EQ(resources.materials.size(), 1u) << "asked again only while missing";
  EXPECT_EQ(system->Material(), 3);
  EXPECT_EQ(system->QuadMesh(), 3);
}

}  // namespace
