#include "ui/main_menu.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

#include "rml/rml.h"
#include "rml/string_utilities.h"
#include "ui/menu_events.h"
#include "ui/performance_diary.h"

namespace {

constexpr const char* kPanels[] = {"default-content", "credits-content", "settings-content",
                                   "diary-content"};
constexpr const char* kCursorParts[] = {"target-spinner", "horizontal-line", "vertical-line"};
constexpr const char* kAnimateClasses[] = {
    "animate-to-floreth",         "animate-to-sundrel",         "animate-floreth-to-neutral",
    "animate-sundrel-to-neutral", "animate-floreth-to-sundrel", "animate-sundrel-to-floreth"};
constexpr const char* kFlipClasses[] = {
    "flip-circle-right",   "flip-circle-left",   "smooth-flip-right", "smooth-flip-left",
    "enhanced-flip-right", "enhanced-flip-left", "bounce-flip-right", "bounce-flip-left"};
constexpr const char* kClanAreaIds[] = {"left-section", "right-section", "floreth-logo",
                                        "sundrel-logo"};
constexpr const char* kButtons[] = {"play-button", "credits-button", "exit-button"};
constexpr const char* kDiaryFilters[] = {"diary-filter-grade",   "diary-filter-score",
                                         "diary-filter-runtype", "diary-filter-time",
                                         "diary-filter-date",    "diary-filter-completed"};

constexpr const char* kObsidian = "GAME/Assets/Materials/ObsidianMaterial.json";
constexpr const char* kOpal = "GAME/Assets/Materials/UIOpalShaderMaterial.json";
constexpr const char* kLightning = "GAME/Assets/Materials/UILightningMaterial.json";
constexpr const char* kFlorethLogo = "GAME/Assets/RML/images/Floreth_logo_scr.png";
constexpr const char* kSundrelLogo = "GAME/Assets/RML/images/Sundrel_logo_scr.png";

constexpr float kChoiceDebounceSeconds = 0.1f;
constexpr float kFlipSeconds = 2.7f;
constexpr float kFlipWaitSeconds = 2.3f;
constexpr float kFlipSecondDelay = 0.6f;
constexpr float kClanAreaHoldSeconds = 2.5f;
constexpr float kRetriggerSeconds = 0.05f;
constexpr float kDiaryScrollSeconds = 0.15f;
// The box that scrolls the diary's table: the wheel scrolls it wherever the pointer is, and the
// hidden pointer is parked inside it while the wheel turns.
constexpr const char* kDiaryScrollBox = "diary-scroll";

std::string ImageDecorator(const std::string& path) { return "image(\"" + path + "\")"; }
std::string ShadedImageDecorator(const std::string& path, const std::string& material) {
  return "shaded-image(\"" + path + "\" \"" + material + "\")";
}
std::string TextShader(const char* letters, const char* material) {
  return std::string("text-shader(") + letters + " left center \"" + material + "\")";
}

bool IsClanArea(const std::string& id) {
  for (const char* each : kClanAreaIds) {
    if (id == each) return true;
  }
  return false;
}

MainMenu::ClanIndex ClanOf(const std::string& word) {
  if (word == "floreth") return MainMenu::kFloreth;
  if (word == "sundrel") return MainMenu::kSundrel;
  return MainMenu::kNeutral;
}

// The opening tag of each letter of the three word buttons.
std::string ButtonLetterTag(const std::string& id, std::size_t) {
  if (id == "play-button") {
    return "<span class=\"scrambled-letter\" style=\"font-size: 13.0vh; font-family: Teko; "
           "text-transform: uppercase; \">";
  }
  if (id == "credits-button") {
    return "<span class=\"scrambled-letter\" style=\"font-size: 5.0vh; padding-top: 1.0vh; "
           "text-transform: uppercase;\" >";
  }
  return "<span class=\"scrambled-letter\"  style=\"font-size: 4.5vh; padding-top: 1.0vh; "
         "text-transform: uppercase;\" >";
}

}  // namespace

MainMenu::MainMenu()
    : BaseMenu("main_menu.rml"),
      scramble(LetterScramble::ClockSeed()),
      diary(std::make_unique<PerformanceDiary>()) {
  diary->DiaryEnsureLoaded();
  diary->DiaryAddListener([this] { RefreshDiary(); });
}

MainMenu::~MainMenu() {
  if (diary) diary->DiaryShutdown();
}

// ---------------------------------------------------------------------------------------------
// Helpers

bool MainMenu::DocumentVisible() const { return document != nullptr && document->IsVisible(); }

Rml::Element* MainMenu::Find(const std::string& id) const {
  return document != nullptr ? document->GetElementById(id) : nullptr;
}

void MainMenu::SetClass(const std::string& id, const std::string& name, bool on) {
  if (Rml::Element* element = Find(id)) element->SetClass(name, on);
}

void MainMenu::SetDecorator(Rml::Element* element, const std::string& value) {
  if (element != nullptr) element->SetProperty("decorator", value);
}

void MainMenu::PlayHoverSound() { PostMenuMessage("play_sfx menuHover 1.0 1.0 0.0 2"); }

double MainMenu::SteadySeconds() const {
  if (links.steadySeconds) return links.steadySeconds();
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---------------------------------------------------------------------------------------------
// Construction of the event table, show and update

void MainMenu::RegisterEventHandlers() {
  if (document == nullptr || !eventHandler) return;
  scramble.SetWord("play-button", "start");
  scramble.SetWord("credits-button", "diary");
  scramble.SetWord("exit-button", "quit");
  BuildButtonSpans();

  using Callable = RMLEventHandler::Callable;
  std::vector<std::tuple<std::string, std::string, Callable>> table;
  table.emplace_back("play-button", "click", [this](Rml::Event&) { OnPlay(); });
  table.emplace_back("credits-button", "click", [this](Rml::Event&) {
    if (!DocumentVisible()) return;
    PlayHoverSound();
    ToggleDiary();
  });
  table.emplace_back("exit-button", "click", [this](Rml::Event&) { OnExit(); });
  table.emplace_back("logo-button", "click", [this](Rml::Event&) { ToggleCredits(); });
  const auto chooseClan = [this](const std::string& clan) {
    return [this, clan](Rml::Event&) {
      if (!DocumentVisible()) return;
      PlayHoverSound();
      StopLogoFlip();
      ChooseClan(clan);
    };
  };
  table.emplace_back("left-section", "click", chooseClan("floreth"));
  table.emplace_back("right-section", "click", chooseClan("sundrel"));
  // The logos take the pointer for their own hover; a click on one chooses its half's clan,
  // as the listener calls only the target's own handler.
  table.emplace_back("floreth-logo", "click", chooseClan("floreth"));
  table.emplace_back("sundrel-logo", "click", chooseClan("sundrel"));
  table.emplace_back("hamburger-menu-column", "click", [this](Rml::Event&) {
    if (!DocumentVisible()) return;
    PlayHoverSound();
    ToggleSettings();
  });
  for (const char* id : {"play-button", "credits-button", "exit-button", "hamburger-menu-column",
                         "logo-button", "floreth-logo", "sundrel-logo", "header-column",
                         "side-text-column", "left-section", "right-section"}) {
    table.emplace_back(id, "mouseover",
                       [this](Rml::Event& event) { OnHoverEnter(event.GetTargetElement()); });
    table.emplace_back(id, "mouseout",
                       [this](Rml::Event& event) { OnHoverLeave(event.GetTargetElement()); });
  }
  for (int key = 0; key < 6; ++key) {
    table.emplace_back(kDiaryFilters[key], "click", [this, key](Rml::Event&) { OnDiaryFilter(key); });
  }
  table.emplace_back("performance-diary-tab", "click", [this](Rml::Event&) {
    if (document != nullptr) SelectDiaryTab("performance-diary");
  });
  table.emplace_back("leaderboards-tab", "click", [this](Rml::Event&) {
    if (document != nullptr) SelectDiaryTab("steam-promotion");
  });
  for (const auto& [id, group] : {std::pair{"audio-on", "audio-setting"},
                                  std::pair{"audio-off", "audio-setting"},
                                  std::pair{"fullscreen", "display-setting"},
                                  std::pair{"windowed", "display-setting"}}) {
    table.emplace_back(id, "click", [this, group = std::string(group)](Rml::Event& event) {
      SelectRadio(event.GetTargetElement(), group);
    });
  }
  table.emplace_back("apply-settings-menu-button", "click",
                     [this](Rml::Event&) { ApplySettings(); });
  // The options screen: volumes and the window's size.
  table.emplace_back("options-menu-button", "click", [this](Rml::Event&) {
    if (DocumentVisible()) PostMenuMessage("menu_transition 1");
  });

  for (auto& [id, type, callable] : table) {
    ListenToMenuElement(eventHandler.get(), document, id, type, std::move(callable));
  }
}

void MainMenu::Show() {
  BaseMenu::Show();
  chosenClan.clear();
  clanMessageShown = false;
  clanMessageTimer = 0.0f;
  messageReshowPending = false;
  shrinkReaddPending = false;
  retriggerTimer = 0.0f;
  settingsOpen = false;
  diaryOpen = false;
  hoveringClanArea = false;
  hoveredClanElements.clear();
  ResetCursor();
  ResetClanLook();
  if (document != nullptr) {
    Rml::Element* panels[] = {Find("credits-content"), Find("settings-content"),
                              Find("feature-coming-soon-content"), Find("default-content")};
    if (panels[0] && panels[1] && panels[2] && panels[3]) {
      for (int i = 0; i < 3; ++i) panels[i]->SetClass("visible", false);
      panels[3]->SetClass("visible", true);
    }
    // The sections' classes and the letters' decorators were reset by ResetClanLook.
    if (diary) diary->DiaryResort();
  }
  BuildButtonSpans();
  spriteTimer = 0.0f;
  if (document != nullptr) SetCharacterFrame(0);
}

void MainMenu::Update(float dt) {
  UpdateDiaryScroll(dt);
  UpdateCursor(dt);
  UpdateSprite(dt);
  UpdateLogoFlip(dt);
  UpdateClanMessage(dt, true);
  scramble.Update(document, dt);
  UpdateClanMessage(dt, false);
}

void MainMenu::AddDiaryEntry(const std::string& grade, int score, const std::string& runType,
                             const std::string& time, int timeMillis, bool completed) {
  if (diary) diary->DiaryAddEntry(grade, score, runType, time, timeMillis, completed);
}

// ---------------------------------------------------------------------------------------------
// Panels

void MainMenu::HidePanelsExcept(const std::string& panel) {
  for (const char* id : kPanels) {
    if (panel != id) SetClass(id, "visible", false);
  }
}

void MainMenu::ClearLogoToggle() { SetClass("logo-button", "toggled", false); }

void MainMenu::ShowDefaultPanel() {
  if (document == nullptr) return;
  HidePanelsExcept("default-content");
  SetClass("default-content", "visible", true);
  settingsOpen = false;
  diaryOpen = false;
  ClearLogoToggle();
}

bool MainMenu::Back() {
  Rml::Element* title = Find("default-content");
  if (!DocumentVisible() || title == nullptr || title->IsClassSet("visible")) return false;
  ShowDefaultPanel();
  return true;
}

void MainMenu::ToggleCredits() {
  if (!DocumentVisible()) return;
  PlayHoverSound();
  Rml::Element* credits = Find("credits-content");
  if (credits == nullptr) return;
  if (credits->IsClassSet("visible")) {
    ShowDefaultPanel();
    return;
  }
  HidePanelsExcept("credits-content");
  credits->SetClass("visible", true);
  settingsOpen = false;
  diaryOpen = false;
  SetClass("logo-button", "toggled", true);
}

void MainMenu::ToggleDiary() {
  if (document == nullptr || !diary) return;
  if (diaryOpen) {
    ShowDefaultPanel();
  } else {
    HidePanelsExcept("diary-content");
    diaryOpen = true;
    settingsOpen = false;
    SetClass("diary-content", "visible", true);
    RefreshDiary();
  }
  ClearLogoToggle();
}

void MainMenu::ToggleSettings() {
  if (document == nullptr) return;
  if (settingsOpen) {
    ShowDefaultPanel();
    return;
  }
  HidePanelsExcept("settings-content");
  SetClass("settings-content", "visible", true);
  if (settings.load) settings.load();
  const bool fullscreen = settings.fullscreen && settings.fullscreen();
  const bool muted = settings.muteAudio && settings.muteAudio();
  auto check = [this](const char* id, bool on) {
    if (Rml::Element* element = Find(id)) {
      if (on) {
        element->SetAttribute("checked", true);
      } else {
        element->RemoveAttribute("checked");
      }
    }
  };
  check("fullscreen", fullscreen);
  check("windowed", !fullscreen);
  check("audio-on", !muted);
  check("audio-off", muted);
  settingsOpen = true;
  diaryOpen = false;
  ClearLogoToggle();
}

void MainMenu::SelectRadio(Rml::Element* clicked, const std::string& group) {
  if (!DocumentVisible() || clicked == nullptr) return;
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

void MainMenu::ApplySettings() {
  if (!DocumentVisible()) return;
  Rml::Element* audioOn = Find("audio-on");
  Rml::Element* fullscreen = Find("fullscreen");
  const bool unmute = audioOn != nullptr && audioOn->HasAttribute("checked");
  const bool full = fullscreen != nullptr && fullscreen->HasAttribute("checked");
  PostMenuMessage(unmute ? "unmute" : "mute");
  PostMenuMessage(full ? "fullscreen" : "windowed");
  if (settings.save) settings.save();
}

void MainMenu::OnExit() {
  if (!DocumentVisible()) return;
  PlayHoverSound();
  PostMenuMessage("decs_exit", 4);
}

void MainMenu::OnPlay() {
  if (!DocumentVisible()) return;
  PlayHoverSound();
  ShowDefaultPanel();
  if (chosenClan.empty()) {
    ShowClanMessage();
    return;
  }
  if (links.setHudClan) links.setHudClan(chosenClan == "floreth" ? 2 : 1);
  if (links.clearMenuPause) links.clearMenuPause();
  if (links.tutorialCompleted && links.tutorialCompleted()) {
    if (links.setHudPlayerHealth) links.setHudPlayerHealth(kRunStartHealth);
    PostMenuMessage("InitRings 2");
    PostMenuMessage("scene level0ToLevel1Transition_scene");
  }
  PostMenuMessage("scene levelt_scene");
  if (links.rerollWeather) links.rerollWeather();
}

// ---------------------------------------------------------------------------------------------
// Clan choice and the target cursor

void MainMenu::ChooseClan(const std::string& word) {
  const double now = SteadySeconds();
  if (now - lastChoiceTime < kChoiceDebounceSeconds) return;
  lastChoiceTime = now;
  const std::string target = word == chosenClan ? std::string("neutral") : word;
  if (target != "neutral") {
    chosenClan = target;
    ApplyClanLook(target);
  } else {
    chosenClan.clear();
    ResetClanLook();
  }
  const ClanIndex index = ClanOf(target);
  if (cursor.running) {
    choices.clear();
    choices.push_back({index, target, now});
    if (index != cursor.to) {
      StopCursorTransition();
      StartQueuedChoice();
    }
  } else {
    cursor.to = index;
    cursor.stage = 1;
    cursor.elapsed = 0.0f;
    cursor.running = true;
    StartPart(kCursorParts[0]);
  }
}

void MainMenu::SetLetterDecorators(const char* florethMaterial, const char* sundrelMaterial) {
  if (document == nullptr) return;
  Rml::ElementList letters;
  document->GetElementsByClassName(letters, "normal-letter-3");
  if (!letters.empty()) SetDecorator(letters.front(), TextShader("LORETH", florethMaterial));
  letters.clear();
  document->GetElementsByClassName(letters, "normal-letter-1");
  if (!letters.empty()) SetDecorator(letters.front(), TextShader("UNDREL", sundrelMaterial));
}

void MainMenu::SetSquares(const std::string& decorator, const char* background) {
  if (document == nullptr) return;
  Rml::ElementList squares;
  document->GetElementsByClassName(squares, "square");
  for (Rml::Element* square : squares) {
    square->SetProperty("decorator", decorator);
    if (background != nullptr) square->SetProperty("background-color", background);
  }
}

void MainMenu::ApplyClanLook(const std::string& word) {
  const bool floreth = word == "floreth";
  if (!floreth && word != "sundrel") return;
  Rml::Element* left = Find("left-section");
  Rml::Element* right = Find("right-section");
  if (left && right) {
    left->SetClass("selected", floreth);
    left->SetClass("not-selected", !floreth);
    right->SetClass("selected", !floreth);
    right->SetClass("not-selected", floreth);
  }
  SetLetterDecorators(floreth ? kOpal : kObsidian, floreth ? kObsidian : kLightning);
  SetSquares(std::string("shader(\"") + (floreth ? kOpal : kLightning) + "\")", nullptr);
  SetDecorator(Find("floreth-logo"), floreth ? ShadedImageDecorator(kFlorethLogo, kOpal)
                                             : ImageDecorator(kFlorethLogo));
  SetDecorator(Find("sundrel-logo"), floreth ? ImageDecorator(kSundrelLogo)
                                             : ShadedImageDecorator(kSundrelLogo, kLightning));
}

void MainMenu::ResetClanLook() {
  Rml::Element* left = Find("left-section");
  Rml::Element* right = Find("right-section");
  if (left && right) {
    for (Rml::Element* section : {left, right}) {
      section->SetClass("selected", false);
      section->SetClass("not-selected", false);
    }
  }
  SetLetterDecorators(kObsidian, kObsidian);
  SetSquares("none", "#f5c04f");
  SetDecorator(Find("floreth-logo"), ImageDecorator(kFlorethLogo));
  SetDecorator(Find("sundrel-logo"), ImageDecorator(kSundrelLogo));
}

std::string MainMenu::TransitionClassName(int from, int to) {
  static const char* const kNames[3][3] = {
      {"", "to-floreth", "to-sundrel"},
      {"floreth-to-neutral", "", "floreth-to-sundrel"},
      {"sundrel-to-neutral", "sundrel-to-floreth", ""}};
  if (from < 0 || from > 2 || to < 0 || to > 2 || kNames[from][to][0] == '\0') return "";
  return std::string("animate-") + kNames[from][to];
}

void MainMenu::SetStateClass(const std::string& id, int clan) {
  Rml::Element* element = Find(id);
  if (element == nullptr) return;
  element->SetClass("state-neutral", false);
  element->SetClass("state-floreth", false);
  element->SetClass("state-sundrel", false);
  static const char* const kStates[] = {"state-neutral", "state-floreth", "state-sundrel"};
  if (clan >= 0 && clan <= 2) element->SetClass(kStates[clan], true);
}

void MainMenu::ClearAnimateClasses(const std::string& id) {
  Rml::Element* element = Find(id);
  if (element == nullptr) return;
  for (const char* name : kAnimateClasses) element->SetClass(name, false);
}

void MainMenu::StartPart(const char* id) {
  if (Find(id) == nullptr) return;
  ClearAnimateClasses(id);
  SetStateClass(id, cursor.to);
  const std::string animation = TransitionClassName(cursor.from, cursor.to);
  if (!animation.empty()) SetClass(id, animation, true);
}

void MainMenu::ResetCursor() {
  if (document == nullptr) return;
  for (const char* part : kCursorParts) {
    SetStateClass(part, kNeutral);
    ClearAnimateClasses(part);
  }
  cursor = CursorTransition{};
  choices.clear();
}

void MainMenu::StopCursorTransition() {
  if (!cursor.running) return;
  cursor.running = false;
  cursor.stage = 0;
  cursor.elapsed = 0.0f;
  for (const char* part : kCursorParts) ClearAnimateClasses(part);
  cursor.from = cursor.to;
}

void MainMenu::FinishCursorTransition() {
  cursor.running = false;
  for (const char* part : kCursorParts) ClearAnimateClasses(part);
  cursor.from = cursor.to;
  cursor.stage = 0;
  cursor.elapsed = 0.0f;
  if (!choices.empty()) StartQueuedChoice();
}

void MainMenu::StartQueuedChoice() {
  if (choices.empty()) return;
  const ClanChoice newest = choices.back();
  choices.clear();
  cursor.to = ClanOf(newest.word);
  cursor.stage = 1;
  cursor.elapsed = 0.0f;
  cursor.running = true;
  StartPart(kCursorParts[0]);
}

void MainMenu::UpdateCursor(float dt) {
  if (!cursor.running) {
    if (!choices.empty()) StartQueuedChoice();
    return;
  }
  cursor.elapsed += dt;
  if (cursor.stage == 1 && cursor.elapsed >= 0.4f) {
    cursor.stage = 2;
    StartPart(kCursorParts[1]);
  }
  if (cursor.stage == 2 && cursor.elapsed >= 0.8f) {
    cursor.stage = 3;
    StartPart(kCursorParts[2]);
  }
  if (cursor.stage == 3 && cursor.elapsed >= 1.4000001f) FinishCursorTransition();
}

// ---------------------------------------------------------------------------------------------
// The "pick your clan" message

void MainMenu::ShowClanMessage() {
  Rml::Element* message = Find("clan-selection-message");
  Rml::Element* floreth = Find("floreth-logo");
  Rml::Element* sundrel = Find("sundrel-logo");
  if (!message || !floreth || !sundrel) return;
  if (!clanMessageShown) {
    message->SetClass("visible", true);
    floreth->SetClass("shrink-warning", true);
    sundrel->SetClass("shrink-warning", true);
    clanMessageTimer = kClanMessageSeconds;
    clanMessageShown = true;
    return;
  }
  // Taking the classes off and putting them back a moment later restarts their animations.
  message->SetClass("visible", false);
  floreth->SetClass("shrink-warning", false);
  sundrel->SetClass("shrink-warning", false);
  messageReshowPending = true;
  shrinkReaddPending = true;
  retriggerTimer = kRetriggerSeconds;
}

void MainMenu::RestartShrinkWarning() {
  SetClass("floreth-logo", "shrink-warning", true);
  SetClass("sundrel-logo", "shrink-warning", true);
}

void MainMenu::HideClanMessage() {
  SetClass("clan-selection-message", "visible", false);
  Rml::Element* floreth = Find("floreth-logo");
  Rml::Element* sundrel = Find("sundrel-logo");
  if (floreth && sundrel) {
    for (Rml::Element* logo : {floreth, sundrel}) {
      logo->SetClass("shrink-warning", false);
      logo->SetClass("pulse-warning", false);
    }
  }
  clanMessageShown = false;
  clanMessageTimer = 0.0f;
}

void MainMenu::UpdateClanMessage(float dt, bool retrigger) {
  if (retrigger) {
    if (!messageReshowPending && !shrinkReaddPending) return;
    retriggerTimer -= dt;
    if (retriggerTimer > 0.0f) return;
    if (messageReshowPending) {
      SetClass("clan-selection-message", "visible", true);
      clanMessageTimer = kClanMessageSeconds;
      clanMessageShown = true;
      messageReshowPending = false;
    }
    if (shrinkReaddPending) {
      RestartShrinkWarning();
      shrinkReaddPending = false;
    }
    return;
  }
  if (!clanMessageShown) return;
  clanMessageTimer -= dt;
  if (clanMessageTimer <= 0.0f) HideClanMessage();
}

// ---------------------------------------------------------------------------------------------
// The idle logo flip

void MainMenu::UpdateLogoFlip(float dt) {
  Rml::Element* title = Find("default-content");
  if (!chosenClan.empty() || !DocumentVisible() || title == nullptr ||
      !title->IsClassSet("visible")) {
    ResetLogoFlip();
    return;
  }
  if (hoveringClanArea) return;
  if (flip.hold > 0.0f) {
    flip.hold -= dt;
    if (flip.hold > 0.0f) return;
    flip.hold = 0.0f;
    flip.waiting = false;
    return;
  }
  if (flip.secondPending) {
    flip.secondDelay -= dt;
    if (flip.secondDelay <= 0.0f) {
      if (Rml::Element* second = Find(flip.secondLogo)) {
        ClearFlipClasses(second);
        second->SetClass(flip.secondClass, true);
      }
      flip.secondPending = false;
    }
  }
  if (flip.running) {
    flip.elapsed += dt;
    if (flip.elapsed >= kFlipSeconds) EndLogoFlip();
    return;
  }
  if (!flip.waiting) {
    flip.side = 0;
    flip.running = true;
    flip.elapsed = 0.0f;
    flip.interval = 0.0f;
    StartLogoFlip(true);
    return;
  }
  flip.interval += dt;
  if (flip.interval < kFlipWaitSeconds) return;
  flip.side = 1 - flip.side;
  flip.running = true;
  flip.waiting = false;
  flip.elapsed = 0.0f;
  flip.interval = 0.0f;
  StartLogoFlip(flip.side == 0);
}

void MainMenu::StartLogoFlip(bool right) {
  Rml::Element* floreth = Find("floreth-logo");
  Rml::Element* sundrel = Find("sundrel-logo");
  if (!floreth || !sundrel) return;
  ClearFlipClasses(floreth);
  ClearFlipClasses(sundrel);
  const char* name = right ? "smooth-flip-right" : "smooth-flip-left";
  (right ? floreth : sundrel)->SetClass(name, true);
  flip.secondLogo = right ? "sundrel-logo" : "floreth-logo";
  flip.secondClass = name;
  flip.secondDelay = kFlipSecondDelay;
  flip.secondPending = true;
}

void MainMenu::EndLogoFlip() {
  Rml::Element* floreth = Find("floreth-logo");
  Rml::Element* sundrel = Find("sundrel-logo");
  if (floreth && sundrel) {
    ClearFlipClasses(floreth);
    ClearFlipClasses(sundrel);
  }
  const float hold = flip.hold;
  const int side = flip.side;
  flip = LogoFlip{};
  flip.waiting = true;
  flip.hold = hold;
  flip.side = side;
}

void MainMenu::StopLogoFlip() {
  ClearFlipClasses(Find("floreth-logo"));
  ClearFlipClasses(Find("sundrel-logo"));
  const float hold = flip.hold;
  const int side = flip.side;
  flip = LogoFlip{};
  flip.hold = hold;
  flip.side = side;
}

void MainMenu::ResetLogoFlip() {
  if (document == nullptr) return;
  StopLogoFlip();
  flip.side = 0;
}

void MainMenu::ClearFlipClasses(Rml::Element* element) {
  if (element == nullptr) return;
  for (const char* name : kFlipClasses) element->SetClass(name, false);
}

// ---------------------------------------------------------------------------------------------
// Hover: the clan area, the scrambled letters

void MainMenu::OnHoverEnter(Rml::Element* target) {
  if (target == nullptr || !DocumentVisible()) return;
  const std::string& id = target->GetId();
  if (IsClanArea(id)) {
    hoveringClanArea = true;
    hoveredClanElements.insert(id);
  }
  target->SetClass("scrambling", true);
  std::cout << id << std::flush;
  if (id == "play-button" && chosenClan.empty()) {
    scramble.SetWord("play-button", "Pick");
    scramble.SetWord("credits-button", "your");
    scramble.SetWord("exit-button", "clan");
    BuildButtonSpans();
    StartPickYourClan();
  } else {
    scramble.Start(document, id);
  }
}

void MainMenu::OnHoverLeave(Rml::Element* target) {
  if (target == nullptr || !DocumentVisible()) return;
  const std::string& id = target->GetId();
  if (IsClanArea(id)) {
    hoveredClanElements.erase(id);
    bool stillInside = false;
    for (const char* each : kClanAreaIds) stillInside |= hoveredClanElements.count(each) != 0;
    if (!stillInside) {
      hoveringClanArea = false;
      StopLogoFlip();
      flip.hold = kClanAreaHoldSeconds;
    }
  }
  if (id == "header-column") return;
  target->SetClass("scrambling", false);
  scramble.Leave(document, target);
  if (id == "play-button" && chosenClan.empty()) {
    scramble.SetWord("play-button", "start");
    scramble.SetWord("credits-button", "diary");
    scramble.SetWord("exit-button", "quit");
    scramble.Clear();
    BuildButtonSpans();
  }
}

void MainMenu::BuildLetterSpans(const std::string& id) {
  scramble.BuildLetterSpans(document, id, ButtonLetterTag);
}

void MainMenu::BuildButtonSpans() {
  for (const char* id : kButtons) BuildLetterSpans(id);
}

void MainMenu::StartPickYourClan() {
  scramble.Clear();
  scramble.Add("play-button", -0.0f);
  scramble.Add("credits-button", -0.3f);
  scramble.Add("exit-button", -0.45f);
  for (const char* id : kButtons) SetClass(id, "scrambling", true);
}

// ---------------------------------------------------------------------------------------------
// The walking character

std::string MainMenu::SpriteFramePath(int frame, bool back) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", frame + 1);
  return std::string(back ? "GAME/Assets/RML/images/character_back/Vov_walking_back_"
                          : "GAME/Assets/RML/images/character_front/Vov_walking_front_") +
         number + ".png";
}

void MainMenu::SetCharacterFrame(int frame) {
  SetDecorator(Find("character-sprite"), ImageDecorator(SpriteFramePath(frame, false)));
  SetDecorator(Find("character-shadow"), ImageDecorator(SpriteFramePath(frame, true)));
}

void MainMenu::UpdateSprite(float dt) {
  if (!DocumentVisible()) return;
  spriteTimer += dt;
  if (spriteTimer < kSpriteFrameSeconds) return;
  spriteTimer -= kSpriteFrameSeconds;
  spriteFrame = (spriteFrame + 1) % kSpriteFrames;
  SetCharacterFrame(spriteFrame);
}

// ---------------------------------------------------------------------------------------------
// The diary panel

const char* MainMenu::SortKeyName(DiarySortKey key) {
  switch (key) {
    case DiarySortKey::Grade: return "Grade";
    case DiarySortKey::Score: return "Score";
    case DiarySortKey::RunType: return "Run Type";
    case DiarySortKey::Time: return "Time";
    case DiarySortKey::Date: return "Date";
    case DiarySortKey::Completed: return "Completed";
  }
  return "Unknown";
}

std::string MainMenu::DiaryRows(const std::vector<DiaryEntry>& entries) {
  if (entries.empty()) {
    return "<tr><td colspan=\"6\" class=\"diary-empty\">No entries recorded yet</td></tr>";
  }
  using Rml::StringUtilities::EncodeRml;
  std::string rows;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DiaryEntry& entry = entries[i];
    const std::string grade = EncodeRml(entry.grade);
    rows += "<tr class=\"diary-row\" data-entry-index=\"" + std::to_string(i) + "\">";
    rows += "<td class=\"diary-cell\" data-grade=\"" + grade + "\">" + grade + "</td>";
    rows += "<td class=\"diary-cell\">" + std::to_string(entry.score) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.runType) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.time) + "</td>";
    rows += "<td class=\"diary-cell\">" + EncodeRml(entry.date) + "</td>";
    rows += "<td class=\"diary-cell ";
    rows += entry.completed ? "diary-completed-yes" : "diary-completed-no";
    rows += "\" style=\"";
    rows += entry.completed ? "color: #11daf5ff;" : "color: #ff69b4;";
    rows += " font-weight: bold;\" title=\"Run completion status\">";
    rows += entry.completed ? "YES" : "NO";
    rows += "</td></tr>";
  }
  return rows;
}

void MainMenu::RefreshDiary() {
  if (!diaryOpen || document == nullptr || !diary) return;
  RenderDiaryTable();
  if (Rml::Element* count = Find("diary-entry-count")) {
    count->SetInnerRML("• Total Runs: " + std::to_string(diary->Entries().size()) + " •");
  }
  if (Rml::Element* order = Find("diary-filter-display")) {
    order->SetInnerRML(std::string("Filter by: ") + SortKeyName(diary->SortKey()));
  }
}

void MainMenu::RenderDiaryTable() {
  if (document == nullptr || !diary) return;
  Rml::Element* body = Find("diary-table-body");
  if (body == nullptr) return;
  body->SetInnerRML("");
  body->SetInnerRML(DiaryRows(diary->Entries()));
}

void MainMenu::OnDiaryFilter(int key) {
  if (!diary || key < 0 || key > 5) return;
  diary->DiarySetSortKey(static_cast<DiarySortKey>(key));
  if (document != nullptr) {
    for (const char* id : kDiaryFilters) SetClass(id, "active", false);
    SetClass(kDiaryFilters[key], "active", true);
  }
  PostMenuMessage("play_sfx menuHover 0.8 1.0 0.0 2");
}

void MainMenu::SelectDiaryTab(const std::string& tab) {
  for (const char* id : {"performance-diary-tab", "performance-diary-content", "leaderboards-tab",
                         "steam-promotion-content"}) {
    SetClass(id, "active", false);
  }
  Rml::Element* diaryTab = Find("performance-diary-tab");
  Rml::Element* leaderboardsTab = Find("leaderboards-tab");
  if (diaryTab) diaryTab->SetInnerRML("My Diary");
  if (leaderboardsTab) leaderboardsTab->SetInnerRML("Leaderboards");
  if (tab == "performance-diary") {
    if (diaryTab) {
      diaryTab->SetClass("active", true);
      diaryTab->SetInnerRML("• My Diary");
    }
    SetClass("performance-diary-content", "active", true);
    SetClass("diary-content", "showing-leaderboards", false);
  } else if (tab == "steam-promotion") {
    if (leaderboardsTab) {
      leaderboardsTab->SetClass("active", true);
      leaderboardsTab->SetInnerRML("• Leaderboards");
    }
    SetClass("steam-promotion-content", "active", true);
    SetClass("diary-content", "showing-leaderboards", true);
  }
  PostMenuMessage("play_sfx menuHover 0.8 1.0 0.0 2");
}

void MainMenu::ScrollDiaryTable(float wheel) {
  Rml::Element* box = Find(kDiaryScrollBox);
  if (box == nullptr || !std::isfinite(wheel)) return;
  // Under the pointer, the document library scrolls the table itself.
  const Rml::Context* context = document->GetContext();
  for (const Rml::Element* hovered = context != nullptr ? context->GetHoverElement() : nullptr;
       hovered != nullptr; hovered = hovered->GetParentNode()) {
    if (hovered == box) return;
  }
  // Whole steps downwards, as the library takes the wheel.
  const float steps = std::trunc(-wheel);
  box->SetScrollTop(box->GetScrollTop() + steps * Rml::Context::kWheelScrollStep);
}

void MainMenu::UpdateDiaryScroll(float dt) {
  if (document == nullptr || !diaryOpen) return;
  const float wheel = links.wheelDelta ? links.wheelDelta() : 0.0f;
  if (wheel != 0.0f) ScrollDiaryTable(wheel);
  if (!diaryScrollMode && wheel != 0.0f) {
    if (links.cursorPosition) savedCursor = links.cursorPosition();
    diaryScrollMode = true;
    if (links.setCursorHidden) links.setCursorHidden(true);
    if (Rml::Element* box = Find(kDiaryScrollBox)) {
      const Rml::Vector2f corner = box->GetAbsoluteOffset(Rml::BoxArea::Border);
      if (links.moveCursor) links.moveCursor({corner.x + 10.0f, corner.y + 10.0f});
    }
  }
  if (!diaryScrollMode) return;
  if (wheel != 0.0f) {
    diaryScrollTimer = kDiaryScrollSeconds;
    return;
  }
  diaryScrollTimer -= dt;
  if (diaryScrollTimer > 0.0f) return;
  if (links.moveCursor) links.moveCursor(savedCursor);
  if (links.setCursorHidden) links.setCursorHidden(false);
  diaryScrollMode = false;
}
