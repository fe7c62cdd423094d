#pragma once
// The hidden window of the GL benchmarks: an OpenGL 4.5 core context of the given size, made
// current with vsync off, and the source folder as working directory so the data tree is found.
// Throws std::runtime_error when there is no display or no such context (run under xvfb-run -a).

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <stdexcept>

inline GLFWwindow* OpenBenchmarkWindow(int width, int height, const char* title) {
  if (chdir(KELVARIS_SOURCE_DIR) != 0) throw std::runtime_error("no source folder");
  if (glfwInit() != GLFW_TRUE) throw std::runtime_error("no display: run under xvfb-run -a");
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  GLFWwindow* window = glfwCreateWindow(width, height, title, nullptr, nullptr);
  if (window == nullptr) throw std::runtime_error("no OpenGL 4.5 core context");
  glfwMakeContextCurrent(window);
  glfwSwapInterval(0);
  return window;
}
