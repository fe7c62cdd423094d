#include "platform/glfw_input_source.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace {

static_assert(GlfwInputSource::kKeyCodeCount == GLFW_KEY_LAST + 1);
static_assert(GlfwInputSource::kMouseButtonCount == GLFW_MOUSE_BUTTON_LAST + 1);

// The source the window's callbacks write to.
GlfwInputSource* g_eventTarget = nullptr;

}  // namespace

GlfwInputSource::GlfwInputSource(GLFWwindow* inputWindow) : window(inputWindow) {
  g_eventTarget = this;
  glfwSetScrollCallback(window, &GlfwInputSource::OnScroll);
  glfwSetKeyCallback(window, &GlfwInputSource::OnKey);
  glfwSetMouseButtonCallback(window, &GlfwInputSource::OnMouseButton);
}

GlfwInputSource::~GlfwInputSource() {
  if (g_eventTarget == this) g_eventTarget = nullptr;
}

void GlfwInputSource::OnScroll(GLFWwindow*, double xOffset, double yOffset) {
  // Of several events in one poll only the last counts.
  if (g_eventTarget != nullptr) {
    g_eventTarget->scroll = {static_cast<float>(xOffset), static_cast<float>(yOffset)};
  }
}

void GlfwInputSource::OnKey(GLFWwindow*, int key, int, int action, int) {
  // GLFW_KEY_UNKNOWN (-1) has no slot.
  if (g_eventTarget != nullptr && action == GLFW_PRESS && key >= 0 && key < kKeyCodeCount) {
    g_eventTarget->pending.keys[static_cast<std::size_t>(key)] = true;
  }
}

void GlfwInputSource::OnMouseButton(GLFWwindow*, int button, int action, int) {
  if (g_eventTarget != nullptr && action == GLFW_PRESS && button >= 0 &&
      button < kMouseButtonCount) {
    g_eventTarget->pending.buttons[static_cast<std::size_t>(button)] = true;
  }
}

void GlfwInputSource::PollEvents() {
  glfwPollEvents();
  taken = pending;
  pending = Presses{};
}

bool GlfwInputSource::IsKeyDown(int keyCode) const {
  if (keyCode < 0 || keyCode >= kKeyCodeCount) return false;
  return taken.keys[static_cast<std::size_t>(keyCode)] || glfwGetKey(window, keyCode) == GLFW_PRESS;
}

bool GlfwInputSource::IsMouseButtonDown(int button) const {
  if (button < 0 || button >= kMouseButtonCount) return false;
  return taken.buttons[static_cast<std::size_t>(button)] ||
         glfwGetMouseButton(window, button) == GLFW_PRESS;
}

glm::vec2 GlfwInputSource::CursorPosition() const {
  double x = 0.0;
  double y = 0.0;
  glfwGetCursorPos(window, &x, &y);
  return {static_cast<float>(x), static_cast<float>(y)};
}

glm::vec2 GlfwInputSource::TakeScroll() {
  const glm::vec2 offsets = scroll;
  scroll = {0.0f, 0.0f};
  return offsets;
}

void GlfwInputSource::SetCursorMode(CursorMode mode) {
  int glfwMode = GLFW_CURSOR_NORMAL;
  if (mode == CursorMode::Locked) glfwMode = GLFW_CURSOR_DISABLED;
  if (mode == CursorMode::Hidden) glfwMode = GLFW_CURSOR_HIDDEN;
  glfwSetInputMode(window, GLFW_CURSOR, glfwMode);
}
