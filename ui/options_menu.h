#pragma once
// OptionsMenu: the stand-alone options screen of "options_menu.rml": master, music and effects
// volume ranges, a resolution choice ("WIDTHxHEIGHT"), a full-screen check box, back and apply.
//
// Moving a range posts "set_master_volume V", "set_music_volume V" or "set_sfx_volume V" (V the
// range's value / 100, "%f"). Apply posts the three volumes again and "set_resolution W H F" (F 1
// in full screen), saves the settings and shows a short toast that fades out over 2 s: the green
// "Settings applied successfully!" only when the window took the size (the receiver of
// "set_resolution" replies "applied") and the settings were written, else a red one saying what
// was not done. Back (the button, or Back()) posts "menu_transition 0". Showing the screen sets
// the resolution and the full-screen box to the settings as they stand, so an apply changes
// only what the player changed. Every handler does nothing while the document is hidden. A
// resolution that does not read as WIDTHxHEIGHT is reported and posts nothing.
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
  static constexpr const char* kWindowNotChangedText = "The window size was not changed.";
  static constexpr const char* kNotSavedText = "The settings were not saved.";
  // The reply of the receiver that resized the window.
  static constexpr const char* kResolutionAppliedReply = "applied";

  OptionsMenu() : BaseMenu("options_menu.rml") {}

  void SetSettingsLinks(MenuSettingsLinks value) { settings = std::move(value); }

  void RegisterEventHandlers() override;
  void Show() override;
  void Update(float dt) override;
  bool Back() override;

  void ApplyOptions();
  void OnVolumeSliderChange(Rml::Element* target, const std::string& channel);
  // A toast in green, or in red when `failed`.
  void ShowToast(const std::string& text, bool failed = false);
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
  // Posts `text` and returns the reply.
  std::string Post(const std::string& text);
  // Posts "set_resolution" from the resolution and full-screen elements; true when the window
  // took it.
  bool ApplyResolution(const Rml::Element& resolution, const Rml::Element& fullscreen);
  void RemoveToasts(float minimumAge);

  MenuSettingsLinks settings;
  std::vector<Toast> toasts;
};
