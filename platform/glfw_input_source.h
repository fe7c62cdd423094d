#pragma once
// The game's input source: the GLFW window's keys, buttons, cursor and wheel. PollEvents is the
// program's event pump.
//
// A key or button counts as down at the poll after it was pressed even when it was let go
// again before that poll: a click shorter than one update (a quick click, or any click while
// the game runs at a few updates a second) is read once as down and then as up, never lost. A
// key held across polls reads up as soon as it is let go.
//
// The scroll, key and mouse-button callbacks are installed on the window when the source is
// created. They reach the source that was created last and is still alive; events arriving
// while no source is alive are dropped. The window must outlive every call on the source except
// destruction: the destructor does not touch the window, since the window is usually destroyed
// first at shutdown.

#include <array>

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

  // GLFW_KEY_LAST + 1 and GLFW_MOUSE_BUTTON_LAST + 1.
  static constexpr int kKeyCodeCount = 349;
  static constexpr int kMouseButtonCount = 8;

 private:
  static void OnScroll(GLFWwindow* window, double xOffset, double yOffset);
  static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods);
  static void OnMouseButton(GLFWwindow* window, int button, int action, int mods);

  GLFWwindow* window;
  glm::vec2 scroll{0.0f, 0.0f};
  // Presses the callbacks saw since the last poll (pending), and those the last poll took: down
  // until the next poll whatever came after. Presses seen by an event pump outside PollEvents
  // wait for the next poll too.
  struct Presses {
    std::array<bool, kKeyCodeCount> keys{};
    std::array<bool, kMouseButtonCount> buttons{};
  };
  Presses pending;
  Presses taken;
};
