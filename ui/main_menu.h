#pragma once
// MainMenu: the title screen of "main_menu.rml": the two clan halves with their logos and the
// target cursor, the word buttons play / diary / exit with their scrambled letters, a walking
// character, and five panels of which one is shown at a time (title, credits, settings, diary,
// coming soon).
//
//   MainMenu menu;                          // creates and loads the performance diary
//   menu.SetLinks(links);                   // HUD, cursor, weather, ...
//   menu.SetSettingsLinks(settings);        // the settings panel
//   menu.SetDocumentHost(host);
//   menu.LoadDocument(context, handler);    // wires the event table below
//   menu.Show();                            // title state, no clan chosen
//   menu.Update(dt);                        // every frame while it is the open menu
//
// The menu reacts only to the document's events (through the RML event handler) and to the
// mouse wheel, which scrolls the diary's table wherever the pointer is while the diary panel is
// open. It wires those to its pieces and carries their results into the document: the clan
// choice and its cursor (ClanChoice) and the idle logo flip (LogoFlip) decide on plain values,
// the diary and settings panels (MainMenuDiaryPanel, MainMenuSettingsPanel) fill their own
// panels, the word buttons scramble through LetterScramble. What it does outside the document
// goes out as
// messages ("play_sfx ...", "scene ...", "InitRings 2", "mute", "fullscreen", "decs_exit") or
// through MainMenuLinks; an empty link is skipped. Elements are looked up by id at each use; a
// missing element skips only its own step. Main thread only.

#include <functional>
#include <glm/vec2.hpp>
#include <set>
#include <string>
#include <vector>

#include "ui/base_menu.h"
#include "ui/clan_choice.h"
#include "ui/letter_scramble.h"
#include "ui/logo_flip.h"
#include "ui/main_menu_diary_panel.h"
#include "ui/main_menu_settings_panel.h"
#include "ui/menu_settings_links.h"

namespace Rml {
class Element;
class Event;
}  // namespace Rml

class PerformanceDiary;

// What the main menu needs of the rest of the game.
struct MainMenuLinks {
  // The HUD's clan for the run.
  std::function<void(Clan clan)> setHudClan;
  // Clears the engine's menu pause, so the level runs once the menu closes.
  std::function<void()> clearMenuPause;
  // Whether the save marker says the tutorial was completed.
  std::function<bool()> tutorialCompleted;
  // Draws the weather's random choices anew for the coming run.
  std::function<void()> rerollWeather;
  // The mouse wheel's movement of this frame, the cursor position in window pixels, moving it,
  // and hiding it (true) or showing it again (false).
  std::function<float()> wheelDelta;
  std::function<glm::vec2()> cursorPosition;
  std::function<void(glm::vec2)> moveCursor;
  std::function<void(bool hidden)> setCursorHidden;
  // Seconds of a steady clock; the steady clock itself when empty.
  std::function<double()> steadySeconds;
};

class MainMenu : public BaseMenu {
 public:
  static constexpr int kSpriteFrames = 42;
  static constexpr float kSpriteFrameSeconds = 0.012f;
  static constexpr float kClanMessageSeconds = 5.0f;

  MainMenu();
  ~MainMenu() override;

  void SetLinks(MainMenuLinks value);
  void SetSettingsLinks(MenuSettingsLinks value) { settingsPanel.SetLinks(std::move(value)); }

  void Show() override;
  // dt in seconds.
  void Update(float dt) override;
  void RegisterEventHandlers() override;
  // Closes an open panel (credits, settings, diary) for the title view.
  bool Back() override;

  // A finished run for the diary; timeMillis is the run time in milliseconds.
  void AddDiaryEntry(const std::string& grade, int score, const std::string& runType,
                     const std::string& time, int timeMillis, bool completed);
  void HideClanMessage();

  PerformanceDiary* Diary() { return diaryPanel.Diary(); }
  // Neutral while no clan is chosen.
  Clan ChosenClan() const { return clanChoice.Chosen(); }
  const ClanChoice::Cursor& Cursor() const { return clanChoice.CursorState(); }
  const LogoFlip& Flip() const { return flip; }
  LetterScramble& Scramble() { return scramble; }
  int SpriteFrame() const { return spriteFrame; }
  bool DiaryScrolling() const { return diaryPanel.Scrolling(); }

  static std::string SpriteFramePath(int frame, bool back);

 protected:
  void DocumentChanged() override;

 private:
  bool DocumentVisible() const;
  Rml::Element* Find(const std::string& id) const;
  void SetClass(const std::string& id, const std::string& name, bool on);
  void SetDecorator(Rml::Element* element, const std::string& value);
  void PlayHoverSound();

  // Panels.
  void HidePanelsExcept(const std::string& panel);
  void ShowDefaultPanel();
  void ClearLogoToggle();
  void ToggleCredits();
  void ToggleDiary();
  void ToggleSettings();
  void OnPlay();
  void OnExit();

  // Clan choice and cursor.
  void ChooseClan(Clan half);
  void ApplyClanLook(Clan clan);
  void ResetClanLook();
  void SetLetterDecorators(const char* florethMaterial, const char* sundrelMaterial);
  void SetSquares(const std::string& decorator, const char* background);
  void ResetCursor();
  // Takes the cursor's steps and clears them.
  void ApplyCursorSteps(std::vector<ClanChoice::Step>& steps);
  void SetStateClass(const std::string& id, Clan clan);
  void ClearAnimateClasses(const std::string& id);
  void ShowClanMessage();
  void RestartShrinkWarning();
  void UpdateClanMessage(float dt, bool retrigger);

  // Logo flip.
  void UpdateLogoFlip(float dt);
  void StopLogoFlip();
  // Takes the flip's steps and clears them.
  void ApplyFlipSteps(std::vector<LogoFlip::Step>& steps);
  void ClearFlipClasses(Rml::Element* element);

  // Hover, scramble and sprite.
  void OnHoverEnter(Rml::Element* target);
  void OnHoverLeave(Rml::Element* target);
  void BuildLetterSpans(const std::string& id);
  void BuildButtonSpans();
  void StartPickYourClan();
  void UpdateSprite(float dt);
  void SetCharacterFrame(int frame);

  double SteadySeconds() const;

  LetterScramble scramble;
  ClanChoice clanChoice;
  bool clanMessageShown = false;
  float clanMessageTimer = 0.0f;
  bool messageReshowPending = false;
  bool shrinkReaddPending = false;
  float retriggerTimer = 0.0f;
  float spriteTimer = 0.0f;
  int spriteFrame = 0;
  LogoFlip flip;
  bool hoveringClanArea = false;
  std::set<std::string> hoveredClanElements;
  MainMenuDiaryPanel diaryPanel;
  MainMenuSettingsPanel settingsPanel;
  MainMenuLinks links;
};
