#pragma once
// The sound and window radios of a settings panel, shared by the main menu's settings panel and
// the pause menu. The radios' ids are a prefix followed by "fullscreen", "windowed", "audio-on"
// and "audio-off" ("" for the main menu, "pause-menu-" for the pause menu).
//
//   ShowSavedSettings(document, settings, "pause-menu-");   // checks what the file says
//   CheckRadioInGroup(document, clicked, "audio-setting");  // on a click
//   ApplyCheckedSettings(document, settings, "pause-menu-"); // posts the choice, saves
//
// Each does nothing without a document; a missing element skips only its own step; an empty
// link is skipped.

#include <string>

#include "ui/menu_settings_links.h"

namespace Rml {
class Element;
class ElementDocument;
}  // namespace Rml

// Reads the settings file (once per run) and checks the radios that show it.
void ShowSavedSettings(Rml::ElementDocument* document, const MenuSettingsLinks& settings,
                       const std::string& prefix);

// Checks the clicked radio and unchecks the other radio inputs of its group.
void CheckRadioInGroup(Rml::ElementDocument* document, Rml::Element* clicked,
                       const std::string& group);

// Posts the checked choice ("mute" or "unmute", then "fullscreen" or "windowed"), then saves the
// settings.
void ApplyCheckedSettings(Rml::ElementDocument* document, const MenuSettingsLinks& settings,
                          const std::string& prefix);
