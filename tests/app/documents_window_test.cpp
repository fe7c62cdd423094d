// The whole game with a document on screen: the sample panel is drawn into the window, and a
// click of the real mouse button (sent to the window as the X server would) over its button
// reaches the button's listener through the UI_INTERACT action.

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "engine/decs.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"
#include "ui/rml_system.h"
// Last: its macros (None, Bool, Status...) would break the headers above.
#include <X11/Xlib.h>

// GLFW's X11 handles (its native header also wants the XRandR headers, which are not needed
// here).
extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

namespace {

class ClickCounter : public Rml::EventListener {
 public:
  void ProcessEvent(Rml::Event&) override { ++count; }
  int count = 0;
};

// Sends a press or release of the left mouse button at a window point, as the X server does.
void SendLeftButton(GLFWwindow* window, bool press, int x, int y) {
  Display* display = glfwGetX11Display();
  XEvent event{};
  event.xbutton.type = press ? ButtonPress : ButtonRelease;
  event.xbutton.display = display;
  event.xbutton.window = glfwGetX11Window(window);
  event.xbutton.button = Button1;
  event.xbutton.x = x;
  event.xbutton.y = y;
  event.xbutton.same_screen = True;
  XSendEvent(display, event.xbutton.window, True, press ? ButtonPressMask : ButtonReleaseMask,
             &event);
  // Through the server and back, so the next event poll sees it.
  XSync(display, False);
}

TEST(DocumentsWindow, SamplePanelShowsAndItsButtonTakesAClick) {
  // A player folder of its own, so the default controls (UI_INTERACT on the left button) are
  // copied and bound.
  testing_support::TempFolder home;
  testing_support::ScopedEnvironment dataHome("XDG_DATA_HOME", home.path.string());
  std::filesystem::create_directories(home.path / "Corvane" / "Kelvaris");
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("splash_scene"));
  const auto documents = DECS::Instance().GetSystem<RMLSystem>();
  ASSERT_NE(documents, nullptr);
  Rml::ElementDocument* panel = documents->GetOrLoadDocument("sample_panel.rml");
  ASSERT_NE(panel, nullptr);
  Rml::Element* button = panel->GetElementById("play-button");
  ASSERT_NE(button, nullptr);
  ClickCounter clicks;
  button->AddEventListener("click", &clicks);
  panel->Show();

  // The button: panel at 20 + border 2 + padding 10, then 12 in and 120 down; 120 x 40.
  GLFWwindow* window = glfwGetCurrentContext();
  // The splash scene holds the cursor; the menus free it.
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("mouse_mode normal", 1);
  const int x = 20 + 2 + 10 + 12 + 60;
  const int y = 20 + 2 + 10 + 120 + 20;
  // The window has no focus under a bare X server, and GLFW moves the pointer only for a
  // focused window: the pointer is moved as the X server would.
  XWarpPointer(glfwGetX11Display(), 0, glfwGetX11Window(window), 0, 0, 0, 0, x, y);
  XSync(glfwGetX11Display(), False);
  game.Step();
  game.Step();
  const auto pixel = game.picture.At(x, y);
  EXPECT_GT(pixel[2], pixel[0] + 30) << "the blue button shows where the document put it";

  SendLeftButton(window, true, x, y);
  game.Step();
  SendLeftButton(window, false, x, y);
  game.Step();
  game.Step();
  EXPECT_EQ(clicks.count, 1);
  button->RemoveEventListener("click", &clicks);
}

}  // namespace
