#include "render/gl_context.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

namespace {

// The current context's window, asked with GLFW's error callback muted: before glfwInit and
// after glfwTerminate the question is answered with "none", which is not an error here.
GLFWwindow* CurrentContextWindow() {
  const GLFWerrorfun previous = glfwSetErrorCallback(nullptr);
  GLFWwindow* window = glfwGetCurrentContext();
  glfwSetErrorCallback(previous);
  return window;
}

}  // namespace

void CurrentWindowFramebufferSize(int& width, int& height) {
  width = 0;
  height = 0;
  if (GLFWwindow* window = CurrentContextWindow()) glfwGetFramebufferSize(window, &width, &height);
}
