#pragma once
// PauseMenu: the in-game pause screen of "pause_menu.rml": three text buttons (resume,
// "option", return to menu), a settings panel with the audio and display radios and an apply
// button, and a confirmation panel for leaving the run.
//
// One of four panels carries the class "visible" at a time: "default-content",
// "settings-content", "feature-coming-soon-content" (never shown here) and
// "return-confirmation-content". A settings or confirmation panel left open goes back to the
// default panel by itself after 6 s ("play_sfx menuRevert 0.8 1.0 0.0 1"). The settings panel
// opens (from the "option" button or the settings strip) on the settings as saved.
//
// Posts (level 1): "play_sfx menuHover 1.0 1.0 0.0 2" on every click, "unpause_from_within_rml"
// (resume), "scene main_menu_scene" (confirmed return), "mute"/"unmute" and
// "fullscreen"/"windowed" (apply, then the settings are saved). Every handler does nothing while
// the document is hidden or an element is missing.
//
// The button captions are one span per letter; hovering a button scrambles its letters for
// 1.1 s, and leaving it settles them on the caption (the main menu's LetterScramble).

#include <string>

#include "ui/base_menu.h"
#include "ui/letter_scramble.h"
#include "ui/menu_settings_links.h"

namespace Rml {
class Element;
}  // namespace Rml

class PauseMenu : public BaseMenu {
 public:
  static constexpr float kPanelReturnSeconds = 6.0f;
  static constexpr const char* kPanels[] = {"default-content", "settings-content",
                                            "feature-coming-soon-content",
                                            "return-confirmation-content"};
  static constexpr const char* kButtons[] = {"resume-button", "save-button", "return-button"};

  PauseMenu();

  void SetSettingsLinks(MenuSettingsLinks value) { settings = std::move(value); }

  void Show() override;
  void Update(float dt) override;
  void RegisterEventHandlers() override;

  void ShowDefaultPanel();
  void ToggleSettingsPanel();
  void ShowReturnConfirmation();
  void RefreshSettingsPanel();
  void SelectRadio(Rml::Element* target, const std::string& group);
  void ApplySettings();
  void BuildLetterSpans(const std::string& id);
  void OnHoverEnter(Rml::Element* target);
  void OnHoverLeave(Rml::Element* target);

  bool SettingsShown() const { return settingsShown; }
  bool ConfirmationShown() const { return confirmationShown; }
  bool Scrambling(const std::string& id) const { return scramble.IsRunning(id); }

  // The opening tag of letter `index` of a button's caption.
  static std::string LetterTag(const std::string& id, int index);

 private:
  bool DocumentVisible() const;
  void ShowPanel(const char* id);
  void PlayHoverSound();

  MenuSettingsLinks settings;
  LetterScramble scramble;
  bool settingsShown = false;
  bool confirmationShown = false;
  float panelTimer = 0.0f;
  bool autoReturn = true;
};
