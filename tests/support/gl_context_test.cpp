#include <glad/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "tests/support/gl_test_environment.h"

TEST(GlContext, OffersOpenGl45CoreAndReadsBackWhatWasDrawn) {
  GLint major = 0;
  GLint minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  EXPECT_GE(major * 10 + minor, 45);

  glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  std::array<std::uint8_t, 4> pixel{};
  glReadPixels(testing_support::kTestWindowWidth / 2, testing_support::kTestWindowHeight / 2, 1, 1,
               GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
  EXPECT_EQ(pixel[0], 255);
  EXPECT_NEAR(pixel[1], 128, 1);
  EXPECT_EQ(pixel[2], 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
