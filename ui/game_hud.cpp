#include "ui/game_hud.h"

#include <algorithm>
#include <string_view>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "rml/rml.h"

namespace {

constexpr const char* kLightningMaterial = "./GAME/Assets/Materials/UILightningMaterial.json";
constexpr const char* kOpalMaterial = "./GAME/Assets/Materials/UIOpalShaderMaterial.json";
constexpr const char* kGradeMaterial = "./GAME/Assets/Materials/UIGradeMaterial.json";

constexpr const char* kMeterIds[] = {"meter-front-clan", "meter-clan-logo"};
constexpr const char* kMashIds[] = {"left-mash-keycap", "right-mash-keycap"};
constexpr const char* kHealthClasses[] = {"health-critical", "health-low", "health-good",
                                          "health-full"};
constexpr const char* kBossClasses[] = {"default", "final-boss", "biberty-floreth", "volok",
                                        "vololok"};  // by boss id

struct BossName {
  std::string_view name;
  int id;
};
constexpr BossName kBossNames[] = {
    {"BLISS FLORETH", 1},   {"BLISS_FLORETH", 1}, {"FINAL BOSS", 1}, {"BIBERTY FLORETH", 2},
    {"BIBERTY_FLORETH", 2}, {"VOLOK", 3},         {"VOLOLOK", 4},
};

MessagingManager* Messaging() {
  return DECS::HasInstance() ? DECS::Instance().GetManager<MessagingManager>().get() : nullptr;
}

void SendUniformFloat(const char* material, const char* name, float value) {
  if (MessagingManager* messaging = Messaging()) {
    messaging->PostFormatted("shader_uniform_update %s %s float %f", 0, material, name,
                             static_cast<double>(value));
  }
}

void SendUniformInt(const char* material, const char* name, int value) {
  if (MessagingManager* messaging = Messaging()) {
    messaging->PostFormatted("shader_uniform_update %s %s int %d", 0, material, name, value);
  }
}

}  // namespace

GameHUD::GameHUD() : BaseMenu("main_hud.rml") {
  calculator.SetTimePenaltyEnabled(true);
  calculator.Reset();
}

bool GameHUD::Has(const std::string& id) const {
  return document != nullptr && document->GetElementById(id) != nullptr;
}

void GameHUD::SetDisplay(const std::string& id, bool shown, const char* shownValue) {
  DocumentHudElements(document).SetProperty(id, "display", shown ? shownValue : "none");
}

void GameHUD::DocumentChanged() {
  scoreDisplay.Bind(document);
  hints.AttachDocument(document);
  if (document == nullptr) return;
  scoreDisplay.SetScore(score, clan);
  RefreshClanStyles();
  RefreshHealthDisplay();
}

void GameHUD::RegisterEventHandlers() {
  if (document == nullptr) return;
  if (results.shown) {
    // A document loaded again while the board is up shows the board as it stands.
    HideGameplayElements();
    DocumentHudElements elements(document);
    RestoreResults(results, elements);
  } else {
    SetDisplay("results-container", false, "flex");
  }
  hints.AttachDocument(document);
}

void GameHUD::Show() {
  BaseMenu::Show();
  if (document != nullptr) {
    scoreDisplay.Bind(document);
    scoreDisplay.SetScore(score, clan);
    RefreshClanStyles();
    leftKeycapShown = false;
    rightKeycapShown = false;
    playerLocked = false;
    mashTimer = 0.0f;
    mashPhase = false;
    ApplyMashClasses();  // removes both classes while not locked
    SetLeftKeycapVisible(false);
    SetRightKeycapVisible(false);
    SetPlayerLocked(false);
    HideResults();
  }
  hints.Clear();
}

void GameHUD::Update(float dt) {
  calculator.Tick(dt);
  const GradeResult grade = calculator.ComputeGrade();
  if (grade.gradeIndex != cachedGrade.gradeIndex) RefreshGradeDisplay(grade);
  cachedGrade = grade;

  scoreDisplay.Update(dt);
  hints.Update(dt);
  if (document == nullptr) return;
  ApplyKeycapVisibility();

  if (links.sendRingRange) {
    const float range = links.sendRingRange();
    DocumentHudElements elements(document);
    elements.SetClass("left-keycap", "active", range > 0.0f);
    elements.SetClass("right-keycap", "active", range < 0.0f);
    if (playerLocked) {
      mashTimer += dt;
      if (mashTimer >= kMashSwapSeconds) {
        mashTimer = 0.0f;
        mashPhase = !mashPhase;
        ApplyMashClasses();
      }
    }
  }
  // The board animates with or without input.
  if (results.shown) {
    DocumentHudElements elements(document);
    AdvanceResults(results, dt, elements);
  }
}

// ---- Clan, score and grade ----

void GameHUD::SetClanClass(const std::string& id) {
  DocumentHudElements elements(document);
  elements.SetClass(id, "sundrel", false);
  elements.SetClass(id, "floreth", false);
  elements.SetClass(id, clan == Clan::Floreth ? "floreth" : "sundrel", true);
}

void GameHUD::SetClan(Clan value) {
  clan = value;
  if (document == nullptr) return;
  // The score's digits carry the clan's material each (ApplyDigitMaterials); the score's own
  // element only takes the clan's class.
  SetClanClass("score-value");
  RefreshClanStyles();
}

void GameHUD::RefreshClanStyles() {
  if (document == nullptr) return;
  for (const char* id : kMeterIds) SetClanClass(id);
  scoreDisplay.SetScore(score, clan);
  ApplyDigitMaterials(score);
  RefreshGradeDisplay(calculator.ComputeGrade());
}

void GameHUD::ApplyDigitMaterials(int value) {
  const std::string text = std::to_string(value);
  const char* material = clan == Clan::Sundrel ? kLightningMaterial : kOpalMaterial;
  DocumentHudElements elements(document);
  for (std::size_t i = 0; i < text.size(); ++i) {
    elements.SetProperty("digit-" + std::to_string(i), "decorator",
                         TextShaderDecoratorValue(std::string(1, text[i]), material));
  }
}

void GameHUD::RefreshGradeDisplay(const GradeResult& grade) {
  if (document == nullptr) return;
  DocumentHudElements(document).SetProperty(
      "grade-value", "decorator", TextShaderDecoratorValue(grade.gradeText, kGradeMaterial));
  SendUniformFloat("UIGradeMaterial.json", "gradeLevel", static_cast<float>(grade.gradeIndex));
}

void GameHUD::UpdateScore(int value) {
  score = value;
  calculator.SetScore(static_cast<float>(value));
  if (document == nullptr) return;
  scoreDisplay.SetScore(score, clan);
  ApplyDigitMaterials(score);
  RefreshGradeDisplay(calculator.ComputeGrade());
}

void GameHUD::UpdateScoreWithTime(int value, float seconds) {
  score = value;
  calculator.SetScore(static_cast<float>(value));
  calculator.SetElapsed(seconds);
  cachedGrade = calculator.ComputeGrade();
  if (document == nullptr) return;
  RefreshGradeDisplay(cachedGrade);
  scoreDisplay.SetScore(score, clan);
  ApplyDigitMaterials(score);
}

void GameHUD::SetGameTime(float seconds) { calculator.SetElapsed(seconds); }

void GameHUD::ResetGradeCalculation() {
  calculator.Reset();
  cachedGrade = calculator.ComputeGrade();
}

void GameHUD::SetGradeCalculatorSettings(bool timePenaltyEnabled, float penaltyScale) {
  calculator.SetTimePenaltyEnabled(timePenaltyEnabled);
  calculator.SetPenaltyScale(penaltyScale);
}

void GameHUD::StopGameClock() { calculator.StopClock(); }

// ---- Health and boss ----

void GameHUD::SetPlayerHealth(int health) {
  playerHealth = health;
  healthFraction =
      playerMaxHealth > 0
          ? std::clamp(static_cast<float>(health) / static_cast<float>(playerMaxHealth), 0.0f, 1.0f)
          : 0.0f;
  RefreshHealthDisplay();
}

void GameHUD::SetPlayerMaxHealth(int maximum) {
  if (maximum <= 0) return;
  playerMaxHealth = maximum;
  SetPlayerHealth(playerHealth);
}

void GameHUD::RefreshHealthDisplay() {
  if (document == nullptr) return;
  DocumentHudElements elements(document);
  elements.SetInnerRml("player-health-value", std::to_string(playerHealth));
  const char* chosen = healthFraction <= 0.25f  ? "health-critical"
                       : healthFraction <= 0.5f ? "health-low"
                       : healthFraction < 1.0f  ? "health-good"
                                                : "health-full";
  for (const char* name : kHealthClasses) elements.SetClass("player-health-value", name, false);
  elements.SetClass("player-health-value", chosen, true);
  if (Has("health-hud-front-layer")) {
    SendUniformFloat("UIPlayerHealthMetreShaderMaterial.json", "healthPercentage", healthFraction);
  }
}

int GameHUD::BossIdForName(const std::string& name) {
  for (const BossName& row : kBossNames) {
    if (row.name == name) return row.id;
  }
  return 0;
}

void GameHUD::SetBossClass(const std::string& id) {
  DocumentHudElements elements(document);
  for (const char* name : kBossClasses) elements.SetClass(id, name, false);
  elements.SetClass(id, kBossClasses[bossId], true);
}

void GameHUD::UpdateBossName(const std::string& name) {
  bossName = name;
  bossId = BossIdForName(name);
  if (document == nullptr) return;
  DocumentHudElements(document).SetInnerRml("boss-name", name);
  SetBossClass("boss-name");
  SetBossClass("boss-health-value");
  SendBossUniforms();
}

void GameHUD::UpdateBossHealth(int health, int maximum) {
  bossHealth = health;
  if (maximum > 0) bossMaxHealth = maximum;
  if (document == nullptr) return;
  DocumentHudElements elements(document);
  elements.SetInnerRml("boss-health-value", std::to_string(health));
  SetBossClass("boss-health-value");
  elements.SetProperty("boss-health-bar-fill", "width", "100%");
  elements.SetProperty("boss-health-bar-fill", "height", "100%");
  SendBossUniforms();
}

void GameHUD::SendBossUniforms() {
  if (bossMaxHealth > 0) {
    bossFraction =
        std::clamp(static_cast<float>(bossHealth) / static_cast<float>(bossMaxHealth), 0.0f, 1.0f);
  }
  SendUniformFloat("UIBossHealthMaterial.json", "healthPercentageBoss", bossFraction);
  SendUniformInt("UIBossHealthMaterial.json", "bossName", bossId);
}

void GameHUD::ShowBossInfo() {
  bossActive = true;
  if (document == nullptr) return;
  DocumentHudElements elements(document);
  elements.SetProperty("boss-info-container", "display", "flex");
  elements.SetProperty("boss-info-container", "opacity", "1.0");
  SendBossUniforms();
}

void GameHUD::HideBossInfo() {
  bossActive = false;
  SetDisplay("boss-info-container", false, "flex");
}

// ---- Keycaps ----

void GameHUD::SetLeftKeycapVisible(bool visible) {
  leftKeycapShown = visible;
  ApplyKeycapVisibility();
}

void GameHUD::SetRightKeycapVisible(bool visible) {
  rightKeycapShown = visible;
  ApplyKeycapVisibility();
}

void GameHUD::SetPlayerLocked(bool locked) {
  playerLocked = locked;
  mashTimer = 0.0f;
  mashPhase = false;
  ApplyKeycapVisibility();
  ApplyMashClasses();
}

void GameHUD::ApplyKeycapVisibility() {
  // The keycaps belong to the play: none shows over the results board, whatever the scripts
  // asked for last (a run that is lost or won also locks the player).
  const bool playing = !results.shown;
  SetDisplay("left-keycap", playing && leftKeycapShown, "flex");
  SetDisplay("right-keycap", playing && rightKeycapShown, "flex");
  for (const char* id : kMashIds) SetDisplay(id, playing && playerLocked, "flex");
}

void GameHUD::ApplyMashClasses() {
  DocumentHudElements elements(document);
  // mashPhase: the left keycap is the large one.
  const bool leftLarge = playerLocked && mashPhase;
  const bool rightLarge = playerLocked && !mashPhase;
  elements.SetClass("left-mash-keycap", "mash-animate-large", leftLarge);
  elements.SetClass("left-mash-keycap", "mash-animate-small", playerLocked && !leftLarge);
  elements.SetClass("right-mash-keycap", "mash-animate-large", rightLarge);
  elements.SetClass("right-mash-keycap", "mash-animate-small", playerLocked && !rightLarge);
}

// ---- Results ----

void GameHUD::ShowResults(bool won, const std::string& grade, int value, float seconds) {
  const ResultsRun run{won, clan, grade, value, seconds};
  HideGameplayElements();
  DocumentHudElements elements(document);
  StartResults(results, run, elements);
}

void GameHUD::HideResults() {
  results.shown = false;
  SetDisplay("results-container", false, "flex");
  SetDisplay("power-meter-system", true, "block");
  SetDisplay("health-hud-container", true, "block");
}

void GameHUD::HideGameplayElements() {
  for (const char* id : {"power-meter-system", "health-hud-container", "boss-info-container",
                         "left-keycap", "right-keycap", "left-mash-keycap", "right-mash-keycap"}) {
    SetDisplay(id, false, "flex");
  }
  hints.Clear();
}
