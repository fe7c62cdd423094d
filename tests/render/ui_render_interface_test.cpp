// The document library's render interface over the resource cache and a recording draw queue:
// shared and released geometry, texture coordinates, texture handles, image paths, the draw's
// placement, clipping and what happens once the interface is closed.

#include "render/ui_render_interface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <memory>
#include <string>
#include <vector>

#include "render/gpu_backend.h"
#include "render/resource_cache.h"
#include "tests/support/recording_draw_queue.h"

namespace {

class UiRenderInterfaceTest : public testing::Test {
 protected:
  UiRenderInterfaceTest()
      : cache(std::make_unique<RecordingGpuBackend>()),
        ui(cache, queue,
           {.framebufferSize = [this] { return size; },
            .layerViewProjection = [this] { return viewProjection; },
            .meshReleased = [this](int mesh) { released.push_back(mesh); },
            .depth = &depth}) {}

  // A quad from (0,0) to (w,h) with the given texture coordinates at its far corner.
  static std::vector<Rml::Vertex> Quad(float w, float h, Rml::Vector2f uv = {1, 1}) {
    const Rml::Colourb white(255, 255, 255, 255);
    return {{{0, 0}, white, {0, 0}},
            {{w, 0}, white, {uv.x, 0}},
            {{w, h}, white, uv},
            {{0, h}, white, {0, uv.y}}};
  }
  static constexpr int kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

  Rml::CompiledGeometryHandle Compile(const std::vector<Rml::Vertex>& vertices) {
    return ui.CompileGeometry(vertices, kQuadIndices);
  }

  ResourceCache cache;
  testing_support::RecordingDrawQueue queue;
  glm::ivec2 size{100, 50};
  glm::mat4 viewProjection{1.0f};
  std::vector<int> released;
  float depth = 0.0f;
  UiRenderInterface ui;
};

TEST_F(UiRenderInterfaceTest, SameGeometrySharesOneMeshUntilTheLastRelease) {
  testing::internal::CaptureStdout();
  const auto first = Compile(Quad(10, 10));
  const auto second = Compile(Quad(10, 10));
  const auto other = Compile(Quad(20, 10));
  const std::string log = testing::internal::GetCapturedStdout();

  EXPECT_NE(first, 0u);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, other);
  const std::string name =
      "GENERATED_RML_MESH_" + std::to_string(ComputeGeometryKey(Quad(10, 10), kQuadIndices));
  EXPECT_THAT(log,
              testing::HasSubstr("Loading new RML mesh with 4 vertices. Name: " + name + "\n"));
  EXPECT_EQ(log.find(name), log.rfind(name)) << "one line for the shared mesh";
  int mesh = -1;
  ASSERT_TRUE(cache.FindMesh(name, mesh));

  ui.ReleaseGeometry(first);
  EXPECT_EQ(ui.MeshOf(second), mesh) << "one handle still holds it";
  ui.ReleaseGeometry(second);
  EXPECT_EQ(ui.MeshOf(second), -1);
  EXPECT_FALSE(cache.FindMesh(name, mesh));
  EXPECT_EQ(released, std::vector<int>{mesh});
  EXPECT_EQ(ui.LiveGeometryCount(), 1u);
  ui.ReleaseGeometry(second);  // twice: nothing more
  EXPECT_EQ(released.size(), 1u);

  // Compiling and releasing again and again keeps the cache's mesh list the same length.
  const std::size_t meshes = cache.MeshCount();
  for (int i = 0; i < 20; ++i) ui.ReleaseGeometry(Compile(Quad(30.0f + static_cast<float>(i), 5)));
  EXPECT_EQ(cache.MeshCount(), meshes);
}

TEST_F(UiRenderInterfaceTest, GeometryWithoutTextureCoordinatesGetsCornersBySide) {
  // Rounded positions (10, 0), (0, 10), (0, 0), (10, 10) -> (1, 1), (0, 0), (0, 1), (1, 0).
  const Rml::Colourb colour(255, 0, 0, 255);
  const std::vector<Rml::Vertex> vertices = {{{10.2f, 0}, colour, {0, 0}},
                                             {{0, 9.6f}, colour, {0, 0}},
                                             {{0, 0}, colour, {0, 0}},
                                             {{10, 10}, colour, {0, 0}}};
  const auto handle = Compile(vertices);
  const Mesh& mesh = cache.MeshAt(ui.MeshOf(handle));
  ASSERT_EQ(mesh.vertices.size(), 32u);
  EXPECT_EQ(mesh.stride, 32u);
  EXPECT_EQ(mesh.attributeSizes, (std::vector<std::int32_t>{2, 4, 2}));
  const float expected[4][4] = {{10, 0, 1, 1}, {0, 10, 0, 0}, {0, 0, 0, 1}, {10, 10, 1, 0}};
  for (int v = 0; v < 4; ++v) {
    const float* floats = mesh.vertices.data() + v * 8;
    EXPECT_EQ(floats[0], expected[v][0]);
    EXPECT_EQ(floats[1], expected[v][1]);
    EXPECT_EQ(floats[2], 1.0f);
    EXPECT_EQ(floats[3], 0.0f);
    EXPECT_EQ(floats[6], expected[v][2]) << "vertex " << v;
    EXPECT_EQ(floats[7], expected[v][3]) << "vertex " << v;
  }
}

TEST_F(UiRenderInterfaceTest, TextureCoordinatesAreTurnedOverLikeTheStoredImages) {
  const Mesh& mesh = cache.MeshAt(ui.MeshOf(Compile(Quad(10, 10, {4, 2}))));
  EXPECT_EQ(mesh.vertices[6], 0.0f);  // (0, 0) -> (0, 1)
  EXPECT_EQ(mesh.vertices[7], 1.0f);
  EXPECT_EQ(mesh.vertices[22], 4.0f);  // (4, 2) -> (4, -1): a repeat keeps its count
  EXPECT_EQ(mesh.vertices[23], -1.0f);
}

TEST_F(UiRenderInterfaceTest, BadGeometryCompilesToNothing) {
  const auto quad = Quad(10, 10);
  const int outside[3] = {0, 1, 4};
  EXPECT_EQ(ui.CompileGeometry(quad, outside), 0u);
  EXPECT_EQ(ui.CompileGeometry({}, kQuadIndices), 0u);
  EXPECT_EQ(ui.CompileGeometry(quad, {}), 0u);
}

TEST_F(UiRenderInterfaceTest, DrawsAreOrderedOnTheMenuLayerWithTheirMaterial) {
  const auto geometry = Compile(Quad(10, 10));
  const int textured = cache.GetMaterial(UiRenderInterface::kMaterial);
  const int untextured = cache.GetMaterial(UiRenderInterface::kUntexturedMaterial);

  ui.RenderGeometry(geometry, {0, 0}, 7);
  ui.RenderGeometry(geometry, {0, 0}, 0);
  ui.RenderGeometry(geometry, {0, 0}, UiRenderInterface::kNoTexture);
  ui.RenderGeometry(0, {0, 0}, 7);  // no such geometry
  ASSERT_EQ(queue.draws.size(), 2u);
  EXPECT_FLOAT_EQ(depth, -4 * UiRenderInterface::kDepthStep)
      << "every call steps the depth, also those that queue nothing";

  EXPECT_EQ(queue.draws[0].material, textured);
  EXPECT_EQ(queue.draws[0].textureA, 7);
  EXPECT_EQ(queue.draws[1].material, untextured);
  EXPECT_EQ(queue.draws[1].textureA, 0);
  for (const DrawRequest& draw : queue.draws) {
    EXPECT_EQ(draw.layer, 3);
    EXPECT_TRUE(draw.ordered);
    EXPECT_TRUE(draw.forceTransparent);
    EXPECT_EQ(draw.textureB, -1);
    EXPECT_FALSE(draw.scissor);
  }

  // The shader's material is the "value" parameter's; a shader without one draws nothing.
  // Without an image the material reads a white texture (texture 0 would read black); with one
  // it reads that image.
  const auto shader = ui.CompileShader(
      "shader", {{"value", Rml::Variant("./GAME/Assets/Materials/UnlitMaterial.json")}});
  ASSERT_NE(shader, 0u);
  ui.RenderShader(shader, geometry, {0, 0}, 0);
  ui.RenderShader(shader, geometry, {0, 0}, 7);
  ASSERT_EQ(queue.draws.size(), 4u);
  EXPECT_EQ(queue.draws[2].material,
            cache.GetMaterial("./GAME/Assets/Materials/UnlitMaterial.json"));
  const CachedTexture* white = cache.FindTexture(UiRenderInterface::kWhiteTextureName);
  ASSERT_NE(white, nullptr);
  EXPECT_EQ(white->width, 1);
  EXPECT_EQ(queue.draws[2].textureA, static_cast<int>(white->id));
  EXPECT_EQ(queue.draws[3].textureA, 7);
  EXPECT_EQ(ui.CompileShader("shader", {}), 0u);

  size = {0, 0};  // minimised
  ui.RenderGeometry(geometry, {0, 0}, 7);
  EXPECT_EQ(queue.draws.size(), 4u);
}

TEST_F(UiRenderInterfaceTest, ModelPlacesPixelsInClipSpaceUndoingTheLayerCamera) {
  const auto geometry = Compile(Quad(10, 10));
  const auto clipOf = [&](glm::vec2 pixel) {
    const glm::mat4 model = queue.draws.back().model;
    return glm::vec2(viewProjection * model * glm::vec4(pixel, 0.0f, 1.0f));
  };
  ui.RenderGeometry(geometry, {10, 20}, 7);
  EXPECT_NEAR(clipOf({0, 0}).x, -0.8f, 1e-5f);  // pixel (10, 20) of 100 x 50
  EXPECT_NEAR(clipOf({0, 0}).y, 0.2f, 1e-5f);

  viewProjection = glm::scale(glm::mat4(1.0f), glm::vec3(0.5f, 2.0f, 1.0f));
  ui.RenderGeometry(geometry, {10, 20}, 7);
  EXPECT_NEAR(clipOf({5, 5}).x, -0.7f, 1e-5f);
  EXPECT_NEAR(clipOf({5, 5}).y, 0.0f, 1e-5f);

  const Rml::Matrix4f shift = glm::translate(glm::mat4(1.0f), glm::vec3(50, 0, 0));
  ui.SetTransform(&shift);
  ui.RenderGeometry(geometry, {10, 20}, 7);
  EXPECT_NEAR(clipOf({0, 0}).x, 0.2f, 1e-5f);
  ui.SetTransform(nullptr);

  // A camera that cannot be undone is left alone rather than inverted: pixels map straight to
  // clip space.
  viewProjection = glm::mat4(0.0f);
  ui.RenderGeometry(geometry, {10, 20}, 7);
  const glm::vec4 corner = queue.draws.back().model * glm::vec4(0, 0, 0, 1);
  EXPECT_NEAR(corner.x, -0.8f, 1e-5f);
  EXPECT_NEAR(corner.y, 0.2f, 1e-5f);
}

TEST_F(UiRenderInterfaceTest, ThousandsOfDrawsStayInsideTheClipRangeInOrder) {
  const auto geometry = Compile(Quad(10, 10));
  float previous = 0.0f;
  for (int i = 0; i < 20000; ++i) {
    ui.RenderGeometry(geometry, {0, 0}, 7);
    const float z = (queue.draws.back().model * glm::vec4(0, 0, 0, 1)).z;
    ASSERT_LT(z, previous) << "draw " << i;
    ASSERT_GT(z, -1.0f) << "draw " << i;
    previous = z;
  }
}

TEST_F(UiRenderInterfaceTest, ScissorTravelsWithTheDraw) {
  const auto geometry = Compile(Quad(10, 10));
  ui.SetScissorRegion({{4, 5}, {20, 10}});
  ui.RenderGeometry(geometry, {0, 0}, 7);
  ui.EnableScissorRegion(true);
  ui.RenderGeometry(geometry, {0, 0}, 7);
  ui.EnableScissorRegion(false);
  ui.RenderGeometry(geometry, {0, 0}, 7);
  ASSERT_EQ(queue.draws.size(), 3u);
  EXPECT_FALSE(queue.draws[0].scissor);
  EXPECT_TRUE(queue.draws[1].scissor);
  EXPECT_EQ(queue.draws[1].scissorRect, glm::ivec4(4, 5, 20, 10));
  EXPECT_FALSE(queue.draws[2].scissor);
}

TEST_F(UiRenderInterfaceTest, OnlyPlainOpaqueColourOverTheWholeWindowClaimsToFillTheLayer) {
  // The window is 100 x 50. A claim lets the renderer skip every layer beneath, so anything
  // that could leave a pixel uncovered or see-through must not make it.
  const auto withAlpha = [](std::vector<Rml::Vertex> vertices, Rml::byte alpha) {
    vertices[2].colour.alpha = alpha;
    return vertices;
  };
  const Rml::Matrix4f doubled = glm::scale(glm::mat4(1.0f), glm::vec3(2, 2, 1));
  struct Case {
    const char* name;
    std::vector<Rml::Vertex> vertices;
    std::vector<int> indices = {0, 1, 2, 0, 2, 3};
    Rml::Vector2f translation = {0, 0};
    Rml::TextureHandle texture = 0;
    const Rml::Matrix4f* transform = nullptr;
    bool scissor = false;
    Rml::Rectanglei scissorRegion{};
    bool singularCamera = false;
    bool fills;
  };
  const std::vector<Case> cases = {
      {.name = "the window's rectangle", .vertices = Quad(100, 50), .fills = true},
      {.name = "a larger one moved over it",
       .vertices = Quad(120, 70),
       .translation = {-10, -10},
       .fills = true},
      {.name = "the other diagonal",
       .vertices = Quad(100, 50),
       .indices = {0, 1, 3, 1, 2, 3},
       .fills = true},
      {.name = "a scissor around the window",
       .vertices = Quad(100, 50),
       .scissor = true,
       .scissorRegion = {{0, 0}, {100, 50}},
       .fills = true},
      {.name = "a pixel short", .vertices = Quad(99, 50), .fills = false},
      {.name = "moved off an edge",
       .vertices = Quad(100, 50),
       .translation = {1, 0},
       .fills = false},
      {.name = "a corner not quite opaque",
       .vertices = withAlpha(Quad(100, 50), 254),
       .fills = false},
      {.name = "textured", .vertices = Quad(100, 50), .texture = 7, .fills = false},
      {.name = "transformed", .vertices = Quad(50, 25), .transform = &doubled, .fills = false},
      {.name = "a narrower scissor",
       .vertices = Quad(100, 50),
       .scissor = true,
       .scissorRegion = {{0, 0}, {100, 49}},
       .fills = false},
      {.name = "two triangles on one side of a diagonal",
       .vertices = Quad(100, 50),
       .indices = {0, 1, 2, 0, 1, 3},
       .fills = false},
      {.name = "a camera without an inverse",
       .vertices = Quad(100, 50),
       .singularCamera = true,
       .fills = false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto geometry = ui.CompileGeometry(test.vertices, test.indices);
    ASSERT_NE(geometry, 0u);
    ui.SetTransform(test.transform);
    ui.SetScissorRegion(test.scissorRegion);
    ui.EnableScissorRegion(test.scissor);
    viewProjection = test.singularCamera ? glm::mat4(0.0f) : glm::mat4(1.0f);
    ui.RenderGeometry(geometry, test.translation, test.texture);
    ASSERT_FALSE(queue.draws.empty());
    EXPECT_EQ(queue.draws.back().fillsLayerOfSize, test.fills ? size : glm::ivec2(0));
    ui.SetTransform(nullptr);
    ui.EnableScissorRegion(false);
    ui.ReleaseGeometry(geometry);
  }

  // A shader's material may draw anything with the geometry.
  const auto backdrop = Compile(Quad(100, 50));
  const auto shader = ui.CompileShader(
      "shader", {{"value", Rml::Variant(std::string(UiRenderInterface::kUntexturedMaterial))}});
  ui.RenderShader(shader, backdrop, {0, 0}, 0);
  EXPECT_EQ(queue.draws.back().fillsLayerOfSize, glm::ivec2(0));
}

TEST(UiTexturePathTest, KeepsThePathFromItsLastGameFolder) {
  const struct {
    const char* source;
    const char* path;
  } cases[] = {
      {"GAME/Assets/RML/images/a.png", "GAME/Assets/RML/images/a.png"},
      {"./GAME/Assets/RML/GAME/Assets/RML/images/a.png", "GAME/Assets/RML/images/a.png"},
      {"C:\\Games\\GAME\\Assets\\RML\\images\\a.png", "GAME/Assets/RML/images/a.png"},
      {"GAME/Assets/RML/images/GAMEOVER.png", "GAME/Assets/RML/images/GAMEOVER.png"},
      {"/home/x/MYGAME/GAME/b.png", "GAME/b.png"},
      {"images/c.png", "images/c.png"},
  };
  for (const auto& c : cases) EXPECT_EQ(UiTexturePath(c.source), c.path) << c.source;
}

TEST_F(UiRenderInterfaceTest, TexturesReportTheirSizeAndOnlyGeneratedOnesAreDeleted) {
  Rml::Vector2i dimensions{-1, -1};
  const auto file = ui.LoadTexture(dimensions, "GAME/Assets/Textures/logo_icon.png");
  ASSERT_NE(file, 0u);
  const CachedTexture* cached = cache.FindTexture("GAME/Assets/Textures/logo_icon.png");
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(dimensions, Rml::Vector2i(cached->width, cached->height));
  EXPECT_GT(dimensions.x, 1);

  EXPECT_EQ(ui.LoadTexture(dimensions, "https://avatars/SteamPFP3"), 0u);
  EXPECT_EQ(dimensions, Rml::Vector2i(0, 0));

  const std::vector<Rml::byte> pixels(2 * 3 * 4, 200);
  const auto generated = ui.GenerateTexture(pixels, {2, 3});
  ASSERT_NE(generated, 0u);
  EXPECT_EQ(ui.GenerateTexture(pixels, {4, 4}), 0u) << "fewer bytes than the size needs";
  const std::size_t textures = cache.TextureCount();
  ui.ReleaseTexture(file);  // shared with the game: stays
  EXPECT_EQ(cache.TextureCount(), textures);
  ui.ReleaseTexture(generated);
  EXPECT_EQ(cache.TextureCount(), textures - 1);
}

TEST_F(UiRenderInterfaceTest, ClosedInterfaceDoesNothing) {
  const auto geometry = Compile(Quad(10, 10));
  ui.Close();
  ui.ReleaseGeometry(geometry);
  EXPECT_TRUE(released.empty());
  ui.RenderGeometry(geometry, {0, 0}, 7);
  EXPECT_TRUE(queue.draws.empty());
  Rml::Vector2i dimensions;
  EXPECT_EQ(Compile(Quad(5, 5)), 0u);
  EXPECT_EQ(ui.LoadTexture(dimensions, "GAME/Assets/Textures/logo_icon.png"), 0u);
  const std::vector<Rml::byte> pixels(4, 255);
  EXPECT_EQ(ui.GenerateTexture(pixels, {1, 1}), 0u);
}

}  // namespace
