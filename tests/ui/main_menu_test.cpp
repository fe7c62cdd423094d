// The main menu over the game's "main_menu.rml", opened by the menu manager: what each click
// posts and which panel it shows, the settings radios and apply, starting a run, the clan
// choice with its debounce and cursor, the pointer reaching the listened elements through their
// children, and the diary panel. Also the sprite's frame paths.

#include "ui/main_menu.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "tests/ui/menu_test_engine.h"
#include "ui/performance_diary.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using testing::Not;
using Strings = std::vector<std::string>;

constexpr const char* kHover = "play_sfx menuHover 1.0 1.0 0.0 2";
constexpr const char* kSoftHover = "play_sfx menuHover 0.8 1.0 0.0 2";
constexpr const char* kPanels[] = {"default-content", "credits-content", "settings-content",
                                   "diary-content", "feature-coming-soon-content"};

class MainMenuTest : public menu_test::MenuEngine {
 protected:
  void SetUp() override {
    MenuEngine::SetUp();
    // What the menu does outside the document goes into the message log, in its order.
    MainMenuLinks links;
    links.setHudClan = [this](Clan clan) {
      log.push_back("hud clan " + std::to_string(ClanMessageNumber(clan)));
    };
    links.clearMenuPause = [this] { log.push_back("menu pause cleared"); };
    links.tutorialCompleted = [this] { return tutorialCompleted; };
    links.rerollWeather = [this] { log.push_back("weather rolled"); };
    links.steadySeconds = [this] { return now; };
    links.wheelDelta = [this] { return wheel; };
    links.cursorPosition = [this] { return cursor; };
    links.moveCursor = [this](glm::vec2 position) { cursor = position; };
    links.setCursorHidden = [this](bool hidden) { cursorHidden = hidden; };
    MenuManagerLinks managerLinks;
    managerLinks.backTriggered = [this] { return back; };
    managerLinks.settings.save = [this] {
      ++saves;
      return true;
    };
    managerLinks.settings.fullscreen = [this] { return fullscreenSetting; };
    managerLinks.settings.muteAudio = [this] { return muteSetting; };
    managerLinks.mainMenu = std::move(links);
    menus->SetLinks(std::move(managerLinks));
    menu = OpenMenu<MainMenu>(MenuManager::kMainMenu);
    ASSERT_NE(menu, nullptr);
    documents->GetContext()->Update();
  }

  Strings VisiblePanels() {
    Strings shown;
    for (const char* panel : kPanels) {
      if (Element(panel)->IsClassSet("visible")) shown.push_back(panel);
    }
    return shown;
  }
  // Clicks the element the way the pointer does: over its middle, through the context.
  void PointerClick(Rml::Element* element) {
    ASSERT_NE(element, nullptr);
    const Rml::Vector2f offset = element->GetAbsoluteOffset(Rml::BoxArea::Border);
    const Rml::Vector2f size = element->GetBox().GetSize(Rml::BoxArea::Border);
    Rml::Context* context = documents->GetContext();
    context->ProcessMouseMove(static_cast<int>(offset.x + size.x / 2),
                              static_cast<int>(offset.y + size.y / 2), 0);
    context->ProcessMouseButtonDown(0, 0);
    context->ProcessMouseButtonUp(0, 0);
  }
  void ChooseClan(const std::string& section) {
    now += 1.0;
    Click(section);
  }
  std::string Inner(const std::string& id) { return Element(id)->GetInnerRML(); }

  MainMenu* menu = nullptr;
  bool tutorialCompleted = false;
  double now = 100.0;
  float wheel = 0.0f;
  glm::vec2 cursor{0.0f, 0.0f};
  bool cursorHidden = false;
};

// One click and what follows from it: the messages (and link calls) in order, the panel shown.
struct ClickCase {
  const char* id;
  Strings posted;
  Strings panels;
};

TEST_F(MainMenuTest, EachButtonPostsAndShowsItsPanel) {
  const ClickCase steps[] = {
      {"logo-button", {kHover}, {"credits-content"}},
      {"hamburger-menu-column", {kHover}, {"settings-content"}},
      {"hamburger-menu-column", {kHover}, {"default-content"}},
      {"credits-button", {kHover}, {"diary-content"}},
      {"logo-button", {kHover}, {"credits-content"}},
      {"logo-button", {kHover}, {"default-content"}},
      {"credits-button", {kHover}, {"diary-content"}},
      {"credits-button", {kHover}, {"default-content"}},
      {"exit-button", {kHover}, {"default-content"}},
  };
  for (const ClickCase& step : steps) {
    SCOPED_TRACE(step.id);
    Click(step.id);
    EXPECT_THAT(Posted(), ElementsAreArray(step.posted));
    EXPECT_THAT(VisiblePanels(), ElementsAreArray(step.panels));
    EXPECT_EQ(Element("logo-button")->IsClassSet("toggled"),
              VisiblePanels() == Strings{"credits-content"});
  }
  // "decs_exit" goes to the engine itself.
  EXPECT_TRUE(decs->quit);
  // Hidden, the menu ignores its buttons.
  Post("hide_menu");
  Posted();
  decs->quit = false;
  Click("exit-button");
  Click("logo-button");
  EXPECT_THAT(Posted(), IsEmpty());
  EXPECT_FALSE(decs->quit);
}

TEST_F(MainMenuTest, SettingsShowTheSavedValuesAndApplyPostsTheChoice) {
  fullscreenSetting = true;
  muteSetting = false;
  Click("hamburger-menu-column");
  EXPECT_TRUE(Element("fullscreen")->HasAttribute("checked"));
  EXPECT_FALSE(Element("windowed")->HasAttribute("checked"));
  EXPECT_TRUE(Element("audio-on")->HasAttribute("checked"));
  EXPECT_FALSE(Element("audio-off")->HasAttribute("checked"));
  Posted();

  // A radio takes "checked" from the others of its group only; no sound.
  Click("audio-off");
  Click("windowed");
  EXPECT_FALSE(Element("audio-on")->HasAttribute("checked"));
  EXPECT_FALSE(Element("fullscreen")->HasAttribute("checked"));
  EXPECT_TRUE(Element("audio-off")->HasAttribute("checked"));
  EXPECT_TRUE(Element("windowed")->HasAttribute("checked"));
  Click("apply-settings-menu-button");
  EXPECT_THAT(Posted(), ElementsAre("mute", "windowed"));
  EXPECT_EQ(saves, 1);
  EXPECT_THAT(VisiblePanels(), ElementsAre("settings-content"));
}

TEST_F(MainMenuTest, EscapeClosesTheOpenPanel) {
  for (const char* opener : {"logo-button", "hamburger-menu-column", "credits-button"}) {
    SCOPED_TRACE(opener);
    Click(opener);
    ASSERT_THAT(VisiblePanels(), Not(ElementsAre("default-content")));
    PressBack();
    EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
    EXPECT_FALSE(Element("logo-button")->IsClassSet("toggled"));
    // The panel opens again with one click.
    Click(opener);
    EXPECT_THAT(VisiblePanels(), Not(ElementsAre("default-content")));
    PressBack();
  }
  // On the title view there is nothing to go back to: the main menu stays.
  Posted();
  PressBack();
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  EXPECT_TRUE(Visible(DocumentOf(MenuManager::kMainMenu)));
  EXPECT_THAT(Posted(), IsEmpty());
}

TEST_F(MainMenuTest, StartWithoutAClanOnlyShowsTheClanMessage) {
  Click("logo-button");
  Posted();
  Click("play-button");
  EXPECT_THAT(Posted(), ElementsAre(kHover));
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  EXPECT_TRUE(Element("clan-selection-message")->IsClassSet("visible"));
  EXPECT_TRUE(Element("floreth-logo")->IsClassSet("shrink-warning"));

  // Again within the 5 s: off at once, back 0.05 s later with a fresh 5 s.
  menus->Update(1.0f);
  Click("play-button");
  EXPECT_FALSE(Element("clan-selection-message")->IsClassSet("visible"));
  EXPECT_FALSE(Element("sundrel-logo")->IsClassSet("shrink-warning"));
  menus->Update(0.06f);
  EXPECT_TRUE(Element("clan-selection-message")->IsClassSet("visible"));
  EXPECT_TRUE(Element("sundrel-logo")->IsClassSet("shrink-warning"));
  menus->Update(4.9f);
  EXPECT_TRUE(Element("clan-selection-message")->IsClassSet("visible"));
  menus->Update(0.2f);
  EXPECT_FALSE(Element("clan-selection-message")->IsClassSet("visible"));
  EXPECT_FALSE(Element("floreth-logo")->IsClassSet("shrink-warning"));
}

TEST_F(MainMenuTest, StartWithAClanTellsTheHudThenAsksForTheRunsScene) {
  struct Case {
    const char* section;
    bool tutorialDone;
    Strings posted;
  };
  const Case cases[] = {
      {"left-section",
       false,
       {kHover, "hud clan 2", "menu pause cleared", "scene levelt_scene", "weather rolled"}},
      {"right-section",
       true,
       {kHover, "hud clan 1", "menu pause cleared", "InitRings 2",
        "scene level0ToLevel1Transition_scene", "scene levelt_scene", "weather rolled"}},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.section);
    Post("menu_transition 0");
    menu->Show();
    tutorialCompleted = each.tutorialDone;
    ChooseClan(each.section);
    Posted();
    Click("play-button");
    EXPECT_THAT(Posted(), ElementsAreArray(each.posted));
  }
}

TEST_F(MainMenuTest, ClanChoiceIsDebouncedOnADoubleClock) {
  // Hours after start a float clock could not tell 0.15 s apart; the choice clock can.
  now = 4.0e6;
  Click("left-section");
  EXPECT_EQ(menu->ChosenClan(), Clan::Floreth);
  now += 0.05;
  Click("left-section");
  EXPECT_EQ(menu->ChosenClan(), Clan::Floreth) << "a second click within 0.1 s counts";
  now += 0.1;
  Click("left-section");
  EXPECT_EQ(menu->ChosenClan(), Clan::Neutral) << "the same half again returns to neutral";
  EXPECT_FALSE(Element("left-section")->IsClassSet("selected"));
}

TEST_F(MainMenuTest, TheCursorFollowsTheChoiceOnePartAfterAnother) {
  ChooseClan("left-section");
  menus->Update(0.5f);
  ChooseClan("right-section");
  // The move to Floreth is cut: Floreth is where it starts from.
  auto classes = [this](const char* id) {
    Strings set;
    for (const char* name : {"state-neutral", "state-floreth", "state-sundrel",
                             "animate-floreth-to-sundrel", "animate-to-floreth"}) {
      if (Element(id)->IsClassSet(name)) set.push_back(name);
    }
    return set;
  };
  EXPECT_THAT(classes("target-spinner"),
              ElementsAre("state-sundrel", "animate-floreth-to-sundrel"));
  EXPECT_THAT(classes("horizontal-line"), ElementsAre("state-floreth"));
  menus->Update(0.4f);
  EXPECT_THAT(classes("horizontal-line"),
              ElementsAre("state-sundrel", "animate-floreth-to-sundrel"));
  EXPECT_THAT(classes("vertical-line"), ElementsAre("state-neutral"));
  menus->Update(0.4f);
  EXPECT_THAT(classes("vertical-line"), ElementsAre("state-sundrel", "animate-floreth-to-sundrel"));
  menus->Update(0.61f);
  EXPECT_FALSE(menu->Cursor().running);
  EXPECT_THAT(classes("target-spinner"), ElementsAre("state-sundrel"));
}

TEST_F(MainMenuTest, ThePointerReachesTheListenedElementsThroughTheirChildren) {
  // Every child without an id of an element with handlers lets the pointer through, so an event
  // names the element; children with an id have handlers of their own.
  const char* listened[] = {"play-button",           "credits-button",  "exit-button",
                            "logo-button",           "left-section",    "right-section",
                            "hamburger-menu-column", "floreth-logo",    "sundrel-logo",
                            "header-column",         "side-text-column"};
  const auto checkChildren = [](const char* id, Rml::Element* element, const auto& self) -> void {
    for (int i = 0; i < element->GetNumChildren(); ++i) {
      Rml::Element* child = element->GetChild(i);
      if (child->GetTagName() == "#text" || !child->GetId().empty()) continue;
      EXPECT_EQ(child->GetComputedValues().pointer_events, Rml::Style::PointerEvents::None)
          << "a " << child->GetTagName() << " of " << id;
      self(id, child, self);
    }
  };
  for (const char* id : listened) checkChildren(id, Element(id), checkChildren);
  // The real pointer over a letter of "exit" and over the Sundrel logo.
  Rml::ElementList letters;
  Element("exit-button")->GetElementsByTagName(letters, "span");
  ASSERT_FALSE(letters.empty());
  PointerClick(letters.front());
  EXPECT_TRUE(decs->quit) << "the click on a letter did not reach \"exit-button\"";
  PointerClick(Element("sundrel-logo"));
  EXPECT_EQ(menu->ChosenClan(), Clan::Sundrel);
}

TEST_F(MainMenuTest, TheDiaryPanelListsTheRunsInTheChosenOrder) {
  Click("credits-button");
  EXPECT_EQ(Inner("diary-entry-count"), "• Total Runs: 0 •");
  EXPECT_EQ(Inner("diary-filter-display"), "Filter by: Grade");
  EXPECT_THAT(Inner("diary-table-body"), testing::HasSubstr("No entries recorded yet"));

  // Runs added while the panel is open show at once, in the current order.
  menu->AddDiaryEntry("B", 900, "SUNDREL", "01:10.00", 70000, true);
  menu->AddDiaryEntry("S", 400, "FLORETH", "02:00.00", 120000, false);
  EXPECT_EQ(Inner("diary-entry-count"), "• Total Runs: 2 •");
  Rml::ElementList rows;
  Element("diary-table-body")->GetElementsByClassName(rows, "diary-row");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_THAT(rows[0]->GetInnerRML(), testing::HasSubstr(">S<"));
  Posted();

  Click("diary-filter-score");
  EXPECT_EQ(Inner("diary-filter-display"), "Filter by: Score");
  rows.clear();
  Element("diary-table-body")->GetElementsByClassName(rows, "diary-row");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_THAT(rows[0]->GetInnerRML(), testing::HasSubstr(">900<"));
  EXPECT_TRUE(Element("diary-filter-score")->IsClassSet("active"));
  EXPECT_FALSE(Element("diary-filter-grade")->IsClassSet("active"));
  EXPECT_THAT(Posted(), ElementsAre(kSoftHover));

  Click("leaderboards-tab");
  EXPECT_EQ(Inner("leaderboards-tab"), "• Leaderboards");
  EXPECT_EQ(Inner("performance-diary-tab"), "My Diary");
  EXPECT_TRUE(Element("diary-content")->IsClassSet("showing-leaderboards"));
  EXPECT_TRUE(Element("steam-promotion-content")->IsClassSet("active"));
  Click("performance-diary-tab");
  EXPECT_EQ(Inner("performance-diary-tab"), "• My Diary");
  EXPECT_FALSE(Element("diary-content")->IsClassSet("showing-leaderboards"));
}

TEST_F(MainMenuTest, TheWheelParksTheHiddenCursorOverTheDiaryTableWhileItTurns) {
  Click("credits-button");
  documents->GetContext()->Update();  // the panel laid out
  cursor = {900.0f, 500.0f};
  wheel = -1.0f;
  menus->Update(0.016f);
  EXPECT_TRUE(cursorHidden);
  const Rml::Vector2f corner = Element("diary-scroll")->GetAbsoluteOffset(Rml::BoxArea::Border);
  EXPECT_EQ(cursor, glm::vec2(corner.x + 10.0f, corner.y + 10.0f));
  wheel = 0.0f;
  menus->Update(0.1f);
  EXPECT_TRUE(cursorHidden);
  menus->Update(0.1f);
  EXPECT_FALSE(cursorHidden);
  EXPECT_EQ(cursor, glm::vec2(900.0f, 500.0f));
}

// One wheel step moves the table one step, the pointer over it (the document library scrolls)
// or anywhere else on the menu (the menu scrolls).
TEST_F(MainMenuTest, AWheelStepScrollsTheDiaryTableOnceWhereverThePointerIs) {
  for (int run = 0; run < 30; ++run)
    menu->AddDiaryEntry("A", run, "SUNDREL", "01:00.00", 60000, true);
  Click("credits-button");
  Rml::Context* context = documents->GetContext();
  context->Update();
  Rml::Element* table = Element("diary-scroll");
  const Rml::Vector2f offset = table->GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = table->GetBox().GetSize(Rml::BoxArea::Border);
  const struct {
    const char* where;
    Rml::Vector2f pointer;
  } cases[] = {{"over the table", offset + size * 0.5f},
               {"in a corner of the menu", {4.0f, 716.0f}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    context->ProcessMouseMove(static_cast<int>(c.pointer.x), static_cast<int>(c.pointer.y), 0);
    const float before = table->GetScrollTop();
    // As the RML system forwards the wheel, then the menus update.
    wheel = -1.0f;
    context->ProcessMouseWheel(1.0f, 0);
    menus->Update(0.016f);
    EXPECT_FLOAT_EQ(table->GetScrollTop() - before, Rml::Context::kWheelScrollStep);
    wheel = 0.0f;
    menus->Update(0.2f);
  }
}

// The idle menu: the character walks a frame every update by swapping the images of two
// elements, and the logos turn. Neither makes geometry of a new shape, so once it walks a
// frame compiles and releases nothing.
TEST_F(MainMenuTest, AnIdleFrameNeitherCompilesNorReleasesGeometry) {
  Rml::Context* context = documents->GetContext();
  const auto frame = [&] {
    menus->Update(0.016f);
    context->Update();
    render.draws.clear();
    context->Render();
  };
  for (int i = 0; i < 3; ++i) frame();
  const auto compiled = render.next_geometry;
  const std::size_t live = render.meshes.size();
  for (int i = 0; i < 30; ++i) frame();
  EXPECT_EQ(render.next_geometry, compiled);
  EXPECT_EQ(render.meshes.size(), live);
}

TEST(MainMenuNames, SpriteFramesAreNumberedFromOne) {
  EXPECT_EQ(MainMenu::SpriteFramePath(0, false),
            "GAME/Assets/RML/images/character_front/Vov_walking_front_01.png");
  EXPECT_EQ(MainMenu::SpriteFramePath(41, true),
            "GAME/Assets/RML/images/character_back/Vov_walking_back_42.png");
}

}  // namespace
