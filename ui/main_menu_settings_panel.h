#pragma once
// MainMenuSettingsPanel: the main menu's settings panel ("settings-content"): two radio groups,
// sound on or off and full screen or windowed, showing the saved settings when the panel opens,
// and an apply button that posts the choice ("mute" or "unmute", then "fullscreen" or
// "windowed") and writes the settings file.
//
//   MainMenuSettingsPanel panel;
//   panel.SetLinks(settings);
//   panel.SetDocument(document);          // whenever the menu's document changes
//   panel.Open();                         // shows the panel with the saved settings checked
//   panel.Select(clicked, "audio-setting");
//   panel.Apply();
//   panel.Close();                        // the menu shows another panel
//
// Which panel of the menu is visible is the menu's business. An empty link is skipped; a
// missing element skips only its own step. Main thread only.

#include <string>

#include "ui/menu_settings_links.h"

namespace Rml {
class Element;
class ElementDocument;
}  // namespace Rml

class MainMenuSettingsPanel {
 public:
  void SetLinks(MenuSettingsLinks value) { settings = std::move(value); }
  // The document the panel's elements are in; null when the menu has none.
  void SetDocument(Rml::ElementDocument* value) { document = value; }

  bool IsOpen() const { return open; }
  // Shows "settings-content" with the radios checked as the settings file says.
  void Open();
  // Only forgets that the panel is open; the menu hides it.
  void Close() { open = false; }
  // Checks the clicked radio and unchecks the other radio inputs of its group.
  void Select(Rml::Element* clicked, const std::string& group);
  // Posts the checked choice, then saves the settings.
  void Apply();

 private:
  Rml::ElementDocument* document = nullptr;  // owned by the document library
  MenuSettingsLinks settings;
  bool open = false;
};
