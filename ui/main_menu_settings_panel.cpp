#include "ui/main_menu_settings_panel.h"

#include "rml/rml.h"
#include "ui/menu_events.h"

void MainMenuSettingsPanel::Check(const char* id, bool on) {
  Rml::Element* element = document->GetElementById(id);
  if (element == nullptr) return;
  if (on) {
    element->SetAttribute("checked", true);
  } else {
    element->RemoveAttribute("checked");
  }
}

void MainMenuSettingsPanel::Open() {
  if (document == nullptr) return;
  if (Rml::Element* panel = document->GetElementById("settings-content")) {
    panel->SetClass("visible", true);
  }
  if (settings.load) settings.load();
  const bool fullscreen = settings.fullscreen && settings.fullscreen();
  const bool muted = settings.muteAudio && settings.muteAudio();
  Check("fullscreen", fullscreen);
  Check("windowed", !fullscreen);
  Check("audio-on", !muted);
  Check("audio-off", muted);
  open = true;
}

void MainMenuSettingsPanel::Select(Rml::Element* clicked, const std::string& group) {
  if (document == nullptr || clicked == nullptr) return;
  clicked->SetAttribute("checked", std::string());
  Rml::ElementList inputs;
  document->GetElementsByTagName(inputs, "input");
  for (Rml::Element* input : inputs) {
    if (input == clicked) continue;
    if (input->GetAttribute<std::string>("type", "") == "radio" &&
        input->GetAttribute<std::string>("name", "") == group) {
      input->RemoveAttribute("checked");
    }
  }
}

void MainMenuSettingsPanel::Apply() {
  if (document == nullptr) return;
  Rml::Element* audioOn = document->GetElementById("audio-on");
  Rml::Element* fullscreen = document->GetElementById("fullscreen");
  const bool unmute = audioOn != nullptr && audioOn->HasAttribute("checked");
  const bool full = fullscreen != nullptr && fullscreen->HasAttribute("checked");
  PostMenuMessage(unmute ? "unmute" : "mute");
  PostMenuMessage(full ? "fullscreen" : "windowed");
  if (settings.save) settings.save();
}
