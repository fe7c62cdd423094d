#pragma once
// The OpenGL context of a GL test binary: one hidden 4.5 core window, opened before the first
// test and closed after the last. Tests draw into it (or into framebuffers of their own) and
// read the pixels back.

struct GLFWwindow;

namespace testing_support {

// The hidden window; valid while tests run.
GLFWwindow* TestWindow();

// Size of the window's framebuffer in pixels.
constexpr int kTestWindowWidth = 64;
constexpr int kTestWindowHeight = 64;

}  // namespace testing_support
