#include "ui/pause_menu.h"

#include "rml/rml.h"
#include "ui/menu_events.h"
#include "ui/settings_radios.h"

namespace {

constexpr const char* kHoverSound = "play_sfx menuHover 1.0 1.0 0.0 2";
constexpr const char* kRevertSound = "play_sfx menuRevert 0.8 1.0 0.0 1";

constexpr const char* kPlainLetter = "<span class=\"scrambled-letter\">";

struct Caption {
  const char* id;
  const char* text;
};
constexpr Caption kCaptions[] = {
    {"resume-button", "resume"}, {"save-button", "option"}, {"return-button", "return to menu"}};

}  // namespace

PauseMenu::PauseMenu() : BaseMenu("pause_menu.rml"), scramble(LetterScramble::ClockSeed()) {}

bool PauseMenu::DocumentVisible() const { return document != nullptr && document->IsVisible(); }

void PauseMenu::PlayHoverSound() { PostMenuMessage(kHoverSound); }

void PauseMenu::RegisterEventHandlers() {
  if (document == nullptr || eventHandler == nullptr) return;
  for (const Caption& caption : kCaptions) scramble.SetWord(caption.id, caption.text);
  for (const char* id : kButtons) BuildLetterSpans(id);

  RMLEventHandler* handler = eventHandler.get();
  const auto listen = [&](const char* id, const char* type, RMLEventHandler::Callable callable) {
    ListenToMenuElement(handler, document, id, type, std::move(callable));
  };
  // A click that does something only while the menu is on screen, after the hover sound.
  const auto onVisibleClick = [this](void (PauseMenu::*action)()) {
    return [this, action](Rml::Event&) {
      if (!DocumentVisible()) return;
      PlayHoverSound();
      (this->*action)();
    };
  };
  listen("pause-menu-column", "click", [this](Rml::Event&) { RefreshSettingsPanel(); });
  listen("resume-button", "click", [this](Rml::Event&) {
    if (!DocumentVisible()) return;
    PlayHoverSound();
    PostMenuMessage("unpause_from_within_rml");
  });
  listen("save-button", "click", onVisibleClick(&PauseMenu::ToggleSettingsPanel));
  listen("return-button", "click", onVisibleClick(&PauseMenu::ShowReturnConfirmation));
  for (const char* id : kButtons) {
    listen(id, "mouseover", [this](Rml::Event& event) { OnHoverEnter(event.GetTargetElement()); });
    listen(id, "mouseout", [this](Rml::Event& event) { OnHoverLeave(event.GetTargetElement()); });
  }
  const std::pair<const char*, const char*> radios[] = {
      {"pause-menu-audio-on", "audio-setting"},
      {"pause-menu-audio-off", "audio-setting"},
      {"pause-menu-fullscreen", "display-setting"},
      {"pause-menu-windowed", "display-setting"}};
  for (const auto& [id, group] : radios) {
    listen(id, "click", [this, group = std::string(group)](Rml::Event& event) {
      SelectRadio(event.GetTargetElement(), group);
    });
  }
  listen("pause-menu-apply-settings-button", "click", [this](Rml::Event&) { ApplySettings(); });
  listen("confirm-yes-button", "click", [this](Rml::Event&) {
    if (!DocumentVisible()) return;
    PlayHoverSound();
    PostMenuMessage("scene main_menu_scene");
  });
  listen("confirm-no-button", "click", onVisibleClick(&PauseMenu::ShowDefaultPanel));
}

void PauseMenu::Show() {
  BaseMenu::Show();
  ShowDefaultPanel();
  panelTimer = 0.0f;
  autoReturn = true;
  for (const char* id : kButtons) BuildLetterSpans(id);
  if (document == nullptr) return;
  for (const char* id : kButtons) {
    if (Rml::Element* button = document->GetElementById(id)) button->SetClass("scrambling", false);
  }
}

// Panels ----------------------------------------------------------------------------------------

void PauseMenu::ShowPanel(const char* id) {
  for (const char* panel : kPanels) {
    if (std::string_view(panel) == id) continue;
    if (Rml::Element* element = document->GetElementById(panel))
      element->SetClass("visible", false);
  }
  if (Rml::Element* element = document->GetElementById(id)) element->SetClass("visible", true);
  panelTimer = 0.0f;
}

void PauseMenu::ShowDefaultPanel() {
  if (document == nullptr) return;
  ShowPanel("default-content");
  settingsShown = false;
  confirmationShown = false;
}

void PauseMenu::ToggleSettingsPanel() {
  if (document == nullptr) return;
  if (settingsShown) {
    ShowDefaultPanel();
    return;
  }
  ShowPanel("settings-content");
  settingsShown = true;
  confirmationShown = false;
  ShowSavedSettings(document, settings, "pause-menu-");
}

void PauseMenu::ShowReturnConfirmation() {
  if (document == nullptr) return;
  ShowPanel("return-confirmation-content");
  settingsShown = false;
  confirmationShown = true;
}

// Settings --------------------------------------------------------------------------------------

void PauseMenu::RefreshSettingsPanel() {
  if (!DocumentVisible()) return;
  PlayHoverSound();
  ToggleSettingsPanel();
}

void PauseMenu::SelectRadio(Rml::Element* target, const std::string& group) {
  if (document == nullptr || target == nullptr) return;
  CheckRadioInGroup(document, target, group);
  PlayHoverSound();
}

void PauseMenu::ApplySettings() {
  if (!DocumentVisible()) return;
  PlayHoverSound();
  ApplyCheckedSettings(document, settings, "pause-menu-");
}

// Letters ---------------------------------------------------------------------------------------

std::string PauseMenu::LetterTag(const std::string& id, int index) {
  if (id == "resume-button") {
    return "<span class=\"scrambled-letter\" style=\"font-size: 13.0vh; font-family: Teko; "
           "text-transform: uppercase; \">";
  }
  if (id == "save-button") {
    if (index < 2) {
      return "<span class=\"scrambled-letter\" style=\"font-size: 8.3vh; font-family: Teko; "
             "text-transform: uppercase;  padding-top: 0.8vh; padding-right: 1.2vh;\">";
    }
    return "<span class=\"scrambled-letter\" style=\"font-size: 6.5vh;\">";
  }
  if (id == "return-button" && index < 6) {
    return "<span class=\"scrambled-letter\" style=\"font-size: 5.2vh; font-family: Teko; "
           "text-transform: uppercase;  padding-top: 0.8vh;\">";
  }
  return kPlainLetter;
}

void PauseMenu::BuildLetterSpans(const std::string& id) {
  scramble.BuildLetterSpans(document, id, [](const std::string& button, std::size_t index) {
    return LetterTag(button, static_cast<int>(index));
  });
}

void PauseMenu::OnHoverEnter(Rml::Element* target) {
  if (!DocumentVisible() || target == nullptr) return;
  target->SetClass("scrambling", true);
  scramble.Start(document, target->GetId());
}

void PauseMenu::OnHoverLeave(Rml::Element* target) {
  if (!DocumentVisible() || target == nullptr) return;
  target->SetClass("scrambling", false);
  scramble.Leave(document, target);
}

// Frames ----------------------------------------------------------------------------------------

void PauseMenu::Update(float dt) {
  scramble.Update(document, dt);

  if (!autoReturn || (!settingsShown && !confirmationShown)) {
    panelTimer = 0.0f;
    return;
  }
  panelTimer += dt;
  if (panelTimer >= kPanelReturnSeconds) {
    ShowDefaultPanel();
    panelTimer = 0.0f;
    PostMenuMessage(kRevertSound);
  }
}
