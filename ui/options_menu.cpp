#include "ui/options_menu.h"

#include <charconv>
#include <cstdio>

#include "rml/rml.h"
#include "ui/menu_events.h"

namespace {

constexpr const char* kDefaultResolution = "1920x1080";
// The toast's style, with its background colour in between.
constexpr const char* kToastStyleStart =
    "position: absolute; top: 20px; left: 50%; transform: translateX(-50%); background-color: ";
constexpr const char* kToastStyleEnd =
    "; color: white; padding: 10px 20px; border-radius: 5px; animation: fadeOut 2s forwards;";
constexpr const char* kAppliedColour = "#2ecc71";
constexpr const char* kFailedColour = "#c0392b";

// "<word> %f" with the volume of a range at `percent`.
std::string VolumeMessage(const std::string& word, float percent) {
  char text[96];
  std::snprintf(text, sizeof text, "%s %f", word.c_str(), static_cast<double>(percent / 100.0f));
  return text;
}

float RangeValue(const Rml::Element& range, float fallback) {
  return range.GetAttribute<float>("value", fallback);
}

// A positive decimal integer filling the whole text.
bool ReadDimension(std::string_view text, int& value) {
  if (text.empty()) return false;
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed <= 0) return false;
  value = parsed;
  return true;
}

}  // namespace

bool OptionsMenu::DocumentVisible() const { return document != nullptr && document->IsVisible(); }

std::string OptionsMenu::Post(const std::string& text) { return PostMenuMessage(text); }

void OptionsMenu::RegisterEventHandlers() {
  if (document == nullptr || eventHandler == nullptr) return;
  RMLEventHandler* handler = eventHandler.get();
  ListenToMenuElement(handler, document, "back-button", "click", [this](Rml::Event&) { Back(); });
  ListenToMenuElement(handler, document, "apply-button", "click",
                      [this](Rml::Event&) { ApplyOptions(); });
  const std::pair<const char*, const char*> ranges[] = {
      {"master-volume", "master"}, {"music-volume", "music"}, {"sfx-volume", "sfx"}};
  for (const auto& [id, channel] : ranges) {
    ListenToMenuElement(handler, document, id, "change",
                        [this, channel = std::string(channel)](Rml::Event& event) {
                          OnVolumeSliderChange(event.GetTargetElement(), channel);
                        });
  }
}

void OptionsMenu::Show() {
  BaseMenu::Show();
  if (document == nullptr) return;
  if (settings.load) settings.load();
  Rml::Element* fullscreen = document->GetElementById("fullscreen");
  if (fullscreen != nullptr && settings.fullscreen) {
    if (settings.fullscreen()) {
      fullscreen->SetAttribute("checked", std::string());
    } else {
      fullscreen->RemoveAttribute("checked");
    }
  }
  Rml::Element* resolution = document->GetElementById("resolution");
  if (resolution != nullptr && settings.windowedResolution) {
    // A size that is none of the options marks none, and an apply keeps it.
    const glm::ivec2 size = settings.windowedResolution();
    resolution->SetAttribute("value", std::to_string(size.x) + "x" + std::to_string(size.y));
  }
}

bool OptionsMenu::Back() {
  if (!DocumentVisible()) return false;
  Post("menu_transition 0");
  return true;
}

void OptionsMenu::OnVolumeSliderChange(Rml::Element* target, const std::string& channel) {
  if (!DocumentVisible() || target == nullptr) return;
  if (channel != "master" && channel != "music" && channel != "sfx") return;
  Post(VolumeMessage("set_" + channel + "_volume", RangeValue(*target, 100.0f)));
}

bool OptionsMenu::ParseResolution(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int parsedWidth = 0;
  int parsedHeight = 0;
  const std::string_view view(text);
  if (!ReadDimension(view.substr(0, x), parsedWidth) ||
      !ReadDimension(view.substr(x + 1), parsedHeight)) {
    return false;
  }
  width = parsedWidth;
  height = parsedHeight;
  return true;
}

void OptionsMenu::ApplyOptions() {
  if (!DocumentVisible()) return;
  Rml::Element* master = document->GetElementById("master-volume");
  Rml::Element* music = document->GetElementById("music-volume");
  Rml::Element* sfx = document->GetElementById("sfx-volume");
  if (master != nullptr && music != nullptr && sfx != nullptr) {
    Post(VolumeMessage("set_master_volume", RangeValue(*master, 100.0f)));
    Post(VolumeMessage("set_music_volume", RangeValue(*music, 80.0f)));
    Post(VolumeMessage("set_sfx_volume", RangeValue(*sfx, 100.0f)));
  }
  Rml::Element* resolution = document->GetElementById("resolution");
  Rml::Element* fullscreen = document->GetElementById("fullscreen");
  const bool windowChanged =
      resolution == nullptr || fullscreen == nullptr || ApplyResolution(*resolution, *fullscreen);
  const bool saved = settings.save && settings.save();
  if (windowChanged && saved) {
    ShowToast(kAppliedText);
    return;
  }
  std::string problems;
  if (!windowChanged) problems = kWindowNotChangedText;
  if (!saved) problems += std::string(problems.empty() ? "" : " ") + kNotSavedText;
  ShowToast(problems, /*failed=*/true);
}

bool OptionsMenu::ApplyResolution(const Rml::Element& resolution, const Rml::Element& fullscreen) {
  const std::string text = resolution.GetAttribute<std::string>("value", kDefaultResolution);
  int width = 0;
  int height = 0;
  if (!ParseResolution(text, width, height)) {
    if (text.find('x') != std::string::npos) {
      std::printf("OptionsMenu : resolution '%s' is not WIDTHxHEIGHT; nothing is changed\n",
                  text.c_str());
    }
    return false;
  }
  char message[64];
  std::snprintf(message, sizeof message, "set_resolution %d %d %d", width, height,
                fullscreen.HasAttribute("checked") ? 1 : 0);
  return Post(message) == kResolutionAppliedReply;
}

void OptionsMenu::ShowToast(const std::string& text, bool failed) {
  if (document == nullptr) return;
  // The fade's keyframes live in the menu's style sheet, so a toast adds only its own element.
  Rml::ElementPtr toast = document->CreateElement("div");
  toast->SetAttribute("style", std::string(kToastStyleStart) +
                                   (failed ? kFailedColour : kAppliedColour) + kToastStyleEnd);
  toast->SetInnerRML(text);
  toasts.push_back({document->AppendChild(std::move(toast)), 0.0f});
  QueueMenuMessage("remove_notification");
}

void OptionsMenu::Update(float dt) {
  for (Toast& toast : toasts) toast.age += dt;
  RemoveToasts(kToastSeconds);
}

void OptionsMenu::RemoveToast() { RemoveToasts(kToastSeconds); }

void OptionsMenu::RemoveToasts(float minimumAge) {
  if (document == nullptr) {
    toasts.clear();
    return;
  }
  std::erase_if(toasts, [&](const Toast& toast) {
    if (toast.age < minimumAge) return false;
    document->RemoveChild(toast.element);
    return true;
  });
}
