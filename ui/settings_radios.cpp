#include "ui/settings_radios.h"

#include "rml/rml.h"
#include "ui/menu_events.h"

namespace {

void SetChecked(Rml::ElementDocument& document, const std::string& id, bool checked) {
  Rml::Element* element = document.GetElementById(id);
  if (element == nullptr) return;
  if (checked) {
    element->SetAttribute("checked", true);
  } else {
    element->RemoveAttribute("checked");
  }
}

bool IsChecked(Rml::ElementDocument& document, const std::string& id) {
  const Rml::Element* element = document.GetElementById(id);
  return element != nullptr && element->HasAttribute("checked");
}

}  // namespace

void ShowSavedSettings(Rml::ElementDocument* document, const MenuSettingsLinks& settings,
                       const std::string& prefix) {
  if (document == nullptr) return;
  if (settings.load) settings.load();
  const bool fullscreen = settings.fullscreen && settings.fullscreen();
  const bool muted = settings.muteAudio && settings.muteAudio();
  SetChecked(*document, prefix + "fullscreen", fullscreen);
  SetChecked(*document, prefix + "windowed", !fullscreen);
  SetChecked(*document, prefix + "audio-on", !muted);
  SetChecked(*document, prefix + "audio-off", muted);
}

void CheckRadioInGroup(Rml::ElementDocument* document, Rml::Element* clicked,
                       const std::string& group) {
  if (document == nullptr || clicked == nullptr) return;
  clicked->SetAttribute("checked", std::string());
  Rml::ElementList inputs;
  document->GetElementsByTagName(inputs, "input");
  for (Rml::Element* input : inputs) {
    if (input == clicked) continue;
    if (input->GetAttribute<std::string>("type", "") != "radio") continue;
    if (input->GetAttribute<std::string>("name", "") != group) continue;
    input->RemoveAttribute("checked");
  }
}

void ApplyCheckedSettings(Rml::ElementDocument* document, const MenuSettingsLinks& settings,
                          const std::string& prefix) {
  if (document == nullptr) return;
  const bool unmute = IsChecked(*document, prefix + "audio-on");
  const bool fullscreen = IsChecked(*document, prefix + "fullscreen");
  PostMenuMessage(unmute ? "unmute" : "mute");
  PostMenuMessage(fullscreen ? "fullscreen" : "windowed");
  if (settings.save) settings.save();
}
