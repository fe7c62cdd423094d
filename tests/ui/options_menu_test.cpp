// The options menu over the game's "options_menu.rml": the volume ranges, apply with its
// resolution, full-screen flag, toast and save, and the back button.

#include "ui/options_menu.h"

#include <gmock/gmock.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/menu_test_engine.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// Stands for the window: replies to "set_resolution" as the platform system does.
class WindowStandIn : public MessageReciever {
 public:
  WindowStandIn() { level = 1; }
  void HandleMessage(const std::string& message) override {
    if (message.starts_with("set_resolution ") && !reply.empty()) {
      DECS::Instance().GetManager<MessagingManager>()->ReplyFormatted("%s", reply.c_str());
    }
  }
  std::string reply = OptionsMenu::kResolutionAppliedReply;
};

class OptionsMenuTest : public menu_test::MenuEngine {
 protected:
  void SetUp() override {
    MenuEngine::SetUp();
    decs->children.push_back(&window);
    menu = OpenMenu<OptionsMenu>(MenuManager::kOptionsMenu);
    ASSERT_NE(menu, nullptr);
    document = openDocument;
  }
  void TearDown() override {
    decs->RemoveChild(&window);
    MenuEngine::TearDown();
  }
  // Moves a range the way the player does: the value, then "change".
  void Move(const std::string& id, const std::string& value) {
    Element(id)->SetAttribute("value", value);
    Element(id)->DispatchEvent("change", {{"value", Rml::Variant(value)}});
  }

  // The text and style of the toast shown last.
  std::pair<std::string, std::string> LastToast() {
    if (menu->ToastCount() == 0) return {};
    const Rml::Element* toast = document->GetChild(document->GetNumChildren() - 1);
    return {toast->GetInnerRML(), toast->GetAttribute<std::string>("style", "")};
  }

  WindowStandIn window;
  OptionsMenu* menu = nullptr;
  Rml::ElementDocument* document = nullptr;
};

TEST_F(OptionsMenuTest, RangesPostTheirVolumeAtOnce) {
  Move("music-volume", "35");
  Move("master-volume", "0");
  Move("sfx-volume", "100");
  EXPECT_THAT(Posted(), ElementsAre("set_music_volume 0.350000", "set_master_volume 0.000000",
                                    "set_sfx_volume 1.000000"));
  // The words reach the volume link through the manager.
  EXPECT_THAT(volumes, ElementsAre("music 0.350000", "master 0.000000", "sfx 1.000000"));
}

TEST_F(OptionsMenuTest, ApplySendsEverythingShowsTheToastAndSaves) {
  Move("music-volume", "35");
  Element("resolution")->SetAttribute("value", std::string("2560x1440"));
  Element("fullscreen")->RemoveAttribute("checked");
  Posted();
  Click("apply-button");
  EXPECT_THAT(Posted(), ElementsAre("set_master_volume 1.000000", "set_music_volume 0.350000",
                                    "set_sfx_volume 1.000000", "set_resolution 2560 1440 0"));
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(menu->ToastCount(), 1);
  EXPECT_EQ(messaging->QueuedCount(), 1u);
  Click("back-button");
  EXPECT_THAT(Posted(), ElementsAre("menu_transition 0"));
}

TEST_F(OptionsMenuTest, ResolutionsThatDoNotReadPostNothingButApplyStillSaves) {
  for (const char* text : {"1920", "x", "12x", "x720", "abcxdef", "1920x1080x3", "-5x10",
                           "99999999999x5", "1920 x 1080"}) {
    Element("resolution")->SetAttribute("value", std::string(text));
    testing::internal::CaptureStdout();
    Click("apply-button");
    testing::internal::GetCapturedStdout();
    for (const std::string& posted : Posted()) {
      EXPECT_FALSE(posted.starts_with("set_resolution")) << text << ": " << posted;
    }
  }
  EXPECT_EQ(saves, 9);
  int width = 0;
  int height = 0;
  EXPECT_TRUE(OptionsMenu::ParseResolution("1920x1080", width, height));
  EXPECT_EQ(width, 1920);
  EXPECT_EQ(height, 1080);
}

TEST_F(OptionsMenuTest, AMissingRangeSendsNoVolumes) {
  Rml::Element* sfx = Element("sfx-volume");
  sfx->GetParentNode()->RemoveChild(sfx);
  Click("apply-button");
  EXPECT_THAT(Posted(), ElementsAre("set_resolution 1280 720 1"));
  EXPECT_EQ(saves, 1);
}

TEST_F(OptionsMenuTest, ToastsGoOnceTheirFadeIsOver) {
  Click("apply-button");
  Click("apply-button");
  EXPECT_EQ(menu->ToastCount(), 2);
  // Delivered on the next pass: the toasts have not faded yet.
  messaging->DeliverQueued();
  EXPECT_EQ(menu->ToastCount(), 2);
  menus->Update(1.5f);
  Click("apply-button");
  menus->Update(0.6f);
  EXPECT_EQ(menu->ToastCount(), 1);
  Post("remove_notification");
  EXPECT_EQ(menu->ToastCount(), 1);
  menus->Update(2.0f);
  EXPECT_EQ(menu->ToastCount(), 0);
  // Only the menu's own elements are left.
  Rml::ElementList divs;
  document->GetElementsByTagName(divs, "div");
  for (Rml::Element* div : divs) {
    EXPECT_EQ(div->GetInnerRML().find(OptionsMenu::kAppliedText), std::string::npos);
  }
}

// What an apply did decides the toast: success only when the window took the size and the
// settings were written.
TEST_F(OptionsMenuTest, TheToastSaysWhatWasNotDone) {
  struct Case {
    const char* windowReply;  // "" : nobody acts on "set_resolution"
    bool saved;
    const char* text;
    const char* colour;
  };
  const Case cases[] = {
      {"applied", true, OptionsMenu::kAppliedText, "#2ecc71"},
      {"", true, OptionsMenu::kWindowNotChangedText, "#c0392b"},
      {"refused", true, OptionsMenu::kWindowNotChangedText, "#c0392b"},
      {"applied", false, OptionsMenu::kNotSavedText, "#c0392b"},
      {"", false, "The window size was not changed. The settings were not saved.", "#c0392b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.windowReply) + (c.saved ? " saved" : " not saved"));
    window.reply = c.windowReply;
    saveSucceeds = c.saved;
    Click("apply-button");
    const auto [text, style] = LastToast();
    EXPECT_EQ(text, c.text);
    EXPECT_NE(style.find(std::string("background-color: ") + c.colour), std::string::npos) << style;
  }
  EXPECT_EQ(saves, 5);
}

TEST_F(OptionsMenuTest, OpensOnTheWindowAsItIsSoApplyChangesOnlyWhatThePlayerChose) {
  Post("menu_transition 0");
  windowedSize = {1600, 900};
  fullscreenSetting = false;
  OpenMenu<OptionsMenu>(MenuManager::kOptionsMenu);
  EXPECT_EQ(Element("resolution")->GetAttribute<std::string>("value", ""), "1600x900");
  EXPECT_FALSE(Element("fullscreen")->HasAttribute("checked"));
  Rml::ElementList chosen;
  document->GetElementsByTagName(chosen, "option");
  std::erase_if(chosen, [](Rml::Element* option) { return !option->HasAttribute("selected"); });
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0]->GetAttribute<std::string>("value", ""), "1600x900");
  Click("apply-button");
  EXPECT_EQ(Posted().back(), "set_resolution 1600 900 0");
}

TEST_F(OptionsMenuTest, TheMainMenuSettingsLeadHereAndEscapeOrBackLeadBack) {
  for (const bool byEscape : {false, true}) {
    SCOPED_TRACE(byEscape ? "Escape" : "back button");
    Post("menu_transition 0");
    Rml::ElementDocument* mainMenu = DocumentOf(MenuManager::kMainMenu);
    ASSERT_TRUE(Visible(mainMenu));
    mainMenu->GetElementById("hamburger-menu-column")->DispatchEvent("click", {});
    Rml::Element* link = mainMenu->GetElementById("options-menu-button");
    ASSERT_NE(link, nullptr);
    link->DispatchEvent("click", {});
    EXPECT_TRUE(Visible(document));
    EXPECT_FALSE(Visible(mainMenu));
    EXPECT_EQ(menus->currentMenu, MenuManager::kOptionsMenu);

    if (byEscape) {
      PressBack();
    } else {
      Click("back-button");
    }
    EXPECT_FALSE(Visible(document));
    EXPECT_TRUE(Visible(mainMenu));
    EXPECT_EQ(menus->currentMenu, MenuManager::kMainMenu);
  }
}

TEST_F(OptionsMenuTest, HiddenMenuIgnoresEverything) {
  Post("hide_menu");
  Posted();
  menu->ApplyOptions();
  menu->OnVolumeSliderChange(Element("music-volume"), "music");
  EXPECT_THAT(Posted(), IsEmpty());
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(menu->ToastCount(), 0);
}

}  // namespace
