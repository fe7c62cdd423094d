#include <glad/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "render/framebuffer.h"
#include "render/gpu_mesh.h"
#include "render/mesh_file.h"
#include "render/resource_cache.h"
#include "render/shader.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

using testing_support::kTestWindowHeight;
using testing_support::kTestWindowWidth;

struct TextureSize {
  GLint width;
  GLint height;
  friend bool operator==(const TextureSize&, const TextureSize&) = default;
};

TextureSize SizeOf(GLuint texture) {
  TextureSize size{};
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.height);
  return size;
}

TEST(Framebuffer, RecordedAndAllocatedSizes) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<Framebuffer>()> make;
    std::function<void(Framebuffer&)> change;
    int width;
    int height;
    bool fixed;
  } cases[] = {
      {"fixed size", [] { return std::make_unique<Framebuffer>(16, 8); }, [](Framebuffer&) {}, 16,
       8, true},
      {"no size records 1 x 1", [] { return std::make_unique<Framebuffer>(0, 0); },
       [](Framebuffer&) {}, 1, 1, true},
      {"the window's size", [] { return std::make_unique<Framebuffer>(); }, [](Framebuffer&) {},
       kTestWindowWidth, kTestWindowHeight, false},
      {"a fixed size ignores the window", [] { return std::make_unique<Framebuffer>(16, 8); },
       [](Framebuffer& framebuffer) { framebuffer.FitWindow(); }, 16, 8, true},
      {"one that follows the window takes its size again",
       [] { return std::make_unique<Framebuffer>(); },
       [](Framebuffer& framebuffer) {
         framebuffer.SetSize(8, 4);
         framebuffer.FitWindow();
       },
       kTestWindowWidth, kTestWindowHeight, false},
      {"a new size reallocates both textures", [] { return std::make_unique<Framebuffer>(16, 8); },
       [](Framebuffer& framebuffer) { framebuffer.SetSize(32, 16); }, 32, 16, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const auto framebuffer = test.make();
    test.change(*framebuffer);
    EXPECT_EQ(framebuffer->Width(), test.width);
    EXPECT_EQ(framebuffer->Height(), test.height);
    EXPECT_EQ(framebuffer->IsFixedSize(), test.fixed);
    EXPECT_EQ(SizeOf(framebuffer->ColorTexture()), (TextureSize{test.width, test.height}));
    EXPECT_EQ(SizeOf(framebuffer->DepthTexture()), (TextureSize{test.width, test.height}));
    framebuffer->Bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Framebuffer, ColourRangeAndDepthAreAsAsked) {
  const auto internalFormat = [](GLuint texture) {
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    return format;
  };
  Framebuffer layer;
  EXPECT_EQ(internalFormat(layer.ColorTexture()), GL_RGBA16F);
  EXPECT_TRUE(layer.HasDepth());
  layer.SetColorRange(ColorRange::Low);
  EXPECT_EQ(internalFormat(layer.ColorTexture()), GL_RGBA8);
  EXPECT_EQ(SizeOf(layer.ColorTexture()), (TextureSize{kTestWindowWidth, kTestWindowHeight}));

  Framebuffer work(16, 8, ColorRange::Low, Framebuffer::kNoDepth);
  EXPECT_EQ(internalFormat(work.ColorTexture()), GL_RGBA8);
  EXPECT_FALSE(work.HasDepth());
  EXPECT_EQ(work.DepthTexture(), 0u);
  work.SetSize(32, 16);
  work.SetColorRange(ColorRange::High);
  EXPECT_EQ(internalFormat(work.ColorTexture()), GL_RGBA16F);
  EXPECT_EQ(SizeOf(work.ColorTexture()), (TextureSize{32, 16}));
  for (const Framebuffer* framebuffer : {&layer, &work}) {
    framebuffer->Bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The copy program and full-screen quad the renderer draws layers with.
class FramebufferDraw : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(copy, nullptr); }

  ResourceCache cache{MakeGlBackend()};
  Shader* copy =
      cache.GetShaderById(cache.GetShader("GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
                                          "GAME/Shaders/Fragment/FramebufferFragmentShader.glsl"));
  const GpuMesh quad{LoadMeshFile("GAME/Assets/Meshes/FramebufferMesh.txt")};
};

TEST_F(FramebufferDraw, DrawsItsColourOrItsDepthTextureOverWhatIsBound) {
  Framebuffer source;
  source.Bind();
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClearDepth(0.25);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, kTestWindowWidth, kTestWindowHeight);
  const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
  const GLboolean blend = glIsEnabled(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  copy->Use();
  copy->SetInt("inTexture", 0);
  ASSERT_TRUE(quad.Bind());
  for (const bool depth : {false, true}) {
    SCOPED_TRACE(depth ? "depth" : "colour");
    source.Draw(depth);
    const auto pixel = testing_support::ReadFramebufferPixels(32, 32, 1, 1).At(0, 0);
    // The colour is green; the depth (0.25) arrives in the red channel.
    EXPECT_NEAR(pixel[0], depth ? 64 : 0, 1);
    EXPECT_NEAR(pixel[1], depth ? 0 : 255, 1);
  }
  if (depthTest == GL_TRUE) glEnable(GL_DEPTH_TEST);
  if (blend == GL_TRUE) glEnable(GL_BLEND);
  glBindVertexArray(0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FramebufferDraw, TexelForTexelGivesEveryPixelItsTexelAndLeavesLinearSampling) {
  // Columns alternating between 0 and 1 in red: any blend of neighbours shows as a value between.
  constexpr int kWidth = 8;
  constexpr int kHeight = 2;
  std::vector<float> stripes;
  for (int texel = 0; texel < kWidth * kHeight; ++texel) {
    stripes.insert(stripes.end(), {static_cast<float>(texel % 2), 0.0f, 0.0f, 1.0f});
  }
  Framebuffer source(kWidth, kHeight, ColorRange::High, Framebuffer::kNoDepth);
  glBindTexture(GL_TEXTURE_2D, source.ColorTexture());
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kWidth, kHeight, GL_RGBA, GL_FLOAT, stripes.data());
  Framebuffer target(kWidth, kHeight, ColorRange::High, Framebuffer::kNoDepth);

  const GLboolean blend = glIsEnabled(GL_BLEND);
  glDisable(GL_BLEND);
  copy->Use();
  copy->SetInt("inTexture", 0);
  ASSERT_TRUE(quad.Bind());
  target.Bind();
  glViewport(0, 0, kWidth, kHeight);
  source.DrawTexelForTexel();
  std::vector<float> drawn(stripes.size());
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_FLOAT, drawn.data());
  EXPECT_EQ(drawn, stripes);

  for (const GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, source.ColorTexture());
    glGetTexParameteriv(GL_TEXTURE_2D, filter, &value);
    EXPECT_EQ(value, GL_LINEAR) << "later readers filter the texture linearly";
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, kTestWindowWidth, kTestWindowHeight);
  if (blend == GL_TRUE) glEnable(GL_BLEND);
  glBindVertexArray(0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
