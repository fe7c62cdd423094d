#include "ui/menu_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "rml/rml.h"
#include "ui/base_menu.h"
#include "ui/game_hud.h"
#include "ui/menu_events.h"
#include "ui/options_menu.h"
#include "ui/pause_menu.h"
#include "ui/rml_event_handler.h"
#include "ui/rml_system.h"

namespace {

constexpr const char* kMainMenuScene = "main_menu_scene";
constexpr const char* kTutorialScene = "levelt_scene";
constexpr float kDefaultHintSeconds = 4.5f;

// Each level scene and the scene its scripts are told comes next.
struct LevelLink {
  const char* scene;
  const char* next;
};
constexpr LevelLink kLevelChain[] = {
    {"levelt_scene", "level0ToLevel1Transition_scene"},
    {"level0ToLevel1Transition_scene", "level1_scene"},
    {"level1_scene", "level1ToLevel2Transition_scene"},
    {"level1ToLevel2Transition_scene", "level2_scene"},
    {"level2_scene", "level2ToLevel3Transition_scene"},
    {"level2ToLevel3Transition_scene", "final_boss_test_scene"},
    {"final_boss_test_scene", "main_menu_scene"},
};

// Bosses the scripts name, the name shown and the health a spawn without one gets.
struct KnownBoss {
  const char* spelling;
  const char* name;
  int defaultHealth;
};
constexpr KnownBoss kKnownBosses[] = {
    {"BLISS FLORETH", "BLISS FLORETH", 2500},
    {"BLISS_FLORETH", "BLISS FLORETH", 2500},
    {"BIBERTY FLORETH", "BIBERTY FLORETH", 600},
    {"BIBERTY_FLORETH", "BIBERTY FLORETH", 600},
    {"VOLOK", "VOLOK", 300},
};
constexpr int kUnsetBossHealth = 1000;

// The integer at the start of the text after the command word ("word %d").
bool ReadIntAfterWord(const std::string& message, int& value) {
  std::string rest;
  GetMessageRest(message, rest);
  return ReadMessageInt(rest, value);
}

// A document host over the RML system; empty once the system is gone.
MenuDocumentHost HostOf(const std::shared_ptr<RMLSystem>& documents) {
  const std::weak_ptr<RMLSystem> weak = documents;
  MenuDocumentHost host;
  host.getOrLoadDocument = [weak](const std::string& path) -> Rml::ElementDocument* {
    const auto system = weak.lock();
    return system ? system->GetOrLoadDocument(path) : nullptr;
  };
  host.addMenuDocument = [weak](Rml::ElementDocument* document) {
    if (const auto system = weak.lock()) system->AddMenuDocument(document);
  };
  host.removeMenuDocument = [weak](Rml::ElementDocument* document) {
    if (const auto system = weak.lock()) system->RemoveMenuDocument(document);
  };
  host.showDocument = [weak](Rml::ElementDocument* document) {
    if (const auto system = weak.lock()) system->ShowDocument(document);
  };
  host.hideDocument = [weak](Rml::ElementDocument* document) {
    if (const auto system = weak.lock()) system->HideDocument(document);
  };
  return host;
}

}  // namespace

// The menus keep running while the pause menu holds the game: one of them is the pause menu.
MenuManager::MenuManager() { pausable = false; }

MenuManager::~MenuManager() = default;

void MenuManager::Init() {
  level = 1;
  if (!DECS::HasInstance()) return;
  if (const auto systems = DECS::Instance().GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<MenuManager>(), Signature{});
  }
}

void MenuManager::SetLinks(MenuManagerLinks value) {
  links = std::move(value);
  ApplyLinks();
}

void MenuManager::ApplyLinks() {
  if (hud) hud->SetLinks({.sendRingRange = links.sendRingRange, .hints = links.hints});
  if (const auto pause = std::dynamic_pointer_cast<PauseMenu>(GetMenu(kPauseMenu))) {
    pause->SetSettingsLinks(links.settings);
  }
  if (const auto options = std::dynamic_pointer_cast<OptionsMenu>(GetMenu(kOptionsMenu))) {
    options->SetSettingsLinks(links.settings);
  }
  if (const auto main = std::dynamic_pointer_cast<MainMenu>(GetMenu(kMainMenu))) {
    main->SetLinks(links.mainMenu);
    main->SetSettingsLinks(links.settings);
  }
}

void MenuManager::Attach(std::shared_ptr<RMLSystem> documents,
                         std::shared_ptr<RMLEventHandler> handler) {
  rmlSystem = std::move(documents);
  eventHandler = std::move(handler);
  initialised = rmlSystem != nullptr && eventHandler != nullptr;
  if (!initialised) return;
  CreateMenus();
  rmlSystem->HideAllDocuments();
}

void MenuManager::DetachDocuments() {
  Shutdown();
  hud.reset();
  initialised = false;
}

void MenuManager::CreateMenus() {
  AddMenu(kMainMenu, std::make_shared<MainMenu>());
  AddMenu(kOptionsMenu, std::make_shared<OptionsMenu>());
  AddMenu(kPauseMenu, std::make_shared<PauseMenu>());
  hud = std::make_shared<GameHUD>();
  ApplyLinks();
  if (rmlSystem == nullptr) return;
  hud->SetDocumentHost(HostOf(rmlSystem));
  if (Rml::Context* context = rmlSystem->GetContext()) hud->LoadDocument(context, eventHandler);
}

void MenuManager::AddMenu(int id, std::shared_ptr<BaseMenu> menu) {
  if (menu == nullptr) return;
  menus[id] = menu;
  ApplyLinks();
  if (!initialised || rmlSystem == nullptr) return;
  menu->SetDocumentHost(HostOf(rmlSystem));
  Rml::Context* context = rmlSystem->GetContext();
  if (context == nullptr) return;
  menu->LoadDocument(context, eventHandler);
  if (menu->Document() != nullptr) rmlSystem->AddMenuDocument(menu->Document());
}

std::shared_ptr<BaseMenu> MenuManager::GetMenu(int id) const {
  const auto found = menus.find(id);
  return found != menus.end() ? found->second : nullptr;
}

std::shared_ptr<BaseMenu> MenuManager::GetActiveMenu() const { return GetMenu(currentMenu); }

Rml::ElementDocument* MenuManager::OpenMenuDocument() const {
  if (!menuOpen) return nullptr;
  const auto active = GetActiveMenu();
  return active ? active->Document() : nullptr;
}

// Showing and hiding ----------------------------------------------------------------------------

void MenuManager::ShowMenu(int id) {
  if (id == currentMenu && menuOpen) return;
  const auto menu = GetMenu(id);
  if (menu == nullptr) return;
  Rml::Context* context = rmlSystem ? rmlSystem->GetContext() : nullptr;
  if (menu->Document() == nullptr && context != nullptr) menu->LoadDocument(context, eventHandler);
  if (rmlSystem) rmlSystem->HideMenuDocuments();
  if (menu->Document() == nullptr) return;
  menu->Show();
  currentMenu = id;
  if (rmlSystem) rmlSystem->AddMenuDocument(menu->Document());
  if (!menuOpen) Pause(id);
}

void MenuManager::Pause(int id) {
  menuOpen = true;
  HideHUD();
  Post(1, "mouse_mode normal");
  Post(1, "decs_pause");
  ShowMenu(id);
}

void MenuManager::Unpause() {
  if (!menuOpen) return;
  if (rmlSystem) {
    rmlSystem->HideMenuDocuments();
    ShowHUD();
  }
  menuOpen = false;
  Post(0, "mouse_mode locked");
  Post(1, "decs_unpause");
}

void MenuManager::ShowHUD() {
  if (hud && hud->Document() != nullptr) hud->Show();
}

void MenuManager::HideHUD() {
  if (hud && hud->Document() != nullptr) hud->Hide();
}

// Frames ----------------------------------------------------------------------------------------

void MenuManager::Update(float dt) {
  if (menuOpen) {
    if (const auto active = GetActiveMenu()) {
      // Escape or Backspace take the open menu a step back.
      if (links.backTriggered && links.backTriggered()) active->Back();
      active->Update(dt);
    }
  }
  const bool paused = DECS::HasInstance() && DECS::Instance().paused;
  if (paused) {
    const auto pause = GetMenu(kPauseMenu);
    if (pause && pause->Document() != nullptr && pause->Document()->IsVisible()) pause->Update(dt);
  }
  // The HUD's clocks and hints stand still while the pause menu holds the game.
  if (!menuOpen && !paused && hud) hud->Update(dt);
  if (hud && hud->Results().shown && links.skipTriggered && links.skipTriggered()) {
    Post(1, "scene main_menu_scene");
  }
}

void MenuManager::Shutdown() {
  menuOpen = false;
  menus.clear();
  rmlSystem.reset();
  eventHandler.reset();
}

// Messages --------------------------------------------------------------------------------------

void MenuManager::Post(int deliveryLevel, const std::string& text) {
  PostMenuMessage(text, deliveryLevel);
}

void MenuManager::Queue(int deliveryLevel, const std::string& text) {
  QueueMenuMessage(text, deliveryLevel);
}

void MenuManager::HandleMessage(const std::string& message) {
  if (HandleMenuWord(message)) return;
  HandleHudWord(message);
}

bool MenuManager::HandleMenuWord(const std::string& message) {
  std::string argument;
  int number = 0;
  float value = 0.0f;
  if (IsMessage(message, "show_main_menu")) {
    Post(1, "mouse_mode normal");
    Pause(kMainMenu);
  } else if (IsMessage(message, "hide_menu") || IsMessage(message, "hide_main_menu")) {
    Post(1, "mouse_mode locked");
    Unpause();
  } else if (IsMessage(message, "menu_transition")) {
    if (ReadIntAfterWord(message, number) && number <= kPauseMenu) ShowMenu(number);
  } else if (IsMessage(message, "reload_menus")) {
    ReloadMenus();
  } else if (IsMessage(message, "menu_init")) {
    MenuInit();
  } else if (IsMessage(message, "unloading_scene")) {
    if (ParseMessageArguments(message, argument) && argument == kMainMenuScene) leftMainMenu = true;
  } else if (IsMessage(message, "scene_load")) {
    if (!ParseMessageArguments(message, argument)) return true;
    if (hud) hud->HideBossInfo();
    OnSceneLoad(argument);
  } else if (IsMessage(message, "add_game_success_to_diary")) {
    AddRunToDiary(true);
  } else if (IsMessage(message, "add_game_failure_to_diary")) {
    AddRunToDiary(false);
  } else if (IsMessage(message, "set_master_volume") || IsMessage(message, "set_music_volume") ||
             IsMessage(message, "set_sfx_volume")) {
    if (!ParseMessageArguments(message, argument) || !ReadMessageFloat(argument, value))
      return true;
    // "set_" and "_volume" around the channel's name.
    const std::string_view word = GetMessageName(message);
    const std::string channel(word.substr(4, word.size() - 4 - 7));
    // Every volume keeps to 0..1, whichever range or script sent it.
    if (links.setVolume) links.setVolume(channel, std::clamp(value, 0.0f, 1.0f));
  } else if (IsMessage(message, "remove_notification")) {
    if (const auto options = std::dynamic_pointer_cast<OptionsMenu>(GetMenu(kOptionsMenu))) {
      options->RemoveToast();
    }
  } else {
    return false;
  }
  return true;
}

void MenuManager::OnSceneLoad(const std::string& scene) {
  if (scene == kMainMenuScene) {
    Post(1, "menu_transition 0");
    if (hud) {
      hud->HideResults();
      hud->ResetGradeCalculation();
    }
    return;
  }
  for (const LevelLink& link : kLevelChain) {
    if (scene != link.scene) continue;
    // The tutorial counts as a new run only when the player came from the main menu.
    const bool tutorial = scene == kTutorialScene;
    if (tutorial && !leftMainMenu) return;
    Post(0, "level_reset");
    if (tutorial) Post(1, "InitRings 0");
    Queue(1, std::string("lua_delayed_call SetNextScene ") + link.next);
    Post(1, "hide_menu");
    leftMainMenu = false;
    return;
  }
}

void MenuManager::MenuInit() {
  Rml::Context* context = rmlSystem ? rmlSystem->GetContext() : nullptr;
  if (context == nullptr) return;
  for (const auto& [id, menu] : menus) {
    if (menu) menu->FindDocument(context);
  }
  if (hud) hud->FindDocument(context);
}

void MenuManager::ReloadMenus() {
  Rml::Context* context = rmlSystem ? rmlSystem->GetContext() : nullptr;
  for (const auto& [id, menu] : menus) {
    if (menu) menu->ReloadDocument(context);
  }
}

namespace {

// Each word and what it asks of the HUD; a word whose numbers do not read does nothing.
struct HudCommand {
  std::string_view word;
  void (*apply)(MenuManager& menus, GameHUD& hud, const std::string& message);
};
constexpr HudCommand kHudCommands[] = {
    {"show_hud", [](MenuManager& menus, GameHUD&, const std::string&) { menus.ShowHUD(); }},
    {"hide_hud", [](MenuManager& menus, GameHUD&, const std::string&) { menus.HideHUD(); }},
    {"player_took_damage",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetTookDamage(); }},
    {"hud_update_score_with_time",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       std::string score;
       std::string time;
       int points = 0;
       float seconds = 0.0f;
       if (ParseMessageArguments(message, score, time) && ReadMessageInt(score, points) &&
           ReadMessageFloat(time, seconds)) {
         hud.UpdateScoreWithTime(points, seconds);
       }
     }},
    {"hud_update_score",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       std::string score;
       std::string unused;
       int points = 0;
       if (ParseMessageArguments(message, score, unused) && ReadMessageInt(score, points)) {
         hud.UpdateScore(points);
       }
     }},
    {"hud_set_game_time",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       std::string time;
       float seconds = 0.0f;
       if (ParseMessageArguments(message, time) && ReadMessageFloat(time, seconds)) {
         hud.SetGameTime(seconds);
       }
     }},
    {"hud_reset_grade_calculation",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.ResetGradeCalculation(); }},
    {"hud_set_grade_calculator_settings",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       std::string enabled;
       std::string scale;
       float value = 0.0f;
       if (ParseMessageArguments(message, enabled, scale) && ReadMessageFloat(scale, value)) {
         hud.SetGradeCalculatorSettings(enabled == "1", value);
       }
     }},
    {"hud_update_clan",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       if (int clan = 0; ReadIntAfterWord(message, clan)) hud.SetClan(ClanFromMessageNumber(clan));
     }},
    {"get_clan",
     [](MenuManager&, GameHUD& hud, const std::string&) {
       if (!DECS::HasInstance()) return;
       if (const auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
         messaging->ReplyFormatted("%i", ClanMessageNumber(hud.RunClan()));
       }
     }},
    {"leftkey_show",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetLeftKeycapVisible(true); }},
    {"leftkey_hide",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetLeftKeycapVisible(false); }},
    {"rightkey_show",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetRightKeycapVisible(true); }},
    {"rightkey_hide",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetRightKeycapVisible(false); }},
    {"player_is_locked",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetPlayerLocked(true); }},
    {"player_is_unlocked",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.SetPlayerLocked(false); }},
    {"boss_is_spawned",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       const BossSpawn boss = MenuManager::ParseBossSpawn(message);
       hud.UpdateBossName(boss.name);
       hud.UpdateBossHealth(boss.health, boss.health);
       hud.ShowBossInfo();
     }},
    {"boss_eliminated", [](MenuManager&, GameHUD& hud, const std::string&) { hud.HideBossInfo(); }},
    {"boss_health_update",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       if (int health = 0; ReadIntAfterWord(message, health)) hud.UpdateBossHealth(health, -1);
     }},
    {"bliss_killed", [](MenuManager&, GameHUD& hud, const std::string&) { hud.StopGameClock(); }},
    {"show_results",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       // "win" shows a won run; any other word a lost one.
       std::string outcome;
       if (!ParseMessageArguments(message, outcome)) return;
       hud.ShowResults(outcome == "win", hud.GetGradeResult().gradeText, hud.Score(),
                       hud.RunSeconds());
     }},
    {"hide_results", [](MenuManager&, GameHUD& hud, const std::string&) { hud.HideResults(); }},
    {"clan_selection_message_hide",
     [](MenuManager& menus, GameHUD&, const std::string&) {
       if (const auto main =
               std::dynamic_pointer_cast<MainMenu>(menus.GetMenu(MenuManager::kMainMenu))) {
         main->HideClanMessage();
       }
     }},
    {"player_health_update",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       if (int health = 0; ReadIntAfterWord(message, health)) hud.SetPlayerHealth(health);
     }},
    {"player_health_changed",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       if (int health = 0; ReadIntAfterWord(message, health)) hud.SetPlayerHealth(health);
     }},
    {"player_max_health_update",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       if (int health = 0; ReadIntAfterWord(message, health)) hud.SetPlayerMaxHealth(health);
     }},
    {"show_hint",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       // A wrong argument count leaves the words empty: an empty hint, which the queue drops.
       std::string text;
       std::string time;
       ParseMessageArguments(message, text, time);
       float seconds = kDefaultHintSeconds;
       if (!time.empty() && !ReadMessageFloat(time, seconds)) return;
       hud.ShowHint(text, seconds);
     }},
    {"show_hint_priority",
     [](MenuManager&, GameHUD& hud, const std::string& message) {
       std::string text;
       std::string time;
       std::string priority;
       ParseMessageArguments(message, text, time, priority);
       HintRequest request{text, kDefaultHintSeconds, priority.empty() ? "normal" : priority};
       if (!time.empty() && !ReadMessageFloat(time, request.duration)) return;
       hud.ShowHintWithPriority(request);
     }},
    {"clear_all_hints",
     [](MenuManager&, GameHUD& hud, const std::string&) { hud.ClearAllHints(); }},
};

}  // namespace

bool MenuManager::HandleHudWord(const std::string& message) {
  if (!hud) return false;
  for (const HudCommand& command : kHudCommands) {
    if (!IsMessage(message, command.word)) continue;
    command.apply(*this, *hud, message);
    return true;
  }
  return false;
}

// Runs ------------------------------------------------------------------------------------------

float MenuManager::RunSeconds() const { return hud ? hud->RunSeconds() : 0.0f; }

void MenuManager::AddRunToDiary(bool completed) {
  if (!hud) return;
  const GradeResult grade = hud->GetGradeResult();
  hud->StopGameClock();
  const float seconds = RunSeconds();
  const int ms = static_cast<int>(std::roundf(seconds * 1000.0f) + 0.5f);
  const std::string time = FormatRunTime(ms);
  const std::string runType = ClanRunType(hud->RunClan());
  if (const auto main = std::dynamic_pointer_cast<MainMenu>(GetMenu(kMainMenu))) {
    main->AddDiaryEntry(grade.gradeText, hud->Score(), runType, time, ms, completed);
  }
}

std::string MenuManager::FormatRunTime(int ms) {
  if (ms < 0) ms = 0;
  char text[32];
  const int hours = ms / 3600000;
  const int minutes = (ms % 3600000) / 60000;
  const int secs = (ms % 60000) / 1000;
  const int hundredths = (ms % 1000) / 10;
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", hours, minutes, secs, hundredths);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d.%02d", minutes, secs, hundredths);
  }
  return text;
}

BossSpawn MenuManager::ParseBossSpawn(const std::string& message) {
  BossSpawn boss;
  constexpr std::string_view kPrefix = "boss_is_spawned ";
  if (!message.starts_with(kPrefix)) return boss;
  const std::string rest = message.substr(kPrefix.size());
  const std::size_t space = rest.rfind(' ');
  int health = 0;
  if (space == std::string::npos) {
    boss.name = rest;
  } else if (ReadMessageInt(std::string_view(rest).substr(space + 1), health)) {
    boss.name = rest.substr(0, space);
    boss.health = health;
  } else {
    boss.name = rest;
  }
  for (const KnownBoss& known : kKnownBosses) {
    if (boss.name != known.spelling) continue;
    boss.name = known.name;
    if (boss.health == kUnsetBossHealth) boss.health = known.defaultHealth;
    return boss;
  }
  if (boss.name == "VOLOLOK" && boss.health == kUnsetBossHealth) boss.health = 1200;
  return boss;
}
