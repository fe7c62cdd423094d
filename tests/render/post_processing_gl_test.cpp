// Post-processing passes drawn for real on small float targets and read back: the fade, the
// blur's kernel pattern, posterisation against a CPU reference, the glow, the screentone's dot
// size, the state every pass hands back, and the renderer running list j over layer j + 1.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/gpu_mesh.h"
#include "render/post_processing.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "render/shader.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

constexpr int kSize = 16;
constexpr const char* kCompositeFragment = "./GAME/Shaders/Fragment/FramebufferFragmentShader.glsl";

// Pixels of a target, bottom row first (as GL numbers them).
struct Picture {
  int width = kSize;
  int height = kSize;
  std::vector<glm::vec4> pixels = std::vector<glm::vec4>(kSize * kSize);

  glm::vec4& At(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  const glm::vec4& At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
};

Picture Filled(const std::function<glm::vec4(int x, int y)>& colour) {
  Picture picture;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) picture.At(x, y) = colour(x, y);
  }
  return picture;
}

void Upload(const Framebuffer& target, const Picture& picture) {
  glTextureSubImage2D(target.ColorTexture(), 0, 0, 0, picture.width, picture.height, GL_RGBA,
                      GL_FLOAT, picture.pixels.data());
}

Picture Download(const Framebuffer& target) {
  Picture picture;
  picture.width = target.Width();
  picture.height = target.Height();
  picture.pixels.resize(static_cast<std::size_t>(picture.width * picture.height));
  glGetTextureImage(target.ColorTexture(), 0, GL_RGBA, GL_FLOAT,
                    static_cast<GLsizei>(picture.pixels.size() * sizeof(glm::vec4)),
                    picture.pixels.data());
  return picture;
}

::testing::AssertionResult Near(const Picture& actual, const Picture& expected, float tolerance) {
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const glm::vec4 difference = glm::abs(actual.At(x, y) - expected.At(x, y));
      if (std::max({difference.r, difference.g, difference.b, difference.a}) > tolerance) {
        const glm::vec4 a = actual.At(x, y);
        const glm::vec4 e = expected.At(x, y);
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is (" << a.r << ", " << a.g << ", " << a.b
               << ", " << a.a << "), expected (" << e.r << ", " << e.g << ", " << e.b << ", " << e.a
               << ")";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

PostProcessPass Pass(PostProcessType type, std::vector<int> ints, std::vector<float> floats) {
  return MakePostProcessPass(static_cast<int>(type), ints.data(), static_cast<int>(ints.size()),
                             floats.data(), static_cast<int>(floats.size()), true);
}

// Eight layer framebuffers of one size, and the blend state a renderer would keep.
class TestTargets final : public PostProcessTargets {
 public:
  TestTargets(int width, int height) {
    layers.reserve(8);
    for (int layer = 1; layer <= 8; ++layer) layers.emplace_back(width, height);
  }
  Framebuffer* LayerFramebuffer(int layer) override {
    return layer >= 1 && layer <= 8 ? &layers[static_cast<std::size_t>(layer - 1)] : nullptr;
  }
  void BindLayer(int layer) override {
    if (Framebuffer* framebuffer = LayerFramebuffer(layer)) {
      framebuffer->Bind();
    } else {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
  }
  void SetBlendFunc(unsigned int source, unsigned int destination) override {
    blendSource = source;
    blendDestination = destination;
    glBlendFunc(source, destination);
  }
  unsigned int BlendSource() const override { return blendSource; }
  unsigned int BlendDestination() const override { return blendDestination; }

  std::vector<Framebuffer> layers;
  unsigned int blendSource = GL_SRC_ALPHA;
  unsigned int blendDestination = GL_ONE_MINUS_SRC_ALPHA;
};

// The state the renderer sets up before its passes: the quad bound, the composite program in
// use, blending on, no depth test, cleared layers.
class PostProcessingGlTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    quad = std::make_unique<GpuMesh>(
        cache->MeshAt(cache->GetMesh("./GAME/Assets/Meshes/FramebufferMesh.txt")));
    restore = cache->GetShaderById(cache->GetShader(PassShaders::kVertex, kCompositeFragment));
    testing::internal::GetCapturedStdout();
    ASSERT_NE(restore, nullptr);
    targets = std::make_unique<TestTargets>(kSize, kSize);
    for (const Framebuffer& layer : targets->layers) Upload(layer, Picture{});
    chain = std::make_unique<PostProcessingChain>(*targets, *cache);
    image = std::make_unique<Framebuffer>(kSize, kSize);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    targets->SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, testing_support::kTestWindowWidth, testing_support::kTestWindowHeight);
    restore->Use();
    ASSERT_TRUE(quad->Bind());
  }

  void TearDown() override {
    chain.reset();
    image.reset();
    targets.reset();
    quad.reset();
    cache.reset();
    glEnable(GL_DEPTH_TEST);
    EngineFixture::TearDown();
  }

  // Runs the pass over `image` in place, as the renderer does, and reads the result.
  Picture RunInPlace(const PostProcessPass& pass, const Picture& before) {
    Upload(*image, before);
    chain->ApplyPostProcessPass(pass, *image, *image, *restore);
    return Download(*image);
  }

  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<GpuMesh> quad;
  Shader* restore = nullptr;
  std::unique_ptr<TestTargets> targets;
  std::unique_ptr<PostProcessingChain> chain;
  std::unique_ptr<Framebuffer> image;
};

// A gradient of opaque colours with one transparent pixel.
Picture Gradient() {
  Picture picture = Filled(
      [](int x, int y) { return glm::vec4((x + 0.5f) / kSize, (y + 0.5f) / kSize, 0.25f, 1.0f); });
  picture.At(3, 3) = glm::vec4(0.0f);
  return picture;
}

TEST_F(PostProcessingGlTest, FadeMixesWhatIsDrawnTowardsTheColourAndLeavesEmptyPixelsEmpty) {
  const glm::vec3 colour(0.2f, 0.4f, 0.6f);
  const PostProcessPass fade =
      Pass(PostProcessType::Fade, {}, {0.0f, colour.r, colour.g, colour.b});
  for (const float amount : {1.0f, 0.0f, 0.5f}) {
    SCOPED_TRACE(amount);
    chain->SetSceneFadeSource([amount] { return amount; });
    Picture expected = Gradient();
    for (glm::vec4& pixel : expected.pixels) {
      if (pixel.a > 0.0f) pixel = glm::vec4(glm::mix(glm::vec3(pixel), colour, amount), 1.0f);
    }
    EXPECT_TRUE(Near(RunInPlace(fade, Gradient()), expected, 2e-3f));
  }
}

// The gaussian kernel applied on the CPU: each step is (draws, radius), every draw blurring the
// result of the one before; edges clamp like the textures do.
Picture BlurReference(Picture picture, const std::vector<std::pair<int, int>>& steps) {
  for (const auto& [draws, radius] : steps) {
    for (int draw = 0; draw < draws; ++draw) {
      Picture blurred = picture;
      for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
          glm::vec4 sum(0.0f);
          for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
              const int sx = std::clamp(x + (column - 1) * radius, 0, picture.width - 1);
              const int sy = std::clamp(y + (1 - row) * radius, 0, picture.height - 1);
              sum += KernelPass::kGaussian[static_cast<std::size_t>(row * 3 + column)] *
                     picture.At(sx, sy);
            }
          }
          blurred.At(x, y) = sum;
        }
      }
      picture = blurred;
    }
  }
  return picture;
}

TEST_F(PostProcessingGlTest, OneWhitePixelBlurredGivesTheKernelsPattern) {
  Picture dot = Filled([](int, int) { return glm::vec4(0.0f, 0.0f, 0.0f, 1.0f); });
  dot.At(8, 8) = glm::vec4(1.0f);
  const struct {
    const char* name;
    PostProcessPass pass;
    std::vector<std::pair<int, int>> steps;
  } cases[] = {
      {"one draw", Pass(PostProcessType::Blur, {1, 1}, {}), {{1, 1}}},
      {"the second draw blurs the first one's result",
       Pass(PostProcessType::Blur, {2, 1}, {}),
       {{2, 1}}},
      {"a radius of 2 spreads the taps", Pass(PostProcessType::Blur, {1, 2}, {}), {{1, 2}}},
      {"no draws leave the image", Pass(PostProcessType::Blur, {0, 1}, {}), {}},
      {"two scales: radius 2, then 1, two draws each",
       Pass(PostProcessType::MultiScaleBlur, {2, 1}, {}),
       {{2, 2}, {2, 1}}},
      {"no scales leave the image", Pass(PostProcessType::MultiScaleBlur, {0, 3}, {}), {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_TRUE(Near(RunInPlace(test.pass, dot), BlurReference(dot, test.steps), 2e-3f));
  }
}

TEST_F(PostProcessingGlTest, PosterizationOfAGradientMatchesTheCpuSteps) {
  // Bottom half: a grey ramp; top half: red; the top row is the ramp at half alpha.
  const auto grey = [](int x) { return (x + 0.5f) / kSize; };
  const Picture before = Filled([&](int x, int y) {
    if (y == kSize - 1) return glm::vec4(glm::vec3(grey(x)), 0.5f);
    return y < kSize / 2 ? glm::vec4(glm::vec3(grey(x)), 1.0f) : glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
  });
  // Six hues turned by half a turn, two saturation steps, three lightness steps (0, 0.5, 1).
  const PostProcessPass pass = Pass(PostProcessType::Posterization, {6, 2, 3}, {0.5f});
  const auto lightnessStep = [](float value) { return std::round(value * 2.0f) / 2.0f; };
  const Picture expected = Filled([&](int x, int y) {
    const float stepped = lightnessStep(grey(x));
    if (y == kSize - 1) {
      // Drawn at half alpha over the untouched pixel.
      return glm::vec4(glm::vec3(0.5f * stepped + 0.5f * grey(x)), 0.5f);
    }
    return y < kSize / 2 ? glm::vec4(glm::vec3(stepped), 1.0f) : glm::vec4(0.0f, 1.0f, 1.0f, 1.0f);
  });
  EXPECT_TRUE(Near(RunInPlace(pass, before), expected, 2e-3f));
}

TEST_F(PostProcessingGlTest, GlowAddsLightAroundWhatPassesTheThreshold) {
  Picture square = Filled([](int, int) { return glm::vec4(0.0f, 0.0f, 0.0f, 1.0f); });
  for (int y = 6; y < 10; ++y) {
    for (int x = 6; x < 10; ++x) square.At(x, y) = glm::vec4(1.0f);
  }
  // Threshold 1 (where the main-menu fade starts): nothing of a white image passes.
  EXPECT_TRUE(
      Near(RunInPlace(Pass(PostProcessType::Floreth, {3, 1, 7}, {1.0f}), square), square, 2e-3f));

  const Picture glowing = RunInPlace(Pass(PostProcessType::Floreth, {3, 1, 7}, {0.0f}), square);
  EXPECT_GT(glowing.At(5, 7).r, 0.05f) << "no glow beside the square";
  EXPECT_GT(glowing.At(7, 10).g, 0.05f) << "no glow above the square";
  EXPECT_GE(glowing.At(7, 7).b, 0.99f);
}

TEST_F(PostProcessingGlTest, AFullGlowKeepsAnOpaqueImageOpaqueAndItsColourAColour) {
  // The main menu's glow once its threshold has faded to 0: every level adds light, and the
  // coverage it adds must stay 1, or the final blend weighs the colour by more than 1.
  const glm::vec4 dark(0.1f, 0.05f, 0.02f, 1.0f);
  const Picture glowing = RunInPlace(Pass(PostProcessType::Floreth, {5, 2, 7}, {0.0f}),
                                     Filled([&](int, int) { return dark; }));
  const glm::vec4 centre = glowing.At(kSize / 2, kSize / 2);
  EXPECT_NEAR(centre.a, 1.0f, 1e-3f);
  EXPECT_GT(centre.r, dark.r) << "the glow adds light";
  EXPECT_LT(centre.r, 0.5f) << "a dark colour stays dark";
  EXPECT_NEAR(centre.g / centre.r, dark.g / dark.r, 0.02f) << "the hue stays";
}

TEST_F(PostProcessingGlTest, AGlowRadiusBlursAlikeEitherWayAndPastTheImageAsAtItsSize) {
  // A bright corner, so that taps past each edge and the blur's direction both show.
  const Picture corner = Filled([](int x, int y) {
    return x < 4 && y < 6 ? glm::vec4(0.9f, 0.6f, 0.3f, 1.0f) : glm::vec4(0.0f, 0.0f, 0.1f, 1.0f);
  });
  const auto glowWith = [&](int radius) {
    return RunInPlace(Pass(PostProcessType::Floreth, {5, radius, 7}, {0.0f}), corner);
  };
  const struct {
    const char* name;
    int radius;
    int sameAs;
  } cases[] = {
      {"a negative radius", -2, 2},
      {"a radius past the image", 1000, kSize},
      {"the most negative radius", std::numeric_limits<int>::min(), kSize},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_TRUE(Near(glowWith(test.radius), glowWith(test.sameAs), 1e-3f));
  }
  EXPECT_FALSE(Near(glowWith(2), glowWith(kSize), 1e-2f)) << "the radius spreads the glow";
}

TEST_F(PostProcessingGlTest, TwoGlowsSharingAScratchLayerDoNotLeakIntoEachOther) {
  const PostProcessPass glow = Pass(PostProcessType::Floreth, {3, 1, 7}, {1.0f});
  RunInPlace(glow, Gradient());  // leaves its copy in layer 7
  Framebuffer empty(kSize, kSize);
  Upload(empty, Picture{});
  chain->ApplyPostProcessPass(glow, empty, empty, *restore);
  EXPECT_TRUE(Near(Download(empty), Picture{}, 0.0f));
}

TEST_F(PostProcessingGlTest, AGlowWhoseScratchLayerIsShownLeavesItsResultThere) {
  // In RGBA16F, as in the game. A scratch layer nothing reads keeps only the copy, and the glow
  // is added as it is laid over the image; one that is composited holds the result, which is
  // then laid over. Both give one picture.
  const PostProcessPass glow = Pass(PostProcessType::Floreth, {5, 2, 7}, {0.0f});
  Framebuffer& layer7 = *targets->LayerFramebuffer(7);
  image->SetColorRange(ColorRange::High);
  layer7.SetColorRange(ColorRange::High);
  const Picture combined = RunInPlace(glow, Gradient());
  EXPECT_TRUE(Near(Download(layer7), Gradient(), 1e-3f)) << "the scratch keeps the copy";

  layer7.composite = true;
  const Picture layered = RunInPlace(glow, Gradient());
  EXPECT_TRUE(Near(layered, combined, 4e-3f));
  EXPECT_NEAR(Download(layer7).At(8, 8).b, layered.At(8, 8).b, 4e-3f)
      << "the scratch holds the glowing copy";
  EXPECT_GT(combined.At(8, 8).b, 0.3f) << "the glow adds light";
}

TEST_F(PostProcessingGlTest, AGlowGivesOnePictureEitherWayAtEvenAndOddSizes) {
  // When the scratch layer is not composited the glow's first half-size level is taken straight
  // from the image's bright texels: over even sizes by way of the taps on texel corners, over
  // odd ones with taps between corners; at the edges the taps reach past the image. Bright
  // texels on every edge and a bright row across, so a fault in either shows against the glow
  // built from the full-size bright level.
  const struct {
    int width;
    int height;
  } sizes[] = {{14, 10}, {15, 11}, {9, 16}, {16, 7}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    TestTargets oddTargets(size.width, size.height);
    PostProcessingChain oddChain(oddTargets, *cache);
    Framebuffer oddImage(size.width, size.height);
    Framebuffer& layer7 = *oddTargets.LayerFramebuffer(7);
    oddImage.SetColorRange(ColorRange::High);
    layer7.SetColorRange(ColorRange::High);
    Picture before;
    before.width = size.width;
    before.height = size.height;
    before.pixels.resize(static_cast<std::size_t>(size.width * size.height));
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        const bool edge = x == 0 || y == 0 || x == size.width - 1 || y == size.height - 1;
        before.At(x, y) =
            edge || y == size.height / 2
                ? glm::vec4(0.3f + 0.05f * static_cast<float>(x % 5), 0.9f, 0.6f, 1.0f)
                : glm::vec4(0.1f, 0.05f * static_cast<float>(y % 4), 0.2f, 0.5f);
      }
    }
    const auto run = [&] {
      Upload(oddImage, before);
      oddChain.ApplyPostProcessPass(Pass(PostProcessType::Floreth, {5, 1, 7}, {0.5f}), oddImage,
                                    oddImage, *restore);
      return Download(oddImage);
    };
    layer7.composite = false;
    const Picture combined = run();
    layer7.composite = true;
    EXPECT_TRUE(Near(combined, run(), 4e-3f));
  }
}

TEST_F(PostProcessingGlTest, GlowRefusesAScratchLayerItCannotUse) {
  const Picture before = Gradient();
  Framebuffer& layer7 = *targets->LayerFramebuffer(7);
  const struct {
    const char* name;
    int scratchLayer;
    Framebuffer* processed;
    const char* log;
  } cases[] = {
      {"layer 0", 0, image.get(), "scratch layer 0 has no framebuffer (layers 1..8)"},
      {"layer 9", 9, image.get(), "scratch layer 9 has no framebuffer (layers 1..8)"},
      {"the processed layer", 7, &layer7, "scratch layer 7 is the layer the glow is drawn over"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const PostProcessPass glow = Pass(PostProcessType::Floreth, {3, 1, test.scratchLayer}, {0.0f});
    for (int repeat = 0; repeat < 2; ++repeat) {
      Upload(*test.processed, before);
      testing::internal::CaptureStdout();
      chain->ApplyPostProcessPass(glow, *test.processed, *test.processed, *restore);
      const std::string log = testing::internal::GetCapturedStdout();
      // Reported the first time only.
      EXPECT_EQ(log.find(test.log) != std::string::npos, repeat == 0) << log;
      EXPECT_TRUE(Near(Download(*test.processed), before, 0.0f));
    }
  }
}

TEST_F(PostProcessingGlTest, ScreentoneDotCellIsTheHeightOver200WholePixels) {
  const struct {
    int height;
    float cell;
  } cases[] = {{1080, 5.0f}, {719, 3.0f}, {kSize, 0.0f}};
  const GLuint program =
      static_cast<GLuint>(cache->GetShader(PassShaders::kVertex, PassShaders::kScreentone));
  for (const auto& test : cases) {
    SCOPED_TRACE(test.height);
    Framebuffer tall(kSize, test.height);
    chain->ApplyPostProcessPass(Pass(PostProcessType::Screentone, {}, {}), tall, tall, *restore);
    GLfloat cell = -1.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "fTexSampleSize"), &cell);
    EXPECT_EQ(cell, test.cell);
  }
}

TEST_F(PostProcessingGlTest, EveryPassHandsBackTheProgramBlendViewportAndWindowFramebuffer) {
  const PostProcessPass passes[] = {
      Pass(PostProcessType::Floreth, {9, 1, 7}, {0.5f}),
      Pass(PostProcessType::Blur, {2, 1}, {}),
      Pass(PostProcessType::MultiScaleBlur, {3, 1}, {}),
      Pass(PostProcessType::Edge, {1}, {0.1f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f}),
      Pass(PostProcessType::Posterization, {4, 2, 3}, {0.0f}),
      Pass(PostProcessType::ToneMapping, {}, {}),
      Pass(PostProcessType::Fade, {}, {0.0f, 1.0f, 0.0f, 0.0f}),
      Pass(PostProcessType::Screentone, {}, {}),
      Pass(PostProcessType::FXAA, {}, {}),
      Pass(PostProcessType::Noir, {4, 2, 4}, {0.0f}),
  };
  // A factor pair no pass uses, so that handing back the caller's is seen.
  targets->SetBlendFunc(GL_ONE, GL_ZERO);
  glViewport(1, 2, 30, 40);
  for (const PostProcessPass& pass : passes) {
    SCOPED_TRACE(pass.type);
    Upload(*image, Gradient());
    chain->ApplyPostProcessPass(pass, *image, *image, *restore);
    GLint program = 0;
    GLint framebuffer = -1;
    GLint viewport[4] = {};
    GLint activeUnit = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    EXPECT_EQ(static_cast<GLuint>(program), restore->program);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 30, 40}));
    EXPECT_EQ(activeUnit, GL_TEXTURE0);
    EXPECT_EQ(targets->BlendSource(), static_cast<unsigned int>(GL_ONE));
    EXPECT_EQ(targets->BlendDestination(), static_cast<unsigned int>(GL_ZERO));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// The renderer's own frame: list j runs over framebuffer j, which draws layer j + 1.
class RendererPostProcessingGlTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    glViewport(0, 0, testing_support::kTestWindowWidth, testing_support::kTestWindowHeight);
    testing::internal::CaptureStdout();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    renderer = std::make_unique<Renderer>(*cache);
    testing::internal::GetCapturedStdout();
    targets = std::make_unique<RendererTargets>(*renderer);
    chain = std::make_unique<PostProcessingChain>(*targets, *cache);
    renderer->SetPostProcessing(chain.get());
  }

  void TearDown() override {
    renderer.reset();
    chain.reset();
    targets.reset();
    cache.reset();
    EngineFixture::TearDown();
  }

  // Draws an opaque white quad over the middle half of `layer` (none: nothing drawn) through
  // `lists`, with the scene fade at `fade`, and reads the window back.
  testing_support::Image DrawWhiteQuadThrough(const PostProcessPipeline& lists, float fade,
                                              std::optional<int> layer = 1) {
    testing::internal::CaptureStdout();
    DrawRequest draw;
    draw.mesh = cache->GetMesh("./GAME/Assets/Meshes/DefaultQuad.txt");
    draw.material = cache->GetMaterial("./GAME/Assets/Materials/UnlitMaterial.json");
    const std::uint8_t white[4] = {255, 255, 255, 255};
    draw.textureA = cache->CreateTexture(1, 1, white, "white");
    testing::internal::GetCapturedStdout();
    chain->SetPipeline(lists);
    chain->SetSceneFadeSource([fade] { return fade; });

    if (layer) {
      draw.layer = *layer;
      renderer->QueueDraw(draw);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer->Render();
    return testing_support::ReadFramebufferPixels(0, 0, testing_support::kTestWindowWidth,
                                                  testing_support::kTestWindowHeight);
  }

  static std::array<int, 3> Centre(const testing_support::Image& window) {
    const auto centre = window.At(window.width / 2, window.height / 2);
    return {centre[0], centre[1], centre[2]};
  }

  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<RendererTargets> targets;
  std::unique_ptr<PostProcessingChain> chain;
};

PostProcessPass FadeTo(glm::vec3 colour, bool enabled = true) {
  const float floats[4] = {0.0f, colour.r, colour.g, colour.b};
  return MakePostProcessPass(static_cast<int>(PostProcessType::Fade), nullptr, 0, floats, 4,
                             enabled);
}

using Rgb = std::array<int, 3>;

TEST_F(RendererPostProcessingGlTest, ListZeroRunsOverTheSceneLayerAndDisabledPassesDoNot) {
  PostProcessPipeline lists;
  lists[0] = {FadeTo({1.0f, 0.0f, 0.0f}), FadeTo({0.0f, 1.0f, 0.0f}, false)};
  // Layer 2 is empty: a fade over it covers nothing.
  lists[1] = {FadeTo({0.0f, 0.0f, 1.0f})};
  const testing_support::Image window = DrawWhiteQuadThrough(lists, 1.0f);
  EXPECT_EQ(Centre(window), (Rgb{255, 0, 0}));
  const auto corner = window.At(1, 1);
  EXPECT_EQ((Rgb{corner[0], corner[1], corner[2]}), (Rgb{0, 0, 0}));
}

TEST_F(RendererPostProcessingGlTest, PassesOfAListRunInListOrder) {
  // Halfway to red, then halfway to green: white becomes (0.5, 0.75, 0.25); the other way
  // round it would be (0.75, 0.5, 0.25).
  PostProcessPipeline lists;
  lists[0] = {FadeTo({1.0f, 0.0f, 0.0f}), FadeTo({0.0f, 1.0f, 0.0f})};
  const Rgb centre = Centre(DrawWhiteQuadThrough(lists, 0.5f));
  EXPECT_NEAR(centre[0], 128, 2);
  EXPECT_NEAR(centre[1], 191, 2);
  EXPECT_NEAR(centre[2], 64, 2);
}

TEST_F(RendererPostProcessingGlTest, ALayerThatHeldSomethingLastFrameShowsNothingOnceEmpty) {
  PostProcessPipeline lists;
  lists[1] = {FadeTo({1.0f, 0.0f, 0.0f})};
  EXPECT_EQ(Centre(DrawWhiteQuadThrough(lists, 0.0f, 2)), (Rgb{255, 255, 255}));
  EXPECT_EQ(Centre(DrawWhiteQuadThrough(lists, 0.0f, std::nullopt)), (Rgb{0, 0, 0}));
  EXPECT_EQ(Centre(DrawWhiteQuadThrough(lists, 1.0f, std::nullopt)), (Rgb{0, 0, 0}));
}

GLint InternalFormatOf(GLuint texture) {
  GLint format = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  return format;
}

// The main menu's glow at threshold 0, with its copy in layer 7.
PostProcessPass FullGlow() {
  const int ints[3] = {5, 2, 7};
  const float floats[1] = {0.0f};
  return MakePostProcessPass(static_cast<int>(PostProcessType::Floreth), ints, 3, floats, 1, true);
}

// The coverage of `layer` just left of the white quad, where only a glow reaches.
float CoverageBesideTheQuad(Renderer& renderer, int layer) {
  const Picture picture = Download(renderer.LayerFramebuffer(layer));
  return picture.At(picture.width / 4 - 2, picture.height / 2).a;
}

TEST_F(RendererPostProcessingGlTest, AGlowEndingItsListIsLaidOverTheWindowAsFromItsLayer) {
  // The glow lays its result over the window itself when it is the list's last pass; a fade by
  // nothing after it changes no pixel but makes it draw into the layer, which is then laid over.
  PostProcessPipeline lists;
  lists[2] = {FullGlow()};
  const testing_support::Image overWindow = DrawWhiteQuadThrough(lists, 0.0f, 3);
  EXPECT_EQ(CoverageBesideTheQuad(*renderer, 3), 0.0f) << "the layer keeps its drawing";
  lists[2] = {FullGlow(), FadeTo({1.0f, 0.0f, 0.0f})};
  const testing_support::Image fromLayer = DrawWhiteQuadThrough(lists, 0.0f, 3);
  EXPECT_GT(CoverageBesideTheQuad(*renderer, 3), 0.05f) << "the layer holds the glow";
  int worst = 0;
  for (std::size_t index = 0; index < overWindow.rgba.size(); ++index) {
    worst = std::max(worst, std::abs(overWindow.rgba[index] - fromLayer.rgba[index]));
  }
  EXPECT_LE(worst, 1);
  EXPECT_EQ(overWindow.rgba.size(), fromLayer.rgba.size());
}

TEST_F(RendererPostProcessingGlTest, AGlowOnTheLayerTheScreentoneOrFxaaReadsStaysInTheLayer) {
  const struct {
    const char* name;
    int layer;
    PostProcessType reader;
  } cases[] = {
      {"screentone", 5, PostProcessType::Screentone},
      {"FXAA", 6, PostProcessType::FXAA},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    PostProcessPipeline lists;
    lists[static_cast<std::size_t>(test.layer - 1)] = {FullGlow()};
    lists[7] = {MakePostProcessPass(static_cast<int>(test.reader), nullptr, 0, nullptr, 0, true)};
    DrawWhiteQuadThrough(lists, 0.0f, test.layer);
    EXPECT_GT(CoverageBesideTheQuad(*renderer, test.layer), 0.05f);
  }
}

TEST_F(RendererPostProcessingGlTest, OnlyLayersTheGlowReadsHoldLightBrighterThanWhite) {
  PostProcessPipeline lists;
  const int glowInts[3] = {5, 2, 7};
  const float glowFloats[1] = {1.0f};
  lists[2] = {MakePostProcessPass(static_cast<int>(PostProcessType::Floreth), glowInts, 3,
                                  glowFloats, 1, true)};
  DrawWhiteQuadThrough(lists, 0.0f);
  for (int layer = 1; layer <= 8; ++layer) {
    SCOPED_TRACE(layer);
    const bool high = layer == 3 || layer == 7;
    EXPECT_EQ(InternalFormatOf(renderer->LayerFramebuffer(layer).ColorTexture()),
              high ? GL_RGBA16F : GL_RGBA8);
  }
  // Without the glow the layers go back to 8 bits at the next frame.
  DrawWhiteQuadThrough(PostProcessPipeline{}, 0.0f);
  EXPECT_EQ(InternalFormatOf(renderer->LayerFramebuffer(3).ColorTexture()), GL_RGBA8);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
