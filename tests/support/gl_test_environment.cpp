#include "tests/support/gl_test_environment.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace testing_support {
namespace {

GLFWwindow* g_window = nullptr;

class GlTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    glfwSetErrorCallback([](int code, const char* description) {
      std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
    });
    ASSERT_EQ(glfwInit(), GLFW_TRUE) << "no display: run GL tests under xvfb-run -a";
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    g_window =
        glfwCreateWindow(kTestWindowWidth, kTestWindowHeight, "Kelvaris tests", nullptr, nullptr);
    ASSERT_NE(g_window, nullptr) << "no OpenGL 4.5 core context available";
    glfwMakeContextCurrent(g_window);
    ASSERT_NE(gladLoadGL(glfwGetProcAddress), 0) << "could not load the OpenGL entry points";
  }

  void TearDown() override {
    if (g_window != nullptr) glfwDestroyWindow(g_window);
    g_window = nullptr;
    glfwTerminate();
  }
};

}  // namespace

GLFWwindow* TestWindow() { return g_window; }

}  // namespace testing_support

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new testing_support::GlTestEnvironment);
  return RUN_ALL_TESTS();
}
