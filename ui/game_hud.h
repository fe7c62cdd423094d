#pragma once
// GameHUD: the in-game overlay of "main_hud.rml": player health, the power meter in the clan's
// colours, the score as popping digits, the live grade, the boss panel, the two hand keycaps
// with their mash prompts, the hint dialogs and, at the end of a run, the results board.
//
//   GameHUD hud;
//   hud.SetDocumentHost(host);
//   hud.LoadDocument(context, handler);   // "main_hud.rml", wired at once
//   hud.Show();                           // play state: meter and health shown, the rest hidden
//   hud.UpdateScore(1205);                // digits, their materials and the grade
//   hud.Update(dt);                       // every frame while no menu is open
//   hud.ShowResults(true, "A", 1205, 125.9f);
//
// The HUD reads no messages: its owner calls these operations. It sends the shader values of
// its materials as "shader_uniform_update" messages. Elements are looked up by id at each use
// and a missing element skips only its own step; the only handle kept is the document, which
// the base menu replaces after reloads (FindDocument on "menu_init"). Operations store their
// values without a document too, so a document given later shows the current state.
// The meter and the results board show Floreth's look for Floreth and Sundrel's for any other
// clan; the score's digits show Sundrel's for Sundrel and Floreth's for any other.

#include <functional>
#include <string>

#include "ui/base_menu.h"
#include "ui/clan.h"
#include "ui/grade_calculator.h"
#include "ui/hint_queue.h"
#include "ui/results_board.h"
#include "ui/score_display.h"

// What the HUD needs of the rest of the game.
struct GameHUDLinks {
  // The range value of the SEND_RING action (> 0 lights the left keycap, < 0 the right one);
  // empty while there is no input.
  std::function<float()> sendRingRange;
  // The scene and its entities, for the tutorial hints that wait for the boss.
  HintQueueContext hints;
};

class GameHUD : public BaseMenu {
 public:
  static constexpr float kMashSwapSeconds = 0.48f;

  GameHUD();

  void SetLinks(GameHUDLinks value) {
    links = std::move(value);
    hints.SetContext(links.hints);
  }
  HintQueue& Hints() { return hints; }

  void Show() override;
  void Update(float dt) override;
  // Hides the results (or, while they are shown, puts the board on the new document as it
  // stands) and hands the document to the hint queue.
  void RegisterEventHandlers() override;

  void SetClan(Clan clan);
  void UpdateScore(int score);
  void UpdateScoreWithTime(int score, float seconds);
  void SetGameTime(float seconds);
  void ResetGradeCalculation();
  void SetGradeCalculatorSettings(bool timePenaltyEnabled, float penaltyScale);
  void StopGameClock();
  // The run's time in seconds (frozen once the game clock is stopped).
  float RunSeconds() const { return calculator.RunTime(); }
  void SetTookDamage() { calculator.SetTookDamage(true); }
  GradeResult GetGradeResult() const { return calculator.ComputeGrade(); }

  void SetPlayerHealth(int health);
  // A maximum that is not positive is ignored.
  void SetPlayerMaxHealth(int maximum);
  void UpdateBossName(const std::string& name);
  // A maximum that is not positive keeps the previous one (-1 by convention).
  void UpdateBossHealth(int health, int maximum);
  void ShowBossInfo();
  void HideBossInfo();
  void SetLeftKeycapVisible(bool visible);
  void SetRightKeycapVisible(bool visible);
  void SetPlayerLocked(bool locked);

  void ShowResults(bool won, const std::string& grade, int score, float seconds);
  void HideResults();
  void HideGameplayElements();

  void ShowHint(const std::string& text, float seconds) { hints.ShowText(text, seconds); }
  void ShowHintWithPriority(const HintRequest& request) { hints.Enqueue(request); }
  void ShowTutorialHint(int code) { hints.ShowTutorialHint(code); }
  void ClearAllHints() { hints.Clear(); }

  // Bosses by name: 0 default, 1 final boss, 2 Biberty, 3 Volok, 4 Vololok.
  static int BossIdForName(const std::string& name);

  Clan RunClan() const { return clan; }
  int Score() const { return score; }
  float HealthFraction() const { return healthFraction; }
  int BossId() const { return bossId; }
  bool BossActive() const { return bossActive; }
  bool PlayerLocked() const { return playerLocked; }
  bool MashPhase() const { return mashPhase; }
  const ResultsBoard& Results() const { return results; }
  const ScoreDisplay& Digits() const { return scoreDisplay; }
  const GradeResult& CachedGrade() const { return cachedGrade; }

 protected:
  // The score digits and the hint queue follow the document; a new one shows the current state.
  void DocumentChanged() override;

 private:
  void SetClanClass(const std::string& id);
  void RefreshClanStyles();
  void ApplyDigitMaterials(int value);
  void RefreshGradeDisplay(const GradeResult& grade);
  void RefreshHealthDisplay();
  void SetBossClass(const std::string& id);
  void SendBossUniforms();
  void ApplyKeycapVisibility();
  void ApplyMashClasses();
  void SetDisplay(const std::string& id, bool shown, const char* shownValue);
  bool Has(const std::string& id) const;

  GameHUDLinks links;

  Clan clan = Clan::Sundrel;
  int score = 0;
  GradeCalculator calculator;
  GradeResult cachedGrade;
  ScoreDisplay scoreDisplay;

  bool leftKeycapShown = true;
  bool rightKeycapShown = true;
  bool playerLocked = false;
  float mashTimer = 0.0f;
  bool mashPhase = false;

  bool bossActive = false;
  int bossHealth = 1000;
  int bossMaxHealth = 1000;
  std::string bossName = "Default";
  int bossId = 0;
  float bossFraction = 0.0f;  // the last boss fraction sent

  int playerHealth = 100;
  int playerMaxHealth = 100;
  float healthFraction = 1.0f;

  HintQueue hints;
  ResultsBoard results;
};
