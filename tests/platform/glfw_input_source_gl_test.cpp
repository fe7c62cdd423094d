// The window's keys and buttons as the input system polls them, sent through the X server as a
// player's keyboard and mouse would.

#include <gtest/gtest.h>

#include <functional>

#include "platform/glfw_input_source.h"
#include "tests/support/gl_test_environment.h"
// Last: its X11 macros would break the headers above.
#include "tests/app/x_window_input.h"

namespace {

using testing_support::SendKey;
using testing_support::SendLeftButton;
using testing_support::TestWindow;

struct PressCase {
  const char* name;
  std::function<void(bool press)> send;
  std::function<bool(const GlfwInputSource&)> isDown;
};

TEST(GlfwInputSourceTest, APressCountsOnceHoweverShortAndALetGoAtOnce) {
  GLFWwindow* window = TestWindow();
  const PressCase cases[] = {
      {"Escape", [window](bool press) { SendKey(window, XK_Escape, press); },
       [](const GlfwInputSource& source) { return source.IsKeyDown(GLFW_KEY_ESCAPE); }},
      {"left button", [window](bool press) { SendLeftButton(window, press, 10, 10); },
       [](const GlfwInputSource& source) {
         return source.IsMouseButtonDown(GLFW_MOUSE_BUTTON_LEFT);
       }},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    GlfwInputSource source(window);
    source.PollEvents();
    EXPECT_FALSE(c.isDown(source));

    // Pressed and let go between two polls: down for one poll, then up.
    c.send(true);
    c.send(false);
    source.PollEvents();
    EXPECT_TRUE(c.isDown(source)) << "a press let go before the poll was lost";
    source.PollEvents();
    EXPECT_FALSE(c.isDown(source));

    // Held across polls: up at the first poll after it was let go.
    c.send(true);
    source.PollEvents();
    EXPECT_TRUE(c.isDown(source));
    source.PollEvents();
    EXPECT_TRUE(c.isDown(source));
    c.send(false);
    source.PollEvents();
    EXPECT_FALSE(c.isDown(source));
  }
}

}  // namespace
