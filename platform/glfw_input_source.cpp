#include "platform/glfw_input_source.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace {

// The source the scroll callback writes to.
GlfwInputSource* g_scrollTarget = nullptr;

}  // namespace

GlfwInputSource::GlfwInputSource(GLFWwindow* inputWindow) : window(inputWindow) {
  g_scrollTarget = this;
  glfwSetScrollCallback(window, &GlfwInputSource::OnScroll);
}

GlfwInputSource::~GlfwInputSource() {
  if (g_scrollTarget == this) g_scrollTarget = nullptr;
}

void GlfwInputSource::OnScroll(GLFWwindow*, double xOffset, double yOffset) {
  // Of several events in one poll only the last counts.
  if (g_scrollTarget != nullptr) {
    g_scrollTarget->scroll = {static_cast<float>(xOffset), static_cast<float>(yOffset)};
  }
}

void GlfwInputSource::PollEvents() { glfwPollEvents(); }

bool GlfwInputSource::IsKeyDown(int keyCode) const {
  return glfwGetKey(window, keyCode) == GLFW_PRESS;
}

bool GlfwInputSource::IsMouseButtonDown(int button) const {
  return glfwGetMouseButton(window, button) == GLFW_PRESS;
}

glm::vec2 GlfwInputSource::CursorPosition() const {
  double x = 0.0;
  double y = 0.0;
  glfwGetCursorPos(window, &x, &y);
  return {static_cast<float>(x), static_cast<float>(y)};
}

glm::vec2 GlfwInputSource::TakeScroll() {
  const glm::vec2 taken = scroll;
  scroll = {0.0f, 0.0f};
  return taken;
}

void GlfwInputSource::SetCursorMode(CursorMode mode) {
  int glfwMode = GLFW_CURSOR_NORMAL;
  if (mode == CursorMode::Locked) glfwMode = GLFW_CURSOR_DISABLED;
  if (mode == CursorMode::Hidden) glfwMode = GLFW_CURSOR_HIDDEN;
  glfwSetInputMode(window, GLFW_CURSOR, glfwMode);
}
