// The pause menu over the game's "pause_menu.rml", opened by the menu manager: its panels and
// their return to the default panel, the settings radios and apply, the button letters and
// their scramble on hover, and what each click posts.

#include "ui/pause_menu.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/ui/menu_test_engine.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kHover = "play_sfx menuHover 1.0 1.0 0.0 2";
constexpr const char* kRevert = "play_sfx menuRevert 0.8 1.0 0.0 1";

class PauseMenuTest : public menu_test::MenuEngine {
 protected:
  void SetUp() override {
    MenuEngine::SetUp();
    menu = OpenMenu<PauseMenu>(MenuManager::kPauseMenu);
    ASSERT_NE(menu, nullptr);
    document = openDocument;
  }
  // The panels carrying "visible".
  std::vector<std::string> VisiblePanels() {
    std::vector<std::string> shown;
    for (const char* panel : PauseMenu::kPanels) {
      if (Element(panel)->IsClassSet("visible")) shown.push_back(panel);
    }
    return shown;
  }
  // The button's letters as they stand.
  std::string Letters(const std::string& id) {
    Rml::ElementList spans;
    Element(id)->GetElementsByTagName(spans, "span");
    std::string letters;
    for (Rml::Element* span : spans) letters += span->GetInnerRML();
    return letters;
  }
  // The letters' colours as drawn, "#rrggbb".
  std::vector<std::string> Colours(const std::string& id) {
    documents->GetContext()->Update();
    Rml::ElementList spans;
    Element(id)->GetElementsByTagName(spans, "span");
    std::vector<std::string> colours;
    for (Rml::Element* span : spans) {
      const Rml::Colourb colour = span->GetComputedValues().color;
      char text[8];
      std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
      colours.push_back(text);
    }
    return colours;
  }

  PauseMenu* menu = nullptr;
  Rml::ElementDocument* document = nullptr;
};

TEST_F(PauseMenuTest, OptionButtonTogglesTheSettingsAndSubPanelsReturnByThemselves) {
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  Click("save-button");
  EXPECT_THAT(VisiblePanels(), ElementsAre("settings-content"));
  Click("save-button");
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  EXPECT_THAT(Posted(), ElementsAre(kHover, kHover)) << "no revert sound on a second press";

  // Left open, the settings go back after 6 s; choosing radios does not hold them.
  Click("save-button");
  menus->Update(4.0f);
  Click("pause-menu-audio-off");
  menus->Update(1.9f);
  EXPECT_THAT(VisiblePanels(), ElementsAre("settings-content"));
  Posted();
  menus->Update(0.2f);
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  EXPECT_THAT(Posted(), ElementsAre(kRevert));

  // The confirmation the same way; "no" goes back at once.
  Click("return-button");
  EXPECT_THAT(VisiblePanels(), ElementsAre("return-confirmation-content"));
  Click("confirm-no-button");
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  Click("return-button");
  menus->Update(6.0f);
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
}

TEST_F(PauseMenuTest, ClicksPostTheirMessagesOnlyWhileShown) {
  Click("resume-button");
  EXPECT_THAT(Posted(), ElementsAre(kHover, "unpause_from_within_rml"));
  Click("return-button");
  Click("confirm-yes-button");
  EXPECT_THAT(Posted(), ElementsAre(kHover, kHover, "scene main_menu_scene"));

  Post("hide_menu");
  Posted();
  menu->ApplySettings();
  menu->RefreshSettingsPanel();
  menu->OnHoverEnter(Element("resume-button"));
  EXPECT_THAT(Posted(), IsEmpty());
  EXPECT_FALSE(menu->Scrambling("resume-button"));
}

TEST_F(PauseMenuTest, SettingsPanelShowsTheSettingsAndApplySendsAndSavesThem) {
  fullscreenSetting = false;
  muteSetting = true;
  Click("pause-menu-column");
  EXPECT_THAT(VisiblePanels(), ElementsAre("settings-content"));
  const auto checked = [&](const char* id) { return Element(id)->HasAttribute("checked"); };
  EXPECT_TRUE(checked("pause-menu-windowed"));
  EXPECT_FALSE(checked("pause-menu-fullscreen"));
  EXPECT_TRUE(checked("pause-menu-audio-off"));
  EXPECT_FALSE(checked("pause-menu-audio-on"));
  Posted();

  Click("pause-menu-apply-settings-button");
  EXPECT_THAT(Posted(), ElementsAre(kHover, "mute", "windowed"));
  EXPECT_EQ(saves, 1);

  // A radio unchecks the others of its group only.
  Click("pause-menu-audio-on");
  Click("pause-menu-fullscreen");
  EXPECT_TRUE(checked("pause-menu-audio-on"));
  EXPECT_FALSE(checked("pause-menu-audio-off"));
  EXPECT_TRUE(checked("pause-menu-fullscreen"));
  EXPECT_FALSE(checked("pause-menu-windowed"));
  Posted();
  Click("pause-menu-apply-settings-button");
  EXPECT_THAT(Posted(), ElementsAre(kHover, "unmute", "fullscreen"));
  EXPECT_EQ(saves, 2);
}

// The document checks "on" and "full screen"; whichever way the panel opens, it shows the
// settings as saved at that moment.
TEST_F(PauseMenuTest, TheSettingsPanelOpensOnTheSavedSettingsEitherWay) {
  const auto checked = [&](const char* id) { return Element(id)->HasAttribute("checked"); };
  struct Opening {
    const char* opener;
    bool fullscreen;
    bool muted;
  };
  for (const Opening& opening :
       {Opening{"save-button", false, true}, Opening{"pause-menu-column", true, false},
        Opening{"save-button", true, true}}) {
    SCOPED_TRACE(opening.opener);
    fullscreenSetting = opening.fullscreen;
    muteSetting = opening.muted;
    Click(opening.opener);
    ASSERT_THAT(VisiblePanels(), ElementsAre("settings-content"));
    EXPECT_EQ(checked("pause-menu-fullscreen"), opening.fullscreen);
    EXPECT_EQ(checked("pause-menu-windowed"), !opening.fullscreen);
    EXPECT_EQ(checked("pause-menu-audio-off"), opening.muted);
    EXPECT_EQ(checked("pause-menu-audio-on"), !opening.muted);
    // A choice that is not applied is gone at the next opening.
    Click(opening.muted ? "pause-menu-audio-on" : "pause-menu-audio-off");
    Click(opening.opener);
    ASSERT_THAT(VisiblePanels(), ElementsAre("default-content"));
  }
}

TEST_F(PauseMenuTest, CaptionsAreOneSpanPerLetterInTheirButtonsStyle) {
  EXPECT_EQ(Letters("resume-button"), "resume");
  EXPECT_EQ(Letters("save-button"), "option");
  EXPECT_EQ(Letters("return-button"), "return to menu");
  const std::string big =
      "<span class=\"scrambled-letter\" style=\"font-size: 5.2vh; font-family: Teko; "
      "text-transform: uppercase;  padding-top: 0.8vh;\">";
  const std::string plain = "<span class=\"scrambled-letter\">";
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(PauseMenu::LetterTag("return-button", i), i < 6 ? big : plain) << i;
  }
  EXPECT_NE(PauseMenu::LetterTag("save-button", 1), PauseMenu::LetterTag("save-button", 2));
  EXPECT_EQ(PauseMenu::LetterTag("elsewhere", 0), plain);
}

TEST_F(PauseMenuTest, HoverScramblesTheLettersUntilTheySettle) {
  Rml::Element* resume = Element("resume-button");
  resume->DispatchEvent("mouseover", {});
  EXPECT_TRUE(resume->IsClassSet("scrambling"));
  ASSERT_TRUE(menu->Scrambling("resume-button"));

  std::vector<std::string> seen;
  bool cyan = false;
  for (float t = 0.0f; t < 1.05f; t += 0.02f) {
    menus->Update(0.02f);
    seen.push_back(Letters("resume-button"));
    if (t < 0.7f) {
      EXPECT_THAT(Colours("resume-button"), testing::Each("#ffdb8f")) << t;
    }
    cyan = cyan || Colours("resume-button")[0] == "#00e5ff";
  }
  EXPECT_TRUE(cyan) << "late frames turn the letters cyan";
  const auto changed = std::count_if(
      seen.begin(), seen.end(), [](const std::string& letters) { return letters != "resume"; });
  EXPECT_GT(changed, 5) << "the letters scrambled";
  for (const std::string& letters : seen) EXPECT_EQ(letters.size(), 6u);

  // Hovering again while it runs does not start it over.
  resume->DispatchEvent("mouseover", {});
  menus->Update(0.1f);
  EXPECT_FALSE(menu->Scrambling("resume-button"));
  EXPECT_EQ(Letters("resume-button"), "resume");

  // Leaving settles the letters and gives them their resting colour.
  resume->DispatchEvent("mouseover", {});
  menus->Update(0.3f);
  resume->DispatchEvent("mouseout", {});
  EXPECT_FALSE(resume->IsClassSet("scrambling"));
  EXPECT_FALSE(menu->Scrambling("resume-button"));
  EXPECT_EQ(Letters("resume-button"), "resume");
  EXPECT_THAT(Colours("resume-button"), testing::Each("#ffdb8f"));
}

TEST_F(PauseMenuTest, ShowingAgainPutsTheDefaultPanelAndFreshLetters) {
  Click("save-button");
  Element("save-button")->SetClass("scrambling", true);
  Post("hide_menu");
  Post("menu_transition 2");
  EXPECT_THAT(VisiblePanels(), ElementsAre("default-content"));
  EXPECT_FALSE(Element("save-button")->IsClassSet("scrambling"));
  EXPECT_EQ(Letters("save-button"), "option");
}

}  // namespace
