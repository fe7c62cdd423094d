#pragma once
// The game's input source: the GLFW window's keys, buttons, cursor and wheel. PollEvents is the
// program's event pump.
//
// The scroll callback is installed on the window when the source is created. It reaches the
// source that was created last and is still alive; events arriving while no source is alive are
// dropped. The window must outlive every call on the source except destruction: the destructor
// does not touch the window, since the window is usually destroyed first at shutdown.

#include "platform/input_source.h"

struct GLFWwindow;

class GlfwInputSource final : public InputSource {
 public:
  explicit GlfwInputSource(GLFWwindow* window);
  ~GlfwInputSource() override;
  GlfwInputSource(const GlfwInputSource&) = delete;
  GlfwInputSource& operator=(const GlfwInputSource&) = delete;

  void PollEvents() override;
  bool IsKeyDown(int keyCode) const override;
  bool IsMouseButtonDown(int button) const override;
  glm::vec2 CursorPosition() const override;
  glm::vec2 TakeScroll() override;
  void SetCursorMode(CursorMode mode) override;

 private:
  static void OnScroll(GLFWwindow* window, double xOffset, double yOffset);

  GLFWwindow* window;
  glm::vec2 scroll{0.0f, 0.0f};
};
