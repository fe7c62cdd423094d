#include "render/ttf_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <map>
#include <string>
#include <vector>

#include "components/transform.h"
#include "components/ttf.h"
#include "engine/resource_provider.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/recording_draw_queue.h"

namespace {

constexpr int kFontMesh = 5;
constexpr int kTextMaterial = 9;
constexpr int kAtlasTexture = 41;

using testing_support::RecordingDrawQueue;

// Answers the font mesh and text material once `ready` is set (-1 before), counts the requests,
// and makes every atlas texture kAtlasTexture.
class FakeResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string&, int, int, int) override { return -1; }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    ++atlasesMade;
    return kAtlasTexture;
  }
  int GetMesh(const std::string& path) override {
    ++requests[path];
    return ready && path == TTFSystem::kFontMeshPath ? kFontMesh : -1;
  }
  int GetMaterial(const std::string& path) override {
    ++requests[path];
    return ready && path == TTFSystem::kTextMaterialPath ? kTextMaterial : -1;
  }

  bool ready = true;
  int atlasesMade = 0;
  std::map<std::string, int> requests;
};

// Glyph metrics of a made-up face on the component's default atlas (1600 x 800): one pixel is
// 0.01 cells across (16 / 1600) and 0.01 cells up (8 / 800).
TTF MadeUpText(std::string text, int alignment) {
  TTF ttf;
  ttf._text = std::move(text);
  ttf._fontSize = 50.0f;
  ttf._alignment = alignment;
  ttf.atlasTexture = kAtlasTexture;
  ttf.loaded = 1;
  ttf._color = {0.9f, 0.8f, 0.7f};
  ttf._color2 = {0.1f, 0.2f, 0.3f};
  ttf._alpha = 0.5f;
  //                 width rows left top advance (1/64 px)  u       v
  ttf.glyphs['A'] = {30, 40, 1, 40, 14 * 64, 0.0625f, 0.25f};
  ttf.glyphs['g'] = {25, 36, 0, 32, 10 * 64 + 63, 0.125f, 0.25f};  // descent 4, advance 10
  ttf.glyphs['m'] = {44, 30, 0, 30, 50 * 64, 0.1875f, 0.375f};
  ttf.glyphs['\''] = {6, 12, 2, 40, 5 * 64, 0.25f, 0.375f};
  ttf.glyphs[' '] = {0, 0, 0, 0, 6 * 64, 0.0f, 0.125f};
  return ttf;
}

class TTFSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    decs->SetResourceProvider(&resources);
    system = systems->RegisterSystem<TTFSystem>().get();
    system->SetDrawQueue(&queue);
  }

  int AddText(const TTF& ttf, const Transform& transform = Transform{}, std::string name = "text") {
    const int entity = CreateEntity(std::move(name));
    Add<Transform>(entity, transform);
    Add<TTF>(entity, ttf);
    return entity;
  }

  // Where each queued glyph quad puts its origin, and its cell.
  struct Placed {
    glm::vec2 origin;
    glm::vec2 cell;
  };
  std::vector<Placed> Rendered() {
    queue.draws.clear();
    system->Render();
    std::vector<Placed> placed;
    for (const DrawRequest& draw : queue.draws) {
      placed.push_back(
          {glm::vec2(draw.model * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)), draw.cellOffset});
    }
    return placed;
  }

  FakeResources resources;
  RecordingDrawQueue queue;
  TTFSystem* system = nullptr;
};

void ExpectPlaced(const std::vector<glm::vec2>& expected, const std::vector<glm::vec2>& actual) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t index = 0; index < expected.size(); ++index) {
    EXPECT_NEAR(actual[index].x, expected[index].x, 1e-5f) << "glyph " << index;
    EXPECT_NEAR(actual[index].y, expected[index].y, 1e-5f) << "glyph " << index;
  }
}

TEST_F(TTFSystemTest, SceneTextLaysGlyphsOutInCellsFromTheirMetrics) {
  const struct {
    const char* name;
    const char* text;
    std::vector<glm::vec2> origins;
  } cases[] = {
      {"bearing, pen advance in whole pixels, descent", "Ag", {{0.01f, 0.0f}, {0.14f, -0.04f}}},
      {"a second line one font size lower", "A\nA", {{0.01f, 0.0f}, {0.01f, -0.5f}}},
      {"a final line feed adds no line", "A\n", {{0.01f, 0.0f}}},
      {"an empty line still moves the next one down", "A\n\nA", {{0.01f, 0.0f}, {0.01f, -1.0f}}},
      {"a blank is a quad of its own", "A A", {{0.01f, 0.0f}, {0.14f, 0.0f}, {0.21f, 0.0f}}},
      {"an apostrophe is raised by 0.2 cells", "'", {{0.02f, 0.2f}}},
      {"a character outside the map: first cell, no advance",
       "A~A",
       {{0.01f, 0.0f}, {0.14f, 0.0f}, {0.15f, 0.0f}}},
  };
  const int entity = AddText(MadeUpText("", 0));
  TTF& ttf = *components->GetComponent<TTF>(entity);
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    ttf._text = testCase.text;
    std::vector<glm::vec2> origins;
    for (const Placed& placed : Rendered()) origins.push_back(placed.origin);
    ExpectPlaced(testCase.origins, origins);
  }
  // The missing character drew the atlas's first cell and did not join the map.
  ttf._text = "~";
  const auto placed = Rendered();
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].cell, glm::vec2(0.0f));
  EXPECT_EQ(ttf.glyphs.count('~'), 0u);
}

TEST_F(TTFSystemTest, SceneTextLinesAreHalfACellApartAtTheDefaultSize) {
  // 90 px glyphs on their 2880 x 1440 atlas: 90 * 8 / 1440.
  TTF ttf = MadeUpText("A\nA", 0);
  ttf._fontSize = 90.0f;
  ttf.atlasWidth = 2880;
  ttf.atlasHeight = 1440;
  AddText(ttf);
  const auto placed = Rendered();
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_NEAR(placed[0].origin.y - placed[1].origin.y, 0.5f, 1e-6f);
}

TEST_F(TTFSystemTest, SceneTextIsPlacedByTheWholeTransformOnTheSceneLayer) {
  // Turned 90 degrees about x and about z, x applied last; scaled (2, 3) with z flattened.
  TTF ttf = MadeUpText("A", 0);
  Transform transform({1.0f, 2.0f, 3.0f}, {90.0f, 0.0f, 90.0f}, {2.0f, 3.0f, 5.0f});
  transform._depthModifier = 0.75f;
  AddText(ttf, transform);
  system->Render();
  ASSERT_EQ(queue.draws.size(), 1u);
  const DrawRequest& draw = queue.draws[0];

  // The glyph sits 0.01 cells right of the origin: (0.01, 0) -> scaled (0.02, 0) -> about z
  // (0, 0.02) -> about x (0, 0, 0.02) -> moved. The far corner (1.01, 1) of the quad likewise.
  const glm::vec4 origin = draw.model * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
  const glm::vec4 corner = draw.model * glm::vec4(1.0f, 1.0f, 0.0f, 1.0f);
  const glm::vec3 expectedOrigin(1.0f, 2.0f, 3.02f);
  const glm::vec3 expectedCorner(-2.0f, 2.0f, 5.02f);
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(origin[axis], expectedOrigin[axis], 1e-5f) << "origin axis " << axis;
    EXPECT_NEAR(corner[axis], expectedCorner[axis], 1e-5f) << "corner axis " << axis;
  }
  EXPECT_EQ(draw.model[2], glm::vec4(0.0f)) << "depth is flattened";

  EXPECT_EQ(draw.layer, 1);
  EXPECT_EQ(draw.mesh, kFontMesh);
  EXPECT_EQ(draw.material, kTextMaterial);
  EXPECT_EQ(draw.textureA, kAtlasTexture);
  EXPECT_EQ(draw.textureB, -1);
  EXPECT_EQ(draw.cellOffset, glm::vec2(0.0625f, 0.25f));
  EXPECT_EQ(draw.depthModifier, 0.75f);
  EXPECT_TRUE(draw.overrideDiffuse);
  EXPECT_EQ(draw.diffuseOverride, ttf._color);
  EXPECT_EQ(draw.alphaOverride, 0.5f);
  EXPECT_TRUE(draw.overrideAmbient);
  EXPECT_EQ(draw.ambientOverride, ttf._color2);
  EXPECT_FALSE(draw.overrideSpecular || draw.overrideShininess || draw.forceTransparent ||
               draw.ordered);
}

TEST_F(TTFSystemTest, InterfaceTextCentresEachLineOnTheGameUiLayer) {
  const struct {
    const char* name;
    const char* text;
    Transform transform;
    glm::vec2 anchor;
    std::vector<glm::vec2> origins;
  } cases[] = {
      {"a line 100 px wide starts 50 px left of the position",
       "mm",
       Transform({0.0f, 0.0f, 0.0f}, {}, {1.0f, 1.0f, 1.0f}),
       {0.0f, 0.0f},
       {{-0.5f, 0.0f}, {0.0f, 0.0f}}},
      // Line 2 is 0.3 * 50 px lower; its y counts once in the glyph offset (in cells) and once
      // in the translation: -15 - 0.15.
      {"each line is centred and 0.3 font sizes lower",
       "m\nmm",
       Transform({0.0f, 0.0f, 0.0f}, {}, {1.0f, 1.0f, 1.0f}),
       {0.0f, 0.0f},
       {{-0.25f, 0.0f}, {-0.5f, -15.15f}, {0.0f, -15.15f}}},
      {"an apostrophe is raised by 0.2 cells",
       "'",
       Transform({0.0f, 0.0f, 0.0f}, {}, {1.0f, 1.0f, 1.0f}),
       {0.0f, 0.0f},
       {{-0.005f, 0.2f}}},
      // Position (20, 10), anchor (1, 0.5), scale.y 2 on both axes, 90 degrees about z: the
      // glyph offset (-0.05, 0.1) less the anchor is (-1.05, -0.4), scaled (-2.1, -0.8), turned
      // (0.8, -2.1), moved (20.8, 7.9). scale.x plays no part.
      {"position, anchor, scale.y and rotation.z",
       "m",
       Transform({20.0f, 10.0f, 4.0f}, {30.0f, 40.0f, 90.0f}, {7.0f, 2.0f, 3.0f}),
       {1.0f, 0.5f},
       {{20.8f, 7.9f}}},
  };
  const int entity = AddText(MadeUpText("", 1));
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    components->GetComponent<TTF>(entity)->_text = testCase.text;
    components->GetComponent<TTF>(entity)->_anchor = testCase.anchor;
    *components->GetComponent<Transform>(entity) = testCase.transform;
    std::vector<glm::vec2> origins;
    for (const Placed& placed : Rendered()) origins.push_back(placed.origin);
    ExpectPlaced(testCase.origins, origins);
  }

  const DrawRequest& draw = queue.draws.at(0);
  EXPECT_EQ(draw.layer, 2);
  EXPECT_EQ(draw.depthModifier, 0.0f);
  EXPECT_TRUE(draw.overrideDiffuse);
  EXPECT_EQ(draw.alphaOverride, 1.0f) << "the text's alpha is not used on the interface";
  EXPECT_FALSE(draw.overrideAmbient);
  EXPECT_EQ(draw.cellOffset, glm::vec2(0.1875f, 0.375f));
}

TEST_F(TTFSystemTest, OtherAlignmentsAndEmptyAtlasesDrawNothing) {
  AddText(MadeUpText("A", 2), Transform{}, "aligned 2");
  AddText(MadeUpText("A", -1), Transform{}, "aligned -1");
  TTF noAtlas = MadeUpText("A", 0);
  noAtlas.atlasWidth = 0;
  AddText(noAtlas, Transform{}, "no atlas");
  system->Render();
  EXPECT_TRUE(queue.draws.empty());
}

TEST_F(TTFSystemTest, UpdateLoadsEachAtlasOnceAndRetriesFontsThatFail) {
  TTF good;
  good._fontFilePath = "./GAME/Assets/Fonts/DejaVuSans.ttf";
  good._fontSize = 12.0f;
  good._text = "A";
  good._alignment = 2;  // loaded, never drawn
  TTF missing = good;
  missing._fontFilePath = "./GAME/Assets/Fonts/NoSuchFont.ttf";
  const int goodEntity = AddText(good, Transform{}, "good");
  const int missingEntity = AddText(missing, Transform{}, "missing");

  testing::internal::CaptureStdout();
  system->Update(0.0f);
  system->Update(0.0f);
  const std::string log = testing::internal::GetCapturedStdout();

  const TTF& loaded = *components->GetComponent<TTF>(goodEntity);
  EXPECT_EQ(loaded.loaded, 1);
  EXPECT_EQ(loaded.atlasTexture, kAtlasTexture);
  EXPECT_EQ(loaded.glyphs.count('A'), 1u);
  EXPECT_EQ(resources.atlasesMade, 1) << "a loaded font is not loaded again";

  EXPECT_EQ(components->GetComponent<TTF>(missingEntity)->loaded, 0);
  std::size_t attempts = 0;
  for (std::size_t at = log.find("Failed to load font"); at != std::string::npos;
       at = log.find("Failed to load font", at + 1)) {
    ++attempts;
  }
  EXPECT_EQ(attempts, 1u) << "retried on every update, reported once: " << log;

  components->GetComponent<TTF>(missingEntity)->_fontFilePath = good._fontFilePath;
  system->Update(0.0f);
  EXPECT_EQ(components->GetComponent<TTF>(missingEntity)->loaded, 1) << "the retry happens";

  system->Render();
  EXPECT_TRUE(queue.draws.empty());
}

TEST_F(TTFSystemTest, SetTextReplacesTheTextOfTheNamedEntityOnly) {
  const struct {
    const char* message;
    const char* text;
  } cases[] = {
      {"set_text Title Hello", "Hello"},
      {"set_text Title Hello World", "Before"},
      {"set_text Title", "Before"},
      {"set_text Nobody Hello", "Before"},
      {"set_textual Title Hello", "Before"},
      {"set_text Plain Hello", "Before"},  // an entity without a TTF
  };
  const int title = AddText(MadeUpText("", 0), Transform{}, "Title");
  const int plain = CreateEntity("Plain");
  Add<Transform>(plain);
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.message);
    components->GetComponent<TTF>(title)->_text = "Before";
    system->HandleMessage(testCase.message);
    EXPECT_EQ(components->GetComponent<TTF>(title)->_text, testCase.text);
  }
  // The next render lays out the new text.
  system->HandleMessage("set_text Title mm");
  EXPECT_EQ(Rendered().size(), 2u);
}

TEST_F(TTFSystemTest, EveryRenderPublishesTheInterfaceProjection) {
  decs->globalUniforms.mat4Values.clear();
  system->Render();
  const auto found = decs->globalUniforms.mat4Values.find("UIProjection");
  ASSERT_NE(found, decs->globalUniforms.mat4Values.end());
  const struct {
    glm::vec4 point;
    glm::vec4 projected;
  } cases[] = {
      {{960.0f, 540.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}},
      {{-960.0f, -540.0f, 0.0f, 1.0f}, {-1.0f, -1.0f, 0.0f, 1.0f}},
      {{0.0f, 0.0f, 0.5f, 1.0f}, {0.0f, 0.0f, -0.5f, 1.0f}},
  };
  for (const auto& testCase : cases) {
    const glm::vec4 projected = found->second * testCase.point;
    for (int axis = 0; axis < 4; ++axis) {
      EXPECT_NEAR(projected[axis], testCase.projected[axis], 1e-6f)
          << "point (" << testCase.point.x << ", " << testCase.point.y << ", " << testCase.point.z
          << "), axis " << axis;
    }
  }
}

// Registered while the mesh and material cannot be had yet.
class TTFSystemWithoutResourcesTest : public TTFSystemTest {
 protected:
  void SetUp() override {
    resources.ready = false;
    TTFSystemTest::SetUp();
  }
};

TEST_F(TTFSystemWithoutResourcesTest, AMissingMeshOrMaterialIsAskedForAgainOnEachRender) {
  EXPECT_EQ(system->FontMesh(), -1);
  EXPECT_EQ(system->TextMaterial(), -1);

  system->Render();
  resources.ready = true;
  system->Render();
  system->Render();
  EXPECT_EQ(system->FontMesh(), kFontMesh);
  EXPECT_EQ(system->TextMaterial(), kTextMaterial);
  EXPECT_EQ(resources.requests[TTFSystem::kFontMeshPath], 3) << "Init, two misses, then kept";
  EXPECT_EQ(resources.requests[TTFSystem::kTextMaterialPath], 3);
}

}  // namespace
