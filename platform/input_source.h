#pragma once
// Where InputSystem reads the keyboard, mouse and wheel from. The game uses the GLFW window
// (GlfwInputSource); tests hand InputSystem a fake that they drive by hand, so input runs
// without a window.

#include <glm/vec2.hpp>

enum class CursorMode {
  Normal,  // visible, moves freely
  Locked,  // hidden and held in the window; motion is unlimited
  Hidden,  // hidden while over the window
};

class InputSource {
 public:
  virtual ~InputSource() = default;

  // Runs the event pump once; event callbacks (scroll, window focus) run inside it.
  virtual void PollEvents() = 0;
  // A GLFW key code (GLFW_KEY_*); true while the key is down.
  virtual bool IsKeyDown(int keyCode) const = 0;
  // Mouse button 0..7; true while it is down.
  virtual bool IsMouseButtonDown(int button) const = 0;
  // The cursor in window pixels.
  virtual glm::vec2 CursorPosition() const = 0;
  // The offsets of the last scroll event since the previous call, (0, 0) when there was none;
  // the offsets are cleared.
  virtual glm::vec2 TakeScroll() = 0;
  virtual void SetCursorMode(CursorMode mode) = 0;
};

// A source on which nothing is ever pressed: input without a window.
class IdleInputSource final : public InputSource {
 public:
  void PollEvents() override {}
  bool IsKeyDown(int) const override { return false; }
  bool IsMouseButtonDown(int) const override { return false; }
  glm::vec2 CursorPosition() const override { return {0.0f, 0.0f}; }
  glm::vec2 TakeScroll() override { return {0.0f, 0.0f}; }
  void SetCursorMode(CursorMode) override {}
};
