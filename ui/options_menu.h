#pragma once
// OptionsMenu: the stand-alone options screen of "options_menu.rml": master, music and effects
// volume ranges, a resolution choice ("WIDTHxHEIGHT"), a full-screen check box, back and apply.
//
// Moving a range posts "set_master_volume V", "set_music_volume V" or "set_sfx_volume V" (V the
// range's value / 100, "%f"). Apply posts the three volumes again, "set_resolution W H F" (F 1 in
// full screen), shows a short green toast "Settings applied successfully!" that fades out over
// 2 s, and saves the settings. Back posts "menu_transition 0". Every handler does nothing while
// the document is hidden. A resolution that does not read as WIDTHxHEIGHT is reported and
// posts nothing.
//
// The toast is removed once its fade is over: after 2 s of updates, or by "remove_notification"
// (which the manager forwards to RemoveToast) once it has faded.

#include <string>
#include <vector>

#include "ui/base_menu.h"
#include "ui/menu_settings_links.h"

namespace Rml {
class Element;
}  // namespace Rml

class OptionsMenu : public BaseMenu {
 public:
  static constexpr float kToastSeconds = 2.0f;
  static constexpr const char* kAppliedText = "Settings applied successfully!";

  OptionsMenu() : BaseMenu("options_menu.rml") {}

  void SetSettingsLinks(MenuSettingsLinks value) { settings = std::move(value); }

  void RegisterEventHandlers() override;
  void Update(float dt) override;

  void ApplyOptions();
  void OnVolumeSliderChange(Rml::Element* target, const std::string& channel);
  void ShowToast(const std::string& text);
  // Removes the toasts whose fade is over.
  void RemoveToast();
  int ToastCount() const { return static_cast<int>(toasts.size()); }

  // "WIDTHxHEIGHT" with two positive decimal integers; false (values unchanged) otherwise.
  static bool ParseResolution(const std::string& text, int& width, int& height);

 protected:
  void DocumentChanged() override { toasts.clear(); }

 private:
  struct Toast {
    Rml::Element* element;  // owned by the document
    float age;              // seconds
  };

  bool DocumentVisible() const;
  void Post(const std::string& text);
  void RemoveToasts(float minimumAge);

  MenuSettingsLinks settings;
  std::vector<Toast> toasts;
};
