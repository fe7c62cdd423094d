// The renderer drawing real frames into the hidden 64 x 64 test window: batching seen through
// the frame statistics, pictures read back from the window, the message words.

#include <glad/gl.h>

#include "render/renderer.h"
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "components/camera.h"
#include "components/light.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "render/camera_system.h"
#include "render/gpu_backend.h"
#include "render/light_system.h"
#include "render/post_processing.h"
#include "render/render_context.h"
#include "render/resource_cache.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

using testing_support::Image;
using testing_support::kTestWindowHeight;
using testing_support::kTestWindowWidth;

constexpr const char* kQuadMesh = "./GAME/Assets/Meshes/DefaultQuad.txt";
// Another mesh with the same three attributes, for draws of a second batch key.
constexpr const char* kOtherMesh = "./GAME/Assets/Meshes/FontMesh.txt";
constexpr const char* kUnlitMaterial = "./GAME/Assets/Materials/UnlitMaterial.json";
constexpr const char* kLitMaterial = "./GAME/Assets/Materials/StandardMaterial.json";

using Rgb = std::array<int, 3>;

class RendererGlTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    glViewport(0, 0, kTestWindowWidth, kTestWindowHeight);
    testing::internal::CaptureStdout();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    renderer = std::make_unique<Renderer>(*cache);
    quad = cache->GetMesh(kQuadMesh);
    otherMesh = cache->GetMesh(kOtherMesh);
    unlit = cache->GetMaterial(kUnlitMaterial);
    lit = cache->GetMaterial(kLitMaterial);
    white = SolidTexture({255, 255, 255});
    testing::internal::GetCapturedStdout();
  }

  void TearDown() override {
    renderer.reset();
    cache.reset();
    RenderTestScene::TearDown();
  }

  int SolidTexture(Rgb color) {
    const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(color[0]),
                                   static_cast<std::uint8_t>(color[1]),
                                   static_cast<std::uint8_t>(color[2]), 255};
    return cache->CreateTexture(1, 1, pixel,
                                "solid " + std::to_string(color[0]) + " " +
                                    std::to_string(color[1]) + " " + std::to_string(color[2]));
  }

  // An unlit quad of `size` (clip units without a camera) centred at `position`.
  DrawRequest Quad(int texture, glm::vec3 position, float size, int layer = 1) const {
    DrawRequest draw;
    draw.mesh = quad;
    draw.material = unlit;
    draw.textureA = texture;
    draw.layer = layer;
    draw.model = glm::scale(glm::translate(glm::mat4(1.0f), position), glm::vec3(size, size, 1.0f));
    return draw;
  }

  static DrawRequest WithAlpha(DrawRequest draw, float alpha) {
    draw.overrideDiffuse = true;
    draw.diffuseOverride = glm::vec3(1.0f);
    draw.alphaOverride = alpha;
    return draw;
  }

  // Clears the window to opaque black, renders a frame and reads the window back.
  Image Frame() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer->Render();
    return testing_support::ReadFramebufferPixels(0, 0, kTestWindowWidth, kTestWindowHeight);
  }

  // The colour at a point given in clip coordinates.
  static Rgb At(const Image& image, float x, float y) {
    const int column = static_cast<int>((x + 1.0f) * 0.5f * static_cast<float>(image.width));
    const int row = static_cast<int>((1.0f - (y + 1.0f) * 0.5f) * static_cast<float>(image.height));
    const auto pixel = image.At(column, row);
    return {pixel[0], pixel[1], pixel[2]};
  }

  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<ResourceCache> cache;
  int quad = -1;
  int otherMesh = -1;
  int unlit = -1;
  int lit = -1;
  int white = -1;
};

MATCHER_P2(ColorNear, expected, tolerance, "") {
  for (std::size_t channel = 0; channel < 3; ++channel) {
    if (std::abs(arg[channel] - expected[channel]) > tolerance) {
      *result_listener << "is (" << arg[0] << ", " << arg[1] << ", " << arg[2] << ")";
      return false;
    }
  }
  return true;
}

TEST_F(RendererGlTest, BatchesOfOneMeshShaderAndOrderAreOneInstancedCall) {
  const DrawRequest left = Quad(white, {-0.5f, 0.0f, 0.0f}, 0.4f);
  const DrawRequest right = Quad(white, {0.5f, 0.0f, 0.0f}, 0.4f);
  const auto ordered = [](DrawRequest draw) {
    draw.ordered = true;
    return draw;
  };
  const auto forced = [](DrawRequest draw) {
    draw.forceTransparent = true;
    return draw;
  };
  const auto withMesh = [](DrawRequest draw, int mesh) {
    draw.mesh = mesh;
    return draw;
  };
  const auto raised = [](DrawRequest draw, float modifier) {
    draw.depthModifier = modifier;
    return draw;
  };
  DrawRequest noTexture = left;
  noTexture.textureA = -1;
  DrawRequest noMaterial = left;
  noMaterial.material = -1;
  DrawRequest noMesh = left;
  noMesh.mesh = -1;
  DrawRequest layerZero = left;
  layerZero.layer = 0;
  DrawRequest secondLayer = right;
  secondLayer.layer = 2;
  const DrawRequest halfLeft = WithAlpha(left, 0.5f);
  const DrawRequest halfRight = WithAlpha(right, 0.5f);

  const struct {
    const char* name;
    std::vector<DrawRequest> draws;
    std::uint64_t drawCalls;
    int instancesSaved;
  } cases[] = {
      {"shared mesh and material", {left, right}, 1, 1},
      {"ordered draws are batches of one", {ordered(left), ordered(right)}, 2, 0},
      {"alpha below 1 is drawn with the transparent draws", {left, halfRight}, 2, 0},
      {"forced transparent with alpha 1", {left, forced(right)}, 2, 0},
      {"NaN alpha counts as opaque", {left, WithAlpha(right, std::nanf(""))}, 1, 1},
      {"transparent draws share a call", {halfLeft, halfRight}, 1, 1},
      {"a transparent draw of another key sorted between splits the key",
       {raised(halfLeft, 3.0f), raised(withMesh(halfLeft, otherMesh), 2.0f),
        raised(halfRight, 1.0f)},
       3,
       0},
      {"sorted next to each other they share a call",
       {raised(halfLeft, 3.0f), raised(withMesh(halfLeft, otherMesh), 1.0f),
        raised(halfRight, 2.0f)},
       2,
       1},
      {"the same key on two layers", {left, secondLayer}, 2, 0},
      {"nothing to draw with or never drawn", {noTexture, noMaterial, noMesh, layerZero}, 0, 0},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    for (const DrawRequest& draw : test.draws) renderer->QueueDraw(draw);
    Frame();
    const Renderer::Statistics& statistics = renderer->FrameStatistics();
    EXPECT_EQ(statistics.drawCalls, test.drawCalls);
    EXPECT_EQ(statistics.subBatches, test.drawCalls);
    EXPECT_EQ(statistics.instancesSaved, test.instancesSaved);
    // Each instance of a quad is 4 vertices and 2 triangles; FontMesh is a quad as well.
    const auto instances = static_cast<int>(test.drawCalls) + test.instancesSaved;
    EXPECT_EQ(statistics.verticesDrawn, 4 * instances);
    EXPECT_EQ(statistics.trianglesDrawn, 2 * instances);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererGlTest, MoreTexturesThanUnitsSplitTheBatchAndEveryInstanceKeepsItsTexture) {
  // A call has 13 units. A draw reserves a unit for each of its two slots that is not yet in
  // the call, an empty slot and a second slot equal to the first too, so 12 draws with one new
  // texture each fill a call, and 6 draws whose two slots hold one new texture do.
  const struct {
    const char* name;
    int draws;
    bool textureBSameAsA;
    std::uint64_t drawCalls;
  } cases[] = {
      {"one texture each, 12 fit", 12, false, 1},
      {"one texture each, the 13th splits", 13, false, 2},
      {"20 textures", 20, false, 2},
      {"the same texture in both slots, 6 fit", 6, true, 1},
      {"the same texture in both slots, the 7th splits", 7, true, 2},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    // A 5 x 4 grid of quads, each its own colour.
    std::vector<Rgb> colors;
    for (int index = 0; index < test.draws; ++index) {
      colors.push_back({40 + 10 * index, 250 - 12 * index, (index * 67) % 256});
      const float x = -0.8f + 0.4f * static_cast<float>(index % 5);
      const float y = -0.6f + 0.4f * static_cast<float>(index / 5);
      DrawRequest draw = Quad(SolidTexture(colors.back()), {x, y, 0.0f}, 0.3f);
      if (test.textureBSameAsA) draw.textureB = draw.textureA;
      renderer->QueueDraw(draw);
    }
    const Image frame = Frame();
    EXPECT_EQ(renderer->FrameStatistics().drawCalls, test.drawCalls);
    EXPECT_EQ(renderer->FrameStatistics().subBatches, test.drawCalls);
    EXPECT_EQ(renderer->FrameStatistics().instancesSaved,
              test.draws - static_cast<int>(test.drawCalls));
    for (int index = 0; index < test.draws; ++index) {
      SCOPED_TRACE(index);
      const float x = -0.8f + 0.4f * static_cast<float>(index % 5);
      const float y = -0.6f + 0.4f * static_cast<float>(index / 5);
      EXPECT_THAT(At(frame, x, y), ColorNear(colors[static_cast<std::size_t>(index)], 2));
    }
  }
}

TEST_F(RendererGlTest, LayersOneToFiveAreCompositedInOrderAndTheOthersAreNot) {
  // Layer 1: opaque red on the left. Layer 2: half-transparent green over its right part.
  // Layer 7 (not composited): blue over everything.
  renderer->QueueDraw(Quad(SolidTexture({255, 0, 0}), {-0.25f, 0.0f, 0.0f}, 1.0f, 1));
  renderer->QueueDraw(
      WithAlpha(Quad(SolidTexture({0, 255, 0}), {0.25f, 0.0f, 0.0f}, 1.0f, 2), 0.5f));
  renderer->QueueDraw(Quad(SolidTexture({0, 0, 255}), {0.0f, 0.0f, 0.0f}, 2.0f, 7));
  const Image frame = Frame();
  EXPECT_TRUE(testing_support::MatchesGolden(testing_support::SampleBlocks(frame, 4),
                                             "tests/render/golden/two_layers_composited.png", 2));
}

// Post-processing that draws nothing and needs one layer even where it is hidden.
class NeedsOneHiddenLayer final : public LayerPostProcessing {
 public:
  explicit NeedsOneHiddenLayer(int layer) : layer(layer) {}
  bool ApplyLayerPasses(int, Framebuffer&, Shader&, bool) override { return false; }
  void ResizeTargets() override {}
  bool UsesLayer(int) const override { return false; }
  bool NeedsHighRange(int) const override { return false; }
  bool NeedsHiddenLayer(int hidden) const override { return hidden == layer; }

 private:
  int layer;
};

TEST_F(RendererGlTest, AFirstDrawThatFillsItsLayerHidesTheCompositedLayersBeneath) {
  // Red on layer 1, green on layer 2, the blue fill on layer 3, a white square on layer 4.
  const int blue = SolidTexture({0, 0, 255});
  const auto queueFrame = [&](glm::ivec2 claimedSize) {
    renderer->QueueDraw(Quad(SolidTexture({255, 0, 0}), {}, 2.0f, 1));
    renderer->QueueDraw(Quad(SolidTexture({0, 255, 0}), {}, 2.0f, 2));
    DrawRequest fill = Quad(blue, {}, 2.0f, 3);
    fill.fillsLayerOfSize = claimedSize;
    renderer->QueueDraw(fill);
    renderer->QueueDraw(Quad(white, {0.5f, 0.5f, 0.0f}, 0.5f, 4));
  };
  const glm::ivec2 window{kTestWindowWidth, kTestWindowHeight};
  struct Case {
    const char* name;
    glm::ivec2 claimedSize;
    int neededLayer;  // 0: none
    int drawCalls;
  };
  const Case cases[] = {
      {"a fill of the layer's size", window, 0, 2},
      {"a claim for another size", window / 2, 0, 4},
      {"a layer the passes need", window, 2, 3},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    NeedsOneHiddenLayer passes(test.neededLayer);
    renderer->SetPostProcessing(&passes);
    queueFrame(test.claimedSize);
    const Image frame = Frame();
    EXPECT_EQ(renderer->FrameStatistics().drawCalls, test.drawCalls);
    // The picture is the same either way.
    EXPECT_THAT(At(frame, -0.5f, -0.5f), ColorNear(Rgb{0, 0, 255}, 0));
    EXPECT_THAT(At(frame, 0.5f, 0.5f), ColorNear(Rgb{255, 255, 255}, 0));
    renderer->SetPostProcessing(nullptr);
  }
}

TEST_F(RendererGlTest, TransparentDrawsWithEqualSortValuesAreAllDrawn) {
  // Equally far from the layer's camera position (the origin without a camera).
  renderer->QueueDraw(WithAlpha(Quad(SolidTexture({255, 0, 0}), {-0.5f, 0.0f, 0.0f}, 0.5f), 0.5f));
  renderer->QueueDraw(WithAlpha(Quad(SolidTexture({0, 0, 255}), {0.5f, 0.0f, 0.0f}, 0.5f), 0.5f));
  const Image frame = Frame();
  // Half alpha into a clear layer, then composited over black: half of each colour.
  EXPECT_THAT(At(frame, -0.5f, 0.0f), ColorNear(Rgb{128, 0, 0}, 2));
  EXPECT_THAT(At(frame, 0.5f, 0.0f), ColorNear(Rgb{0, 0, 128}, 2));
}

// Red is drawn, then blue over it where they overlap (x = 0): the overlap shows both. Drawn
// the other way round, blue, nearer the viewer, hides red there (the depth test).
constexpr glm::vec3 kFarLeft{-0.2f, 0.0f, 0.1f};
constexpr glm::vec3 kNearRight{0.2f, 0.0f, -0.1f};

TEST_F(RendererGlTest, TransparentDrawsWithEqualSortValuesAreDrawnInTheOrderQueued) {
  // Both equally far from the camera position (the origin without a camera).
  renderer->QueueDraw(WithAlpha(Quad(SolidTexture({255, 0, 0}), kFarLeft, 0.8f), 0.5f));
  renderer->QueueDraw(WithAlpha(Quad(SolidTexture({0, 0, 255}), kNearRight, 0.8f), 0.5f));
  const Rgb overlap = At(Frame(), 0.0f, 0.0f);
  EXPECT_GT(overlap[0], 0) << "red first";
  EXPECT_GT(overlap[2], 0) << "blue over it";
}

TEST_F(RendererGlTest, ATransparentDrawWithANanPositionGoesLastAndLeavesTheOrderOfOthers) {
  // Blue is queued before red but sorts after it (a lower depth modifier); the NaN draw between
  // them has no sort value and must not disturb theirs. Green, away from both, sorts first.
  DrawRequest green = WithAlpha(Quad(SolidTexture({0, 255, 0}), {0.0f, 0.8f, 0.0f}, 0.2f), 0.5f);
  green.depthModifier = 5.0f;
  DrawRequest blue = WithAlpha(Quad(SolidTexture({0, 0, 255}), kNearRight, 0.8f), 0.5f);
  blue.depthModifier = 1.0f;
  DrawRequest lost = WithAlpha(Quad(white, {}, 0.8f), 0.5f);
  lost.model[3] = glm::vec4(std::nanf(""), 0.0f, 0.0f, 1.0f);
  DrawRequest red = WithAlpha(Quad(SolidTexture({255, 0, 0}), kFarLeft, 0.8f), 0.5f);
  red.depthModifier = 3.0f;
  for (const DrawRequest& draw : {green, blue, lost, red}) renderer->QueueDraw(draw);
  const Image frame = Frame();
  const Rgb overlap = At(frame, 0.0f, 0.0f);
  EXPECT_GT(overlap[0], 0) << "red first";
  EXPECT_GT(overlap[2], 0) << "blue over it";
  EXPECT_THAT(At(frame, -0.5f, 0.0f), ColorNear(Rgb{128, 0, 0}, 2));
  EXPECT_THAT(At(frame, 0.5f, 0.0f), ColorNear(Rgb{0, 0, 128}, 2));
}

TEST_F(RendererGlTest, MenuLayerPaintsTransparentDrawsInTheOrderQueued) {
  // Red first, then blue overlapping it and nearer both the viewer and the camera position.
  // By distance, blue is drawn first and hides red where they overlap (the depth test);
  // in queueing order, blue is blended over red.
  const int red = SolidTexture({255, 0, 0});
  const int blue = SolidTexture({0, 0, 255});
  for (const int layer : {1, 3}) {
    SCOPED_TRACE(layer);
    renderer->QueueDraw(WithAlpha(Quad(red, {-0.25f, 0.0f, 0.0f}, 0.5f, layer), 0.5f));
    renderer->QueueDraw(WithAlpha(Quad(blue, {0.1f, 0.0f, -0.1f}, 0.5f, layer), 0.5f));
    const Rgb overlap = At(Frame(), -0.07f, 0.0f);
    EXPECT_GT(overlap[2], 0);
    if (layer == static_cast<int>(FramebufferLayer::MENUUI)) {
      EXPECT_GT(overlap[0], 0);
    } else {
      EXPECT_EQ(overlap[0], 0);
    }
  }
}

TEST_F(RendererGlTest, EachLayerIsDrawnWithItsCameraAndOnlyItsOwnLights) {
  auto cameras = systems->RegisterSystem<CameraSystem>();
  auto lights = systems->RegisterSystem<LightSystem>();
  CameraSystemLinks window;
  window.windowSize = [](int& width, int& height) {
    width = kTestWindowWidth;
    height = kTestWindowHeight;
    return true;
  };
  cameras->SetLinks(std::move(window));
  renderer->UseSystems(cameras, lights);

  // The scene camera looks at (4, 0, 0); layer 2 has no camera and uses layer 1's.
  const int camera = CreateEntity("camera");
  Add<Transform>(camera)._position = {4.0f, 0.0f, 10.0f};
  Add<Camera>(camera);
  // White ambient light on layer 1, red on layer 2, green on layer 3.
  const struct {
    FramebufferLayer layer;
    glm::vec3 color;
  } ambientLights[] = {{FramebufferLayer::SCENE, {1.0f, 1.0f, 1.0f}},
                       {FramebufferLayer::GAMEUI, {1.0f, 0.0f, 0.0f}},
                       {FramebufferLayer::MENUUI, {0.0f, 1.0f, 0.0f}}};
  for (const auto& ambient : ambientLights) {
    const int entity = CreateEntity("light");
    Add<Transform>(entity);
    Light& light = Add<Light>(entity);
    light._type = 3;
    light._targetFramebuffer = ambient.layer;
    light._color = ambient.color;
  }
  cameras->Update(0.0f);
  lights->Update(0.0f);

  DrawRequest sceneQuad = Quad(white, {3.75f, 0.0f, 0.0f}, 0.25f, 1);
  sceneQuad.material = lit;
  DrawRequest interfaceQuad = Quad(white, {4.25f, 0.0f, 0.0f}, 0.25f, 2);
  interfaceQuad.material = lit;
  renderer->QueueDraw(sceneQuad);
  renderer->QueueDraw(interfaceQuad);
  const Image frame = Frame();
  // The camera's orthographic view is one unit high: world x 3.75 and 4.25 sit at clip x -0.5
  // and 0.5.
  EXPECT_THAT(At(frame, -0.5f, 0.0f), ColorNear(Rgb{255, 255, 255}, 2));
  EXPECT_THAT(At(frame, 0.5f, 0.0f), ColorNear(Rgb{255, 0, 0}, 2));
  EXPECT_THAT(At(frame, 0.0f, 0.0f), ColorNear(Rgb{0, 0, 0}, 2));
}

TEST_F(RendererGlTest, DrawsOnBadLayersOrWithBadHandlesAreDroppedAndReportedOnce) {
  DrawRequest badLayer = Quad(white, {}, 1.0f, 9);
  DrawRequest negativeLayer = Quad(white, {}, 1.0f, -1);
  DrawRequest badMesh = Quad(white, {}, 1.0f);
  badMesh.mesh = 999;
  DrawRequest badMaterial = Quad(white, {}, 1.0f);
  badMaterial.material = 999;
  testing::internal::CaptureStdout();
  for (int repeat = 0; repeat < 2; ++repeat) {
    for (const DrawRequest& draw : {badLayer, negativeLayer, badMesh, badMaterial}) {
      renderer->QueueDraw(draw);
    }
  }
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(log,
            "Renderer : draw dropped: layer 9 is outside the layers 0..8\n"
            "Renderer : draw dropped: layer -1 is outside the layers 0..8\n"
            "Renderer : draw dropped: mesh 999 is outside the cache\n"
            "Renderer : draw dropped: material 999 is outside the cache\n");
  EXPECT_EQ(renderer->DroppedDrawCount(), 8u);
  Frame();
  EXPECT_EQ(renderer->FrameStatistics().drawCalls, 0u);
}

TEST_F(RendererGlTest, FramesWhileTheWindowHasNoAreaAreSkippedAndTheirDrawsWait) {
  renderer->QueueDraw(Quad(white, {}, 1.0f));
  renderer->LayerFramebuffer(2).SetSize(0, 0);
  // Nothing is queued while minimised either.
  renderer->QueueDraw(Quad(white, {0.5f, 0.0f, 0.0f}, 1.0f));
  Frame();
  EXPECT_EQ(renderer->FrameStatistics().drawCalls, 0u);

  renderer->LayerFramebuffer(2).FitWindow();
  const Image frame = Frame();
  EXPECT_EQ(renderer->FrameStatistics().drawCalls, 1u);
  EXPECT_EQ(renderer->FrameStatistics().instancesSaved, 0);
  EXPECT_THAT(At(frame, 0.0f, 0.0f), ColorNear(Rgb{255, 255, 255}, 2));
}

TEST_F(RendererGlTest, UniformMessagesSetGlobalValuesAndMalformedOnesChangeNothing) {
  GlobalUniforms& globals = decs->globalUniforms;
  const struct {
    const char* message;
    bool changes;
    std::function<bool()> holds;  // the expected value, when the message changes one
  } cases[] = {
      {"uniform_set_float gradeLevel 0.5", true,
       [&] { return globals.floats.at("gradeLevel") == 0.5f; }},
      {"uniform_set_float gradeLevel half", false, {}},
      {"uniform_set_float gradeLevel", false, {}},
      {"uniform_set_float gradeLevel 1e99", false, {}},
      {"uniform_set_int count 7", true, [&] { return globals.ints.at("count") == 7; }},
      {"uniform_set_int count seven", false, {}},
      {"uniform_set_vec2 offset 1 -2", true,
       [&] { return globals.vec2Values.at("offset") == glm::vec2(1.0f, -2.0f); }},
      {"uniform_set_vec2 offset 1", false, {}},
      {"uniform_set_vec3 tint 0.25 0.5 1", true,
       [&] { return globals.vec3Values.at("tint") == glm::vec3(0.25f, 0.5f, 1.0f); }},
      {"uniform_set_vec3 tint 0.25 x 1", false, {}},
      {"uniform_set_vec3 tint 0.25 0.5 1 2", false, {}},
      {"shader_uniform_update UIGradeMaterial.json gradeLevel float 0.5", true,
       [&] { return globals.floats.at("gradeLevel") == 0.5f; }},
      {"shader_uniform_update UIBossHealthMaterial.json bossName int 3", true,
       [&] { return globals.ints.at("bossName") == 3; }},
      {"shader_uniform_update M offset vec2 0.25,-4", true,
       [&] { return globals.vec2Values.at("offset") == glm::vec2(0.25f, -4.0f); }},
      {"shader_uniform_update M offset vec2 0.25", false, {}},
      {"shader_uniform_update M tint vec3 1,2,3", true,
       [&] { return globals.vec3Values.at("tint") == glm::vec3(1.0f, 2.0f, 3.0f); }},
      {"shader_uniform_update M tint vec3 1,2", false, {}},
      {"shader_uniform_update M tint vec3 1,x,3", false, {}},
      {"shader_uniform_update M tint mat4 1", false, {}},
      {"shader_uniform_update M gradeLevel float", false, {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.message);
    globals = GlobalUniforms{};
    testing::internal::CaptureStdout();
    renderer->HandleMessage(test.message);
    testing::internal::GetCapturedStdout();
    const std::size_t entries = globals.floats.size() + globals.ints.size() +
                                globals.vec2Values.size() + globals.vec3Values.size();
    EXPECT_EQ(entries, test.changes ? 1u : 0u);
    if (test.changes && entries == 1) {
      EXPECT_TRUE(test.holds());
    }
  }

  // Without its four words, the sender is told on the console.
  std::vector<std::string> received;
  testing_support::RecordingReceiver console("console", 1, &received);
  systems->AddChild(&console);
  renderer->HandleMessage("shader_uniform_update gradeLevel float 0.5");
  EXPECT_EQ(received,
            std::vector<std::string>{"console:console_message Error: Invalid arguments for "
                                     "shader_uniform_update_typed"});
  systems->children.pop_back();
}

TEST(RendererGlLoading, WithoutLoadableEntryPointsConstructionFails) {
  GLFWwindow* window = glfwGetCurrentContext();
  glfwMakeContextCurrent(nullptr);
  ResourceCache cache(std::make_unique<RecordingGpuBackend>());
  EXPECT_THROW(Renderer{cache}, std::runtime_error);
  glfwMakeContextCurrent(window);
  // The failed load left the loader half empty; the rest of the binary needs it whole.
  ASSERT_NE(gladLoadGL(glfwGetProcAddress), 0);
}

// The render context owns the game's cache, renderer and chain, the renderer drawing from that
// cache. Once the context is gone there are none: asking for the cache or the renderer then is a
// fault, not a reason to make a second cache with no GL context behind it.
class RenderContextGlTest : public testing_support::EngineFixture {};

TEST_F(RenderContextGlTest, ItsObjectsAreTheOnlyOnesAndGoWithIt) {
  EXPECT_FALSE(ResourceCache::HasInstance());
  testing::internal::CaptureStdout();
  auto context = std::make_unique<RenderContext>();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(&ResourceCache::Instance(), &context->Resources());
  EXPECT_EQ(&Renderer::Instance(), &context->GetRenderer());
  EXPECT_EQ(&context->GetRenderer().Resources(), &context->Resources());
  EXPECT_EQ(PostProcessingChain::FindInstance(), &context->PostProcessing());

  context.reset();
  EXPECT_FALSE(ResourceCache::HasInstance());
  EXPECT_FALSE(Renderer::HasInstance());
  EXPECT_EQ(PostProcessingChain::FindInstance(), nullptr);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(ResourceCache::Instance(), "ResourceCache : used outside a living render context");
  EXPECT_DEATH(Renderer::Instance(), "Renderer : used outside a living render context");
}

}  // namespace
