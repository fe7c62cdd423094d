#include "ui/main_menu.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

#include "rml/rml.h"
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

constexpr const char* kObsidian = "GAME/Assets/Materials/ObsidianMaterial.json";
constexpr const char* kOpal = "GAME/Assets/Materials/UIOpalShaderMaterial.json";
constexpr const char* kLightning = "GAME/Assets/Materials/UILightningMaterial.json";
constexpr const char* kFlorethLogo = "GAME/Assets/RML/images/Floreth_logo_scr.png";
constexpr const char* kSundrelLogo = "GAME/Assets/RML/images/Sundrel_logo_scr.png";

constexpr float kRetriggerSeconds = 0.05f;

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

MainMenu::MainMenu() : BaseMenu("main_menu.rml"), scramble(LetterScramble::ClockSeed()) {}

MainMenu::~MainMenu() = default;

void MainMenu::SetLinks(MainMenuLinks value) {
  links = std::move(value);
  diaryPanel.SetLinks(
      {links.wheelDelta, links.cursorPosition, links.moveCursor, links.setCursorHidden});
}

void MainMenu::DocumentChanged() {
  diaryPanel.SetDocument(document);
  settingsPanel.SetDocument(document);
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
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
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
  const auto chooseClan = [this](Clan clan) {
    return [this, clan](Rml::Event&) {
      if (!DocumentVisible()) return;
      PlayHoverSound();
      StopLogoFlip();
      ChooseClan(clan);
    };
  };
  table.emplace_back("left-section", "click", chooseClan(Clan::Floreth));
  table.emplace_back("right-section", "click", chooseClan(Clan::Sundrel));
  // The logos take the pointer for their own hover; a click on one chooses its half's clan,
  // as the listener calls only the target's own handler.
  table.emplace_back("floreth-logo", "click", chooseClan(Clan::Floreth));
  table.emplace_back("sundrel-logo", "click", chooseClan(Clan::Sundrel));
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
  for (int key = 0; key < MainMenuDiaryPanel::kSortKeys; ++key) {
    table.emplace_back(MainMenuDiaryPanel::SortButtonId(key), "click",
                       [this, key](Rml::Event&) { diaryPanel.SortBy(key); });
  }
  table.emplace_back("performance-diary-tab", "click",
                     [this](Rml::Event&) { diaryPanel.SelectTab("performance-diary"); });
  table.emplace_back("leaderboards-tab", "click",
                     [this](Rml::Event&) { diaryPanel.SelectTab("steam-promotion"); });
  for (const auto& [id, group] :
       {std::pair{"audio-on", "audio-setting"}, std::pair{"audio-off", "audio-setting"},
        std::pair{"fullscreen", "display-setting"}, std::pair{"windowed", "display-setting"}}) {
    table.emplace_back(id, "click", [this, group = std::string(group)](Rml::Event& event) {
      if (DocumentVisible()) settingsPanel.Select(event.GetTargetElement(), group);
    });
  }
  table.emplace_back("apply-settings-menu-button", "click", [this](Rml::Event&) {
    if (DocumentVisible()) settingsPanel.Apply();
  });
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
  clanChoice.ForgetChoice();
  clanMessageShown = false;
  clanMessageTimer = 0.0f;
  messageReshowPending = false;
  shrinkReaddPending = false;
  retriggerTimer = 0.0f;
  settingsPanel.Close();
  diaryPanel.Close();
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
    diaryPanel.Diary()->DiaryResort();
  }
  BuildButtonSpans();
  spriteTimer = 0.0f;
  if (document != nullptr) SetCharacterFrame(0);
}

void MainMenu::Update(float dt) {
  diaryPanel.Update(dt);
  std::vector<ClanChoice::Step> cursorSteps;
  clanChoice.Update(dt, cursorSteps);
  ApplyCursorSteps(cursorSteps);
  UpdateSprite(dt);
  UpdateLogoFlip(dt);
  UpdateClanMessage(dt, true);
  scramble.Update(document, dt);
  UpdateClanMessage(dt, false);
}

void MainMenu::AddDiaryEntry(const std::string& grade, int score, const std::string& runType,
                             const std::string& time, int timeMillis, bool completed) {
  diaryPanel.Diary()->DiaryAddEntry(grade, score, runType, time, timeMillis, completed);
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
  settingsPanel.Close();
  diaryPanel.Close();
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
  settingsPanel.Close();
  diaryPanel.Close();
  SetClass("logo-button", "toggled", true);
}

void MainMenu::ToggleDiary() {
  if (document == nullptr) return;
  if (diaryPanel.IsOpen()) {
    ShowDefaultPanel();
  } else {
    HidePanelsExcept("diary-content");
    settingsPanel.Close();
    diaryPanel.Open();
  }
  ClearLogoToggle();
}

void MainMenu::ToggleSettings() {
  if (document == nullptr) return;
  if (settingsPanel.IsOpen()) {
    ShowDefaultPanel();
    return;
  }
  HidePanelsExcept("settings-content");
  settingsPanel.Open();
  diaryPanel.Close();
  ClearLogoToggle();
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
  if (clanChoice.Chosen() == Clan::Neutral) {
    ShowClanMessage();
    return;
  }
  if (links.setHudClan) links.setHudClan(clanChoice.Chosen());
  if (links.clearMenuPause) links.clearMenuPause();
  if (links.tutorialCompleted && links.tutorialCompleted()) {
    PostMenuMessage("InitRings 2");
    PostMenuMessage("scene level0ToLevel1Transition_scene");
  }
  PostMenuMessage("scene levelt_scene");
  if (links.rerollWeather) links.rerollWeather();
}

// ---------------------------------------------------------------------------------------------
// Clan choice and the target cursor

void MainMenu::ChooseClan(Clan half) {
  std::vector<ClanChoice::Step> steps;
  if (!clanChoice.Choose(half, SteadySeconds(), steps)) return;
  if (clanChoice.Chosen() != Clan::Neutral) {
    ApplyClanLook(clanChoice.Chosen());
  } else {
    ResetClanLook();
  }
  ApplyCursorSteps(steps);
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

void MainMenu::ApplyClanLook(Clan clan) {
  const bool floreth = clan == Clan::Floreth;
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
  SetDecorator(Find("floreth-logo"),
               floreth ? ShadedImageDecorator(kFlorethLogo, kOpal) : ImageDecorator(kFlorethLogo));
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

void MainMenu::SetStateClass(const std::string& id, Clan clan) {
  Rml::Element* element = Find(id);
  if (element == nullptr) return;
  for (Clan each : {Clan::Neutral, Clan::Floreth, Clan::Sundrel}) {
    element->SetClass(ClanChoice::StateClass(each), each == clan);
  }
}

void MainMenu::ClearAnimateClasses(const std::string& id) {
  Rml::Element* element = Find(id);
  if (element == nullptr) return;
  for (const char* name : kAnimateClasses) element->SetClass(name, false);
}

void MainMenu::ApplyCursorSteps(std::vector<ClanChoice::Step>& steps) {
  for (const ClanChoice::Step& step : steps) {
    if (step.kind == ClanChoice::Step::Kind::StopAnimations) {
      for (const char* part : kCursorParts) ClearAnimateClasses(part);
      continue;
    }
    const char* id = kCursorParts[step.part];
    if (Find(id) == nullptr) continue;
    ClearAnimateClasses(id);
    SetStateClass(id, step.to);
    const std::string animation = ClanChoice::AnimationClass(step.from, step.to);
    if (!animation.empty()) SetClass(id, animation, true);
  }
  steps.clear();
}

void MainMenu::ResetCursor() {
  if (document == nullptr) return;
  for (const char* part : kCursorParts) {
    SetStateClass(part, Clan::Neutral);
    ClearAnimateClasses(part);
  }
  clanChoice.ResetCursor();
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
  if (document == nullptr) return;
  Rml::Element* title = Find("default-content");
  const bool idle = clanChoice.Chosen() == Clan::Neutral && DocumentVisible() && title != nullptr &&
                    title->IsClassSet("visible");
  std::vector<LogoFlip::Step> steps;
  flip.Update(dt, idle, hoveringClanArea, steps);
  ApplyFlipSteps(steps);
}

void MainMenu::StopLogoFlip() {
  std::vector<LogoFlip::Step> steps;
  flip.Stop(steps);
  ApplyFlipSteps(steps);
}

void MainMenu::ApplyFlipSteps(std::vector<LogoFlip::Step>& steps) {
  Rml::Element* floreth = Find("floreth-logo");
  Rml::Element* sundrel = Find("sundrel-logo");
  for (const LogoFlip::Step& step : steps) {
    if (step.kind == LogoFlip::Step::Kind::ClearBoth) {
      ClearFlipClasses(floreth);
      ClearFlipClasses(sundrel);
      continue;
    }
    // The logos flip as a pair: with one of them missing neither does.
    if (floreth == nullptr || sundrel == nullptr) continue;
    Rml::Element* logo = step.logo == LogoFlip::Logo::Floreth ? floreth : sundrel;
    ClearFlipClasses(logo);
    logo->SetClass(step.right ? "smooth-flip-right" : "smooth-flip-left", true);
  }
  steps.clear();
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
  if (id == "play-button" && clanChoice.Chosen() == Clan::Neutral) {
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
      std::vector<LogoFlip::Step> steps;
      flip.LeaveClanArea(steps);
      ApplyFlipSteps(steps);
    }
  }
  if (id == "header-column") return;
  target->SetClass("scrambling", false);
  scramble.Leave(document, target);
  if (id == "play-button" && clanChoice.Chosen() == Clan::Neutral) {
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
