#include <glad/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/resource_cache.h"
#include "render/texture_loading.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::uint8_t> ReadBack(int texture, int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0);
  glGetTextureImage(static_cast<GLuint>(texture), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                    static_cast<GLsizei>(pixels.size()), pixels.data());
  return pixels;
}

GLint LevelParameter(int texture, GLenum parameter) {
  GLint value = 0;
  glGetTextureLevelParameteriv(static_cast<GLuint>(texture), 0, parameter, &value);
  return value;
}

GLint Parameter(int texture, GLenum parameter) {
  GLint value = 0;
  glGetTextureParameteriv(static_cast<GLuint>(texture), parameter, &value);
  return value;
}

TEST(TextureCacheGl, AFileTextureReadsBackFlippedWithItsFiltersAndHalfFloatStorage) {
  testing_support::TempFolder folder;
  const std::string path = (folder.path / "quarters.png").string();
  // Written top row first: red, green over blue, white.
  const std::vector<std::uint8_t> rows{255, 0, 0,   255, 0,   255, 0,   255,
                                       0,   0, 255, 255, 255, 255, 255, 255};
  ASSERT_NE(stbi_write_png(path.c_str(), 2, 2, 4, rows.data(), 8), 0);

  ResourceCache cache(MakeGlBackend());
  const int texture = cache.GetTexture(path, GL_LINEAR, GL_NEAREST, GL_MIRRORED_REPEAT);
  ASSERT_GT(texture, 0);
  // GL row 0 (texture coordinate v = 0) is the bottom of the picture.
  EXPECT_EQ(ReadBack(texture, 2, 2), (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 255, 255, 255,
                                                                255, 0, 0, 255, 0, 255, 0, 255}));
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA16F);
  EXPECT_EQ(Parameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(Parameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  EXPECT_EQ(Parameter(texture, GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT);
  EXPECT_EQ(Parameter(texture, GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);
}

TEST(TextureCacheGl, AMissingFileIsAOnePixelPlaceholderAndGeneratedPixelsStayAsGiven) {
  ResourceCache cache(MakeGlBackend());
  testing::internal::CaptureStdout();
  const int missing =
      cache.GetTexture("GAME/Assets/Textures/no_such_file.png", GL_NEAREST, GL_NEAREST, GL_REPEAT);
  testing::internal::GetCapturedStdout();
  ASSERT_GT(missing, 0);
  EXPECT_EQ(LevelParameter(missing, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(LevelParameter(missing, GL_TEXTURE_HEIGHT), 1);
  EXPECT_EQ(ReadBack(missing, 1, 1), PlaceholderTexture().pixels);

  // Three pixels a row: rows that are not a multiple of 8 bytes upload whatever the unpack state.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  std::vector<std::uint8_t> pixels(3 * 2 * 4);
  for (std::size_t index = 0; index < pixels.size(); ++index) {
    pixels[index] = static_cast<std::uint8_t>(index * 10);
  }
  const int generated = cache.CreateTexture(3, 2, pixels.data(), "GENERATED_TEST_TEXTURE");
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  EXPECT_EQ(ReadBack(generated, 3, 2), pixels);
  EXPECT_EQ(Parameter(generated, GL_TEXTURE_WRAP_S), GL_REPEAT);
}

TEST(TextureCacheGl, DeletingAndClearingReleaseTheGlObjects) {
  ResourceCache cache(MakeGlBackend());
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  const int deleted = cache.CreateTexture(1, 1, pixel, "deleted");
  const int cleared = cache.CreateTexture(1, 1, pixel, "cleared");
  const int program = cache.GetShader("GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
                                      "GAME/Shaders/Fragment/FramebufferFragmentShader.glsl");
  ASSERT_NE(cache.GetShaderById(program), nullptr);
  EXPECT_TRUE(cache.GetShaderById(program)->IsLinked());

  cache.DeleteTexture(deleted);
  EXPECT_EQ(glIsTexture(static_cast<GLuint>(deleted)), GL_FALSE);
  EXPECT_EQ(glIsTexture(static_cast<GLuint>(cleared)), GL_TRUE);

  cache.ClearAll();
  EXPECT_EQ(glIsTexture(static_cast<GLuint>(cleared)), GL_FALSE);
  EXPECT_EQ(glIsProgram(static_cast<GLuint>(program)), GL_FALSE);
  EXPECT_EQ(cache.GetShaderById(program), nullptr);
}

}  // namespace
