// The whole game in a level: Escape, sent through the X server, opens the pause menu over the
// HUD and holds the game; a click on "resume" closes it and the game runs on. The pause panel
// shows the same pixels in the tutorial as in a transition scene.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/decs.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"
// Last: its X11 macros would break the headers above.
#include "tests/app/x_window_input.h"

namespace {

using testing_support::MovePointer;
using testing_support::SendKey;
using testing_support::SendLeftButton;

TEST(PauseMenuWindow, EscapeOpensThePauseMenuAndResumeClosesIt) {
  // A player folder of its own, so the default controls (Escape on UI_BACK, the left button on
  // UI_INTERACT) are copied and bound.
  testing_support::TempFolder home;
  testing_support::ScopedEnvironment dataHome("XDG_DATA_HOME", home.path.string());
  std::filesystem::create_directories(home.path / "Corvane" / "Kelvaris");
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  DECS& decs = DECS::Instance();
  const auto menus = decs.GetSystem<MenuManager>();
  ASSERT_NE(menus, nullptr);
  ASSERT_NE(menus->HUD(), nullptr);
  const auto pauseMenu = menus->GetMenu(MenuManager::kPauseMenu);
  ASSERT_NE(pauseMenu, nullptr);
  Rml::ElementDocument* pause = pauseMenu->Document();
  ASSERT_NE(pause, nullptr);
  // The level sent the game to playing: the HUD shows, no menu does.
  EXPECT_FALSE(menus->menuOpen);
  ASSERT_NE(menus->HUD()->Document(), nullptr);
  EXPECT_TRUE(menus->HUD()->Document()->IsVisible());
  EXPECT_FALSE(pause->IsVisible());
  menus->HUD()->UpdateScore(310);

  GLFWwindow* window = glfwGetCurrentContext();
  SendKey(window, XK_Escape, true);
  game.Step();
  SendKey(window, XK_Escape, false);
  game.Step();
  ASSERT_TRUE(pause->IsVisible()) << "Escape did not open the pause menu";
  EXPECT_TRUE(decs.paused);
  const float heldTime = menus->HUD()->RunSeconds();
  for (int i = 0; i < 3; ++i) game.Step();
  EXPECT_FLOAT_EQ(menus->HUD()->RunSeconds(), heldTime) << "the run's clock ran while paused";

  // The resume button's middle, in window pixels (the documents are laid out in them).
  Rml::Element* resume = pause->GetElementById("resume-button");
  ASSERT_NE(resume, nullptr);
  const Rml::Vector2f offset = resume->GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = resume->GetBox().GetSize(Rml::BoxArea::Border);
  const int x = static_cast<int>(offset.x + size.x / 2);
  const int y = static_cast<int>(offset.y + size.y / 2);
  // Its letters are drawn there, in their pale gold.
  int gold = 0;
  for (int row = static_cast<int>(offset.y); row < static_cast<int>(offset.y + size.y); ++row) {
    for (int column = static_cast<int>(offset.x); column < x; ++column) {
      const auto pixel = game.picture.At(column, row);
      if (pixel[0] > 230 && pixel[1] > 200 && pixel[2] > 110 && pixel[2] < 170) ++gold;
    }
  }
  EXPECT_GT(gold, 500) << "the pause menu is not on the screen";
  MovePointer(window, x, y);
  game.Step();
  SendLeftButton(window, true, x, y);
  game.Step();
  SendLeftButton(window, false, x, y);
  game.Step();
  game.Step();
  EXPECT_FALSE(pause->IsVisible()) << "resume did not close the pause menu";
  EXPECT_FALSE(decs.paused);
  EXPECT_TRUE(menus->HUD()->Document()->IsVisible());
  EXPECT_EQ(menus->HUD()->Score(), 310);
  game.Step();
  EXPECT_GT(menus->HUD()->RunSeconds(), heldTime) << "the run's clock stands still after resume";
}

// The paused game's panel ("Paused", "The run waits for you." over the panel image) in `scene`,
// cut out of the window's picture; the pause menu is opened with Escape.
void PicturePausePanel(const std::string& scene, testing_support::Image& panel) {
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene(scene)) << scene << " never finished fading in";
  const auto menus = DECS::Instance().GetSystem<MenuManager>();
  ASSERT_NE(menus, nullptr);
  Rml::ElementDocument* pause = menus->GetMenu(MenuManager::kPauseMenu)->Document();
  ASSERT_NE(pause, nullptr);
  GLFWwindow* window = glfwGetCurrentContext();
  SendKey(window, XK_Escape, true);
  game.Step();
  SendKey(window, XK_Escape, false);
  for (int i = 0; i < 3; ++i) game.Step();
  ASSERT_TRUE(pause->IsVisible()) << "Escape did not open the pause menu in " << scene;
  Rml::Element* content = pause->GetElementById("default-content");
  ASSERT_NE(content, nullptr);
  const Rml::Vector2f offset = content->GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = content->GetBox().GetSize(Rml::BoxArea::Border);
  panel.width = static_cast<int>(size.x);
  panel.height = static_cast<int>(size.y);
  panel.rgba.clear();
  for (int y = 0; y < panel.height; ++y) {
    for (int x = 0; x < panel.width; ++x) {
      const auto pixel =
          game.picture.At(static_cast<int>(offset.x) + x, static_cast<int>(offset.y) + y);
      panel.rgba.insert(panel.rgba.end(), pixel.begin(), pixel.end());
    }
  }
}

// The tutorial's documents are drawn as the other scenes' are: its pause panel shows the same
// words in the same pixels as a transition scene's (up to the scene seen faintly through the
// panel).
TEST(PauseMenuWindow, ThePanelReadsTheSameInTheTutorialAsInATransition) {
  testing_support::TempFolder home;
  testing_support::ScopedEnvironment dataHome("XDG_DATA_HOME", home.path.string());
  std::filesystem::create_directories(home.path / "Corvane" / "Kelvaris");
  testing_support::Image transition;
  testing_support::Image tutorial;
  ASSERT_NO_FATAL_FAILURE(PicturePausePanel("level0ToLevel1Transition_scene", transition));
  ASSERT_NO_FATAL_FAILURE(PicturePausePanel("levelt_scene", tutorial));
  ASSERT_EQ(transition.width, tutorial.width);
  ASSERT_EQ(transition.height, tutorial.height);
  ASSERT_GT(transition.width * transition.height, 10000) << "the panel is laid out";

  int differing = 0;
  for (int y = 0; y < transition.height; ++y) {
    for (int x = 0; x < transition.width; ++x) {
      const auto a = transition.At(x, y);
      const auto b = tutorial.At(x, y);
      if (std::abs(a[0] - b[0]) > 24 || std::abs(a[1] - b[1]) > 24 || std::abs(a[2] - b[2]) > 24)
        ++differing;
    }
  }
  EXPECT_LT(differing, transition.width * transition.height / 200)
      << differing << " of " << transition.width * transition.height << " pixels differ";
}

}  // namespace
