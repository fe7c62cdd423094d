#pragma once
// Input for the game's window sent through the X server, as a player's keyboard and mouse
// would: a key, the left button, the wheel, and the pointer moved over the window. Include
// after every other header: Xlib's macros (None, Bool, Status...) break many.

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

// GLFW's X11 handles (its native header also wants the XRandR headers, which are not needed
// here).
extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

namespace testing_support {

// Sends an X event to the game's window and waits until the server has it.
inline void SendToWindow(GLFWwindow* window, XEvent& event, long mask) {
  Display* display = glfwGetX11Display();
  XSendEvent(display, glfwGetX11Window(window), True, mask, &event);
  XSync(display, False);
}

inline void SendKey(GLFWwindow* window, KeySym key, bool press) {
  XEvent event{};
  event.xkey.type = press ? KeyPress : KeyRelease;
  event.xkey.display = glfwGetX11Display();
  event.xkey.window = glfwGetX11Window(window);
  event.xkey.root = DefaultRootWindow(event.xkey.display);
  event.xkey.keycode = XKeysymToKeycode(event.xkey.display, key);
  event.xkey.same_screen = True;
  SendToWindow(window, event, press ? KeyPressMask : KeyReleaseMask);
}

inline void SendButton(GLFWwindow* window, unsigned int button, bool press, int x, int y) {
  XEvent event{};
  event.xbutton.type = press ? ButtonPress : ButtonRelease;
  event.xbutton.display = glfwGetX11Display();
  event.xbutton.window = glfwGetX11Window(window);
  event.xbutton.button = button;
  event.xbutton.x = x;
  event.xbutton.y = y;
  event.xbutton.same_screen = True;
  SendToWindow(window, event, press ? ButtonPressMask : ButtonReleaseMask);
}

inline void SendLeftButton(GLFWwindow* window, bool press, int x, int y) {
  SendButton(window, Button1, press, x, y);
}

// One notch of the wheel, towards the user (down) or away: X reports it as a press and release
// of button 5 or 4.
inline void SendWheelStep(GLFWwindow* window, bool down, int x, int y) {
  SendButton(window, down ? Button5 : Button4, true, x, y);
  SendButton(window, down ? Button5 : Button4, false, x, y);
}

// The window has no focus under a bare X server, and GLFW moves the pointer only for a
// focused window: the pointer is moved as the X server would.
inline void MovePointer(GLFWwindow* window, int x, int y) {
  XWarpPointer(glfwGetX11Display(), 0, glfwGetX11Window(window), 0, 0, 0, 0, x, y);
  XSync(glfwGetX11Display(), False);
}

}  // namespace testing_support
