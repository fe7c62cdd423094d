#include "ui/main_menu_settings_panel.h"

#include "rml/rml.h"
#include "ui/settings_radios.h"

void MainMenuSettingsPanel::Open() {
  if (document == nullptr) return;
  if (Rml::Element* panel = document->GetElementById("settings-content")) {
    panel->SetClass("visible", true);
  }
  ShowSavedSettings(document, settings, "");
  open = true;
}

void MainMenuSettingsPanel::Select(Rml::Element* clicked, const std::string& group) {
  CheckRadioInGroup(document, clicked, group);
}

void MainMenuSettingsPanel::Apply() { ApplyCheckedSettings(document, settings, ""); }
