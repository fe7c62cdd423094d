// The whole game on the main menu, used with the real pointer through the X server: a click on
// a clan half and then on "start" begins a run in the tutorial level, with the HUD on screen, or,
// once the tutorial was completed (the save marker), in the transition to the first level;
// without a clan, "start" only shows the clan message. A hovered word scrambles on the screen,
// and the wheel scrolls the open diary. A chosen clan's squares show its material.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "components/scene_system.h"
#include "engine/decs.h"
#include "rml/rml.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/main_menu.h"
#include "ui/menu_manager.h"
// Last: its X11 macros would break the headers above.
#include "tests/app/x_window_input.h"

namespace {

using testing_support::MovePointer;
using testing_support::SendLeftButton;
using testing_support::SendWheelStep;

class MainMenuWindow : public testing::Test {
 protected:
  // A player folder of its own: the default controls (the left button on UI_INTERACT) are
  // copied and bound.
  MainMenuWindow() : dataHome("XDG_DATA_HOME", home.path.string()) {
    std::filesystem::create_directories(home.path / "Corvane" / "Kelvaris");
  }

  // Starts the game on the main menu, with the save marker of a completed tutorial or without.
  void StartOnTheMainMenu(bool tutorialCompleted) {
    if (tutorialCompleted) std::ofstream(home.path / "Corvane" / "Kelvaris" / "SAVE.json") << "{}";
    game = std::make_unique<testing_support::RunningGame>();
    ASSERT_TRUE(game->ShowScene("main_menu_scene")) << "the main menu never finished fading in";
    menus = DECS::Instance().GetSystem<MenuManager>();
    ASSERT_NE(menus, nullptr);
    menu = std::dynamic_pointer_cast<MainMenu>(menus->GetMenu(MenuManager::kMainMenu));
    ASSERT_NE(menu, nullptr);
    document = menu->Document();
    ASSERT_NE(document, nullptr);
  }

  // Steps until `scene` is loaded (at most ten seconds of game time) and a second more.
  bool ReachScene(const std::string& scene) {
    const auto scenes = DECS::Instance().GetSystem<SceneSystem>();
    int passes = 0;
    while (scenes->CurrentSceneName() != scene && passes++ < 100) game->Step();
    for (int i = 0; i < 10; ++i) game->Step();
    return scenes->CurrentSceneName() == scene;
  }

  // Moves the pointer to the middle of the element and clicks there: pressed in one update,
  // let go in the next, or (`withinOneUpdate`) pressed and let go between two updates.
  void ClickOn(Rml::Element* element, bool withinOneUpdate = false) {
    ASSERT_NE(element, nullptr);
    const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
    const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
    const int x = static_cast<int>(offset.x + size.x / 2);
    const int y = static_cast<int>(offset.y + size.y / 2);
    GLFWwindow* window = glfwGetCurrentContext();
    MovePointer(window, x, y);
    game->Step();
    SendLeftButton(window, true, x, y);
    if (!withinOneUpdate) game->Step();
    SendLeftButton(window, false, x, y);
    game->Step();
    if (withinOneUpdate) game->Step();
  }

  // The element's border box in window pixels: left, top, right, bottom.
  static std::array<int, 4> BoxOf(Rml::Element* element) {
    const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
    const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
    return {static_cast<int>(offset.x), static_cast<int>(offset.y),
            static_cast<int>(offset.x + size.x), static_cast<int>(offset.y + size.y)};
  }

  // Pixels of the last frame inside `box` bright enough to be the menu's letters (gold at
  // rest, cyan late in a scramble) over its dark background.
  int LetterPixels(const std::array<int, 4>& box) const {
    int bright = 0;
    for (int y = box[1]; y < box[3]; ++y) {
      for (int x = box[0]; x < box[2]; ++x) {
        const auto pixel = game->picture.At(x, y);
        if (std::max({pixel[0], pixel[1], pixel[2]}) > 170) ++bright;
      }
    }
    return bright;
  }

  testing_support::TempFolder home;
  testing_support::ScopedEnvironment dataHome;
  std::unique_ptr<testing_support::RunningGame> game;
  std::shared_ptr<MenuManager> menus;
  std::shared_ptr<MainMenu> menu;
  Rml::ElementDocument* document = nullptr;
};

TEST_F(MainMenuWindow, AClanAndStartBeginTheTutorialWithTheHud) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  DECS& decs = DECS::Instance();
  const auto scenes = decs.GetSystem<SceneSystem>();
  EXPECT_TRUE(document->IsVisible()) << "the main menu scene does not show the main menu";
  EXPECT_EQ(menus->currentMenu, MenuManager::kMainMenu);

  // Without a clan, "start" shows the clan message and the menu stays.
  Rml::Element* message = document->GetElementById("clan-selection-message");
  ASSERT_NE(message, nullptr);
  ClickOn(document->GetElementById("play-button"));
  EXPECT_TRUE(message->IsClassSet("visible"));
  for (int i = 0; i < 5; ++i) game->Step();
  EXPECT_EQ(scenes->CurrentSceneName(), "main_menu_scene");

  // The Floreth half, clicked on its word (a child that lets the pointer through).
  Rml::ElementList words;
  document->GetElementById("left-section")->GetElementsByClassName(words, "clan-word");
  ASSERT_EQ(words.size(), 1u);
  ClickOn(words.front());
  EXPECT_EQ(menu->ChosenClan(), Clan::Floreth);
  ClickOn(document->GetElementById("play-button"));

  ASSERT_TRUE(ReachScene("levelt_scene")) << scenes->CurrentSceneName();
  EXPECT_FALSE(document->IsVisible());
  EXPECT_FALSE(menus->menuOpen);
  ASSERT_NE(menus->HUD(), nullptr);
  ASSERT_NE(menus->HUD()->Document(), nullptr);
  EXPECT_TRUE(menus->HUD()->Document()->IsVisible());
  EXPECT_EQ(menus->HUD()->RunClan(), Clan::Floreth);
  EXPECT_FALSE(decs.paused);
}

// A click that begins and ends between two updates, as any click does while the game draws a
// few frames a second.
TEST_F(MainMenuWindow, AClickShorterThanAnUpdateChoosesTheClan) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  ClickOn(document->GetElementById("sundrel-logo"), /*withinOneUpdate=*/true);
  EXPECT_EQ(menu->ChosenClan(), Clan::Sundrel);
}

TEST_F(MainMenuWindow, AfterTheTutorialStartGoesToTheFirstLevelsTransition) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(true));
  ClickOn(document->GetElementById("right-section"));
  EXPECT_EQ(menu->ChosenClan(), Clan::Sundrel);
  ClickOn(document->GetElementById("play-button"));
  ASSERT_TRUE(ReachScene("level0ToLevel1Transition_scene"))
      << DECS::Instance().GetSystem<SceneSystem>()->CurrentSceneName();
  EXPECT_FALSE(document->IsVisible());
  EXPECT_FALSE(menus->menuOpen);
  EXPECT_EQ(menus->HUD()->RunClan(), Clan::Sundrel);
  // The title card's HUD reads the player's own health: a run starts with three points.
  Rml::ElementDocument* hud = menus->HUD()->Document();
  ASSERT_NE(hud, nullptr);
  EXPECT_TRUE(hud->IsVisible());
  Rml::Element* health = hud->GetElementById("player-health-value");
  ASSERT_NE(health, nullptr);
  EXPECT_EQ(health->GetInnerRML(), "3");
}

// The pointer on "quit": every frame of the scramble draws letters where the word is, until they
// settle on the word.
TEST_F(MainMenuWindow, AHoveredWordShowsItsScrambledLettersInEveryFrame) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  Rml::Element* quit = document->GetElementById("exit-button");
  ASSERT_NE(quit, nullptr);
  // Where the letters are (the button reaches further, to the walking character): its spans,
  // with room for wider letters.
  Rml::ElementList spans;
  quit->GetElementsByTagName(spans, "span");
  ASSERT_EQ(spans.size(), 4u);
  std::array<int, 4> box = BoxOf(spans.front());
  box[2] = BoxOf(spans.back())[2] + 40;
  const int resting = LetterPixels(box);
  ASSERT_GT(resting, 200) << "the word is not drawn before the pointer comes";

  MovePointer(glfwGetCurrentContext(), (box[0] + box[2]) / 2, (box[1] + box[3]) / 2);
  game->Step();
  ASSERT_TRUE(menu->Scramble().IsRunning("exit-button")) << "the pointer did not reach the word";
  int frames = 0;
  for (; menu->Scramble().IsRunning("exit-button") && frames < 20; ++frames) {
    EXPECT_GT(LetterPixels(box), resting / 3) << "no letters drawn in frame " << frames;
    game->Step();
  }
  EXPECT_GE(frames, 10) << "the scramble ended before 1.1 s";
  EXPECT_GT(LetterPixels(box), resting / 3) << "no letters once settled";
}

// With the diary open and the pointer away from its table, ten wheel steps scroll the table.
TEST_F(MainMenuWindow, TheWheelScrollsTheDiaryWhereverThePointerIs) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  for (int run = 0; run < 30; ++run) {
    menu->AddDiaryEntry("B", 100 + run, "FLORETH", "02:00.00", 120000, run % 2 == 0);
  }
  ClickOn(document->GetElementById("credits-button"));
  Rml::Element* table = document->GetElementById("diary-scroll");
  ASSERT_NE(table, nullptr);
  const std::array<int, 4> box = BoxOf(table);
  for (int i = 0; i < 5; ++i) game->Step();
  ASSERT_EQ(table->GetScrollTop(), 0.0f);
  const testing_support::Image before = game->picture;

  // An empty part of the menu, below and left of everything.
  GLFWwindow* window = glfwGetCurrentContext();
  const int x = 8;
  const int y = 712;
  ASSERT_LT(x, box[0]);
  MovePointer(window, x, y);
  game->Step();
  for (int step = 0; step < 10; ++step) {
    SendWheelStep(window, true, x, y);
    game->Step();
  }
  for (int i = 0; i < 3; ++i) game->Step();
  EXPECT_GT(table->GetScrollTop(), 0.0f);
  const int side = std::min(box[2] - box[0], box[3] - box[1]);
  EXPECT_GT(testing_support::ChangedPixels(before, game->picture, box[0], box[1], side), 100)
      << "the table did not move on the screen";
}

// A chosen clan lays its material over the title's squares (a shader decorator without an
// image): the chosen half's squares show the material's colours, the Floreth opal (pale sea
// green to lilac) and the Sundrel gold, not black.
TEST_F(MainMenuWindow, TheChosenHalfsSquaresShowTheirMaterial) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  struct Choice {
    const char* section;
    const char* clan;
    bool (*looksLikeMaterial)(const std::array<int, 4>& pixel);
  };
  const Choice choices[] = {
      {"left-section", "floreth",
       [](const std::array<int, 4>& pixel) {
         return pixel[0] > 90 && pixel[1] > 90 && pixel[2] > 90;
       }},
      {"right-section", "sundrel",
       [](const std::array<int, 4>& pixel) { return pixel[0] > 180 && pixel[1] > 120; }},
  };
  for (const Choice& choice : choices) {
    ClickOn(document->GetElementById(choice.section));
    ASSERT_STREQ(ClanWord(menu->ChosenClan()), choice.clan);
    game->Step();
    Rml::ElementList squares;
    document->GetElementById(choice.section)->GetElementsByClassName(squares, "square");
    ASSERT_EQ(squares.size(), 3u);
    for (Rml::Element* square : squares) {
      const Rml::Vector2f offset = square->GetAbsoluteOffset(Rml::BoxArea::Border);
      const Rml::Vector2f size = square->GetBox().GetSize(Rml::BoxArea::Border);
      const std::array<int, 4> pixel = game->picture.At(static_cast<int>(offset.x + size.x / 2),
                                                        static_cast<int>(offset.y + size.y / 2));
      EXPECT_TRUE(choice.looksLikeMaterial(pixel))
          << choice.clan << " square at " << offset.x << "," << offset.y << ": " << pixel[0] << " "
          << pixel[1] << " " << pixel[2];
    }
  }
}

// How sharply the letters of a line of text stand out, in brightness (the brightest channel):
// along each pixel row of `box`, each stroke (a pixel brighter than 100 and the brightest within
// two pixels on either side) and the next stroke at most ten pixels to its right, the dimmer of
// the two minus the darkest pixel between them. The median over all such pairs. A glow that
// blooms the letters into their neighbours lights the gaps and lowers it.
int StrokeContrast(const testing_support::Image& picture, const std::array<int, 4>& box) {
  auto brightness = [&picture](int x, int y) {
    const auto pixel = picture.At(x, y);
    return std::max({pixel[0], pixel[1], pixel[2]});
  };
  std::vector<int> contrasts;
  for (int y = box[1]; y < box[3]; ++y) {
    int previous = -1;
    for (int x = box[0] + 2; x < box[2] - 2; ++x) {
      const int here = brightness(x, y);
      bool stroke = here > 100;
      for (int dx = -2; dx <= 2 && stroke; ++dx) {
        // Ties count for the leftmost pixel of a flat top only.
        stroke = dx < 0 ? brightness(x + dx, y) < here : brightness(x + dx, y) <= here;
      }
      if (!stroke) continue;
      if (previous >= 0 && x - previous <= 10) {
        int gap = here;
        for (int between = previous + 1; between < x; ++between) {
          gap = std::min(gap, brightness(between, y));
        }
        contrasts.push_back(std::min(here, brightness(previous, y)) - gap);
      }
      previous = x;
    }
  }
  if (contrasts.empty()) return 0;
  std::nth_element(contrasts.begin(), contrasts.begin() + contrasts.size() / 2, contrasts.end());
  return contrasts[contrasts.size() / 2];
}

// Once the menu's glow has faded in, the panel's title and text are drawn as recorded and their
// letters stay apart: the glow lights the logos and the panel's frame, not the text.
TEST_F(MainMenuWindow, ThePanelTextStaysSharpUnderTheGlow) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  const auto scenes = DECS::Instance().GetSystem<SceneSystem>();
  for (int passes = 0; scenes->mainMenuFadeRunning && passes < 40; ++passes) game->Step();
  ASSERT_FALSE(scenes->mainMenuFadeRunning) << "the menu's glow never finished fading in";
  game->Step();

  Rml::Element* panel = document->GetElementById("default-content");
  ASSERT_NE(panel, nullptr);
  Rml::ElementList titles;
  Rml::ElementList lines;
  panel->GetElementsByClassName(titles, "panel-title");
  panel->GetElementsByClassName(lines, "panel-text");
  ASSERT_EQ(titles.size(), 1u);
  ASSERT_EQ(lines.size(), 2u);
  const std::array<int, 4> title = BoxOf(titles.front());
  const std::array<int, 4> last = BoxOf(lines.back());
  EXPECT_TRUE(testing_support::MatchesGolden(
      testing_support::CropImage(game->picture, title[0], title[1], title[2] - title[0],
                                 last[3] - title[1]),
      "tests/app/golden/main_menu_panel_text.png", 2));

  lines.insert(lines.begin(), titles.front());
  for (Rml::Element* line : lines) {
    EXPECT_GT(StrokeContrast(game->picture, BoxOf(line)), 150) << line->GetInnerRML();
  }
}

// "diary" and "quit" stay sharp under the faded-in glow, also once a hover's scramble has
// coloured their letters and the pointer has left.
TEST_F(MainMenuWindow, TheSmallWordButtonsStaySharpUnderTheGlowAfterAHover) {
  ASSERT_NO_FATAL_FAILURE(StartOnTheMainMenu(false));
  const auto scenes = DECS::Instance().GetSystem<SceneSystem>();
  for (int passes = 0; scenes->mainMenuFadeRunning && passes < 40; ++passes) game->Step();
  ASSERT_FALSE(scenes->mainMenuFadeRunning) << "the menu's glow never finished fading in";

  for (const char* id : {"credits-button", "exit-button"}) {
    Rml::Element* button = document->GetElementById(id);
    ASSERT_NE(button, nullptr);
    Rml::ElementList spans;
    button->GetElementsByTagName(spans, "span");
    ASSERT_FALSE(spans.empty());
    std::array<int, 4> letters = BoxOf(spans.front());
    letters[2] = BoxOf(spans.back())[2];

    MovePointer(glfwGetCurrentContext(), (letters[0] + letters[2]) / 2,
                (letters[1] + letters[3]) / 2);
    for (int frame = 0; frame < 20 && (frame == 0 || menu->Scramble().IsRunning(id)); ++frame) {
      game->Step();
    }
    MovePointer(glfwGetCurrentContext(), 2, 2);
    game->Step();
    game->Step();
    EXPECT_GT(StrokeContrast(game->picture, letters), 150) << id;
  }
}

}  // namespace
