// The document render interface with the real renderer in the hidden 64 x 64 test window:
// geometry lands on the pixels the library gave it, under a menu-layer camera, clipped by the
// scissor rectangle, and images and text both show upright.

#include <glad/gl.h>

#include "render/ui_render_interface.h"
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "components/camera.h"
#include "components/transform.h"
#include "render/camera_system.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "rml/rml.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

using testing_support::Image;
using testing_support::kTestWindowHeight;
using testing_support::kTestWindowWidth;

class UiRenderInterfaceGlTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    glViewport(0, 0, kTestWindowWidth, kTestWindowHeight);
    testing::internal::CaptureStdout();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    renderer = std::make_unique<Renderer>(*cache);
    cameras = systems->RegisterSystem<CameraSystem>();
    CameraSystemLinks window;
    window.windowSize = [](int& width, int& height) {
      width = kTestWindowWidth;
      height = kTestWindowHeight;
      return true;
    };
    cameras->SetLinks(std::move(window));
    renderer->UseSystems(cameras, {});
    // A menu-layer camera away from the origin: the interface must undo it.
    menuCamera = CreateEntity("menu camera");
    Add<Transform>(menuCamera)._position = {5.0f, 3.0f, 10.0f};
    Add<Camera>(menuCamera)._frameBuffer = FramebufferLayer::MENUUI;
    cameras->Update(0.0f);
    ASSERT_NE(cameras->FindLayerCamera(3), nullptr);

    UiRenderLinks links;
    links.framebufferSize = [this] {
      return glm::ivec2(renderer->LayerFramebuffer(3).Width(),
                        renderer->LayerFramebuffer(3).Height());
    };
    links.layerViewProjection = [this] { return cameras->FindLayerCamera(3)->viewProjection; };
    links.meshReleased = [this](int mesh) { renderer->ForgetMesh(mesh); };
    links.depth = &renderer->uiDepth;
    ui = std::make_unique<UiRenderInterface>(*cache, *renderer, std::move(links));
    testing::internal::GetCapturedStdout();
  }

  void TearDown() override {
    ui.reset();
    renderer.reset();
    cache.reset();
    RenderTestScene::TearDown();
  }

  Image Frame() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer->Render();
    return testing_support::ReadFramebufferPixels(0, 0, kTestWindowWidth, kTestWindowHeight);
  }

  // A white rectangle from (0, 0) to size, without texture coordinates.
  Rml::CompiledGeometryHandle Rectangle(Rml::Vector2f size,
                                        Rml::Colourb colour = {255, 255, 255, 255}) {
    const Rml::Vertex vertices[4] = {{{0, 0}, colour, {}},
                                     {{size.x, 0}, colour, {}},
                                     {size, colour, {}},
                                     {{0, size.y}, colour, {}}};
    const int indices[6] = {0, 1, 2, 0, 2, 3};
    testing::internal::CaptureStdout();
    const auto handle = ui->CompileGeometry(vertices, indices);
    testing::internal::GetCapturedStdout();
    return handle;
  }

  static bool Lit(const Image& image, int x, int y) { return image.At(x, y)[0] > 128; }

  // The menu layer seen through the camera a level scene has on its scene layer (perspective,
  // high above the ground, looking down at an angle), as in a scene without a menu camera.
  void UseLevelCameraOnTheMenuLayer(glm::vec3 position = {17.0f, 19.0f, 39.0f}) {
    Camera& camera = *components->GetComponent<Camera>(menuCamera);
    camera._mode = Mode::PERSPECTIVE;
    camera._zoom = 0.9f;
    camera._nearPlane = 0.1f;
    camera._farPlane = 200.0f;
    camera.SetDirty();
    Transform& transform = *components->GetComponent<Transform>(menuCamera);
    transform._position = position;
    transform._rotation = {-38.0f, 45.0f, 0.0f};
    cameras->Update(0.0f);
  }

  // The 20 x 10 rectangle drawn at (10, 10) covers exactly its pixels.
  static void ExpectRectangleAt10By10(const Image& frame) {
    for (const auto& [x, y] : {std::pair{10, 10}, {29, 10}, {10, 19}, {29, 19}, {20, 15}})
      EXPECT_TRUE(Lit(frame, x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{9, 10}, {30, 15}, {20, 9}, {20, 20}, {50, 50}})
      EXPECT_FALSE(Lit(frame, x, y)) << x << "," << y;
  }

  // Starts the library on the interface, with DejaVu Sans and a context the size of the window,
  // and shows the document in it, laid out and queued for drawing; null when a step fails.
  Rml::Context* ShowDocument(const std::string& rml) {
    Rml::SetRenderInterface(ui.get());
    if (!Rml::Initialise() || !Rml::LoadFontFace("GAME/Assets/Fonts/DejaVuSans.ttf"))
      return nullptr;
    Rml::Context* context = Rml::CreateContext("gl", {kTestWindowWidth, kTestWindowHeight});
    if (context == nullptr) return nullptr;
    Rml::ElementDocument* document =
        context->LoadDocumentFromMemory(rml, "./GAME/Assets/RML/test.rml");
    if (document == nullptr) return nullptr;
    document->Show();
    testing::internal::CaptureStdout();
    context->Update();
    context->Render();
    testing::internal::GetCapturedStdout();
    return context;
  }

  void StopLibrary() {
    Rml::Shutdown();
    Rml::SetRenderInterface(nullptr);
    ui->Close();
  }

  // Draws the document in the library's own context and reads the window back.
  Image DrawDocument(const std::string& rml) {
    Image frame;
    if (ShowDocument(rml) != nullptr) {
      frame = Frame();
    } else {
      ADD_FAILURE() << "the document was not shown";
    }
    StopLibrary();
    return frame;
  }

  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<Renderer> renderer;
  std::shared_ptr<CameraSystem> cameras;
  int menuCamera = -1;
  std::unique_ptr<UiRenderInterface> ui;
};

TEST_F(UiRenderInterfaceGlTest, QuadCoversItsPixelRectangleUnderTheMenuCamera) {
  ui->RenderGeometry(Rectangle({20, 10}), {10, 10}, 0);
  ExpectRectangleAt10By10(Frame());
}

TEST_F(UiRenderInterfaceGlTest, ScissorClipsTheDraw) {
  ui->EnableScissorRegion(true);
  ui->SetScissorRegion({{0, 0}, {20, 64}});
  ui->RenderGeometry(Rectangle({40, 10}), {10, 10}, 0);
  ui->EnableScissorRegion(false);
  const Image frame = Frame();
  EXPECT_TRUE(Lit(frame, 15, 15));
  EXPECT_FALSE(Lit(frame, 25, 15));
}

TEST_F(UiRenderInterfaceGlTest, ImagesAndTextShowUpright) {
  // The marker: red top-left quarter, green top-right, blue bottom half. A "T" is wide at the
  // top and narrow at the bottom.
  const Image frame = DrawDocument(
      "<rml><head><style>body { font-family: DejaVuSans; color: white; }"
      "#m { position: absolute; left: 0; top: 0; width: 16px; height: 16px; }"
      "#t { position: absolute; left: 24px; top: 0; font-size: 48px; line-height: 48px; "
      "}</style></head>"
      "<body><img id='m' src='GAME/Assets/RML/images/marker.png'/><div "
      "id='t'>T</div></body></rml>");
  ASSERT_EQ(frame.width, kTestWindowWidth);

  const auto colour = [&](int x, int y) {
    const auto pixel = frame.At(x, y);
    return std::array<int, 3>{pixel[0], pixel[1], pixel[2]};
  };
  EXPECT_EQ(colour(3, 3), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(colour(12, 3), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(colour(8, 12), (std::array<int, 3>{0, 0, 255}));

  // Lit pixels of the glyph's top and bottom thirds: the bar and the foot of the stem.
  int top = -1;
  int bottom = -1;
  for (int y = 0; y < kTestWindowHeight; ++y) {
    for (int x = 20; x < kTestWindowWidth; ++x) {
      if (Lit(frame, x, y)) {
        if (top < 0) top = y;
        bottom = y;
      }
    }
  }
  ASSERT_GT(bottom - top, 10) << "the glyph shows";
  const auto litInRow = [&](int y) {
    int count = 0;
    for (int x = 20; x < kTestWindowWidth; ++x) count += Lit(frame, x, y) ? 1 : 0;
    return count;
  };
  EXPECT_GT(litInRow(top + 1), 2 * litInRow(bottom - 1)) << "the bar of the T is at the top";
}

TEST_F(UiRenderInterfaceGlTest, QuadCoversItsPixelRectangleUnderAPerspectiveCamera) {
  UseLevelCameraOnTheMenuLayer();
  ui->RenderGeometry(Rectangle({20, 10}), {10, 10}, 0);
  ExpectRectangleAt10By10(Frame());
}

// A backdrop, a panel over it and text over the panel: each draw lies over the one before it,
// through the level's perspective camera as through the orthographic menu camera.
TEST_F(UiRenderInterfaceGlTest, TextOverAPanelShowsAlikeThroughOrthographicAndPerspectiveCameras) {
  Rml::Context* context = ShowDocument(
      "<rml><head><style>body { font-family: DejaVuSans; color: #302018; }"
      "div { position: absolute; }"
      "#backdrop { left: 0; top: 0; width: 64px; height: 64px; background-color: #0c0a12; opacity: "
      "0.75; }"
      "#panel { left: 3px; top: 3px; width: 57px; height: 55px; background-color: #e8dcc0; }"
      "#text { left: 5px; top: 5px; width: 54px; font-size: 13px; line-height: 15px; "
      "}</style></head>"
      "<body><div id='backdrop'/><div id='panel'/><div id='text'>Paused. The run waits for "
      "you.</div></body></rml>");
  ASSERT_NE(context, nullptr);
  const Image orthographic = Frame();
  // The level camera follows the player: the tutorial's start and two places further on.
  std::vector<Image> perspective;
  for (const glm::vec3 position :
       {glm::vec3(17, 19, 39), glm::vec3(27, 19, 47), glm::vec3(90, 19, 150)}) {
    UseLevelCameraOnTheMenuLayer(position);
    context->Render();
    perspective.push_back(Frame());
  }
  StopLibrary();

  // The text shows: dark glyph pixels on the light panel.
  int glyphPixels = 0;
  for (int y = 6; y < 60; ++y) {
    for (int x = 6; x < 60; ++x) glyphPixels += orthographic.At(x, y)[0] < 120 ? 1 : 0;
  }
  EXPECT_GT(glyphPixels, 150);
  for (std::size_t camera = 0; camera < perspective.size(); ++camera) {
    int differing = 0;
    int worst = 0;
    for (int y = 0; y < kTestWindowHeight; ++y) {
      for (int x = 0; x < kTestWindowWidth; ++x) {
        int difference = 0;
        for (int channel = 0; channel < 3; ++channel) {
          difference = std::max(difference, std::abs(orthographic.At(x, y)[channel] -
                                                     perspective[camera].At(x, y)[channel]));
        }
        differing += difference > 8 ? 1 : 0;
        worst = std::max(worst, difference);
      }
    }
    EXPECT_EQ(differing, 0) << "camera " << camera << ": the largest difference of a channel is "
                            << worst;
  }
}

// Solid boxes in every way a document writes a colour, opaque and see-through, over the black
// window and over a white box, each checked at its centre.
TEST_F(UiRenderInterfaceGlTest, BackgroundColoursShowAsWritten) {
  struct Box {
    const char* style;
    std::array<int, 3> expected;
  };
  const Box boxes[] = {
      {"background-color: #c82814", {200, 40, 20}},
      {"background-color: #3a6", {51, 170, 102}},
      {"background-color: rgb(20, 200, 40)", {20, 200, 40}},
      {"background-color: navy", {0, 0, 128}},
      {"background-color: rgba(255, 255, 255, 0.5)", {128, 128, 128}},
      {"background-color: #ff000080", {128, 0, 0}},
      {"background-color: #00ff00; opacity: 0.25", {0, 64, 0}},
      // Over the white box below: a half of each.
      {"background-color: #2040c880; top: 24px", {144, 160, 228}},
      {"background-color: rgba(0, 0, 0, 64); top: 24px", {192, 192, 192}},
  };
  std::string rml =
      "<rml><head><style>div { position: absolute; width: 6px; height: 6px; }"
      "#white { left: 0; top: 22px; width: 64px; height: 10px; background-color: white; }"
      "</style></head><body><div id='white'/>";
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    rml += "<div style='left: " + std::to_string(i * 7) + "px; top: 4px; " + boxes[i].style + "'/>";
  }
  rml += "</body></rml>";

  const Image frame = DrawDocument(rml);
  ASSERT_EQ(frame.width, kTestWindowWidth);
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    const bool overWhite = std::string(boxes[i].style).find("top: 24px") != std::string::npos;
    const auto pixel = frame.At(static_cast<int>(i * 7 + 3), overWhite ? 27 : 7);
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_NEAR(pixel[channel], boxes[i].expected[channel], 3)
          << boxes[i].style << ", channel " << channel;
    }
  }
}

}  // namespace
