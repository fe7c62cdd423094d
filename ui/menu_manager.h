#pragma once
// MenuManager: the game's screens and the level flow between scenes.
//
// The manager owns the menus by id (0 main menu, 1 options menu, 2 pause menu; 3 means "none
// shown yet") and, apart from them, the in-game HUD. It decides which menu is open, frees or
// locks the mouse, shows or hides the HUD and updates whichever of them is current. Scripts,
// documents and other systems reach the HUD only through the words below, which the manager
// forwards to the HUD's operations.
//
//   auto menus = systems.RegisterSystem<MenuManager>();
//   menus->SetLinks(links);                    // input, settings and the volume receivers
//   menus->Attach(rmlSystem, eventHandler);    // builds and loads the menus and the HUD
//
// Two states: menus open (`menuOpen`: HUD hidden, mouse free, the current menu updates) and
// playing (menu documents hidden, HUD shown and updated, mouse locked). While the pause menu
// holds the game (DECS::paused) the HUD stands still, its clocks and hints included.
//
// Level flow: on "scene_load" of a level scene the manager queues
// "lua_delayed_call SetNextScene <next>", so the game's scripts know where the level leads; the
// levels run "levelt_scene", "level0ToLevel1Transition_scene", "level1_scene",
// "level1ToLevel2Transition_scene", "level2_scene", "level2ToLevel3Transition_scene",
// "final_boss_test_scene" and back to "main_menu_scene". A finished run goes to the main menu's
// diary ("add_game_success_to_diary", "add_game_failure_to_diary").
//
// Messages (a word whose numbers do not read does nothing):
//   show_main_menu | hide_menu | hide_main_menu | menu_transition ID (0..2) | reload_menus
//   menu_init (menus take their documents again after the RML system reloaded one)
//   show_hud | hide_hud | player_took_damage | hud_update_score_with_time SCORE SECONDS
//   hud_update_score SCORE X | hud_set_game_time SECONDS | hud_reset_grade_calculation
//   hud_set_grade_calculator_settings ENABLED SCALE | hud_update_clan CLAN | get_clan (replies)
//   leftkey_show | leftkey_hide | rightkey_show | rightkey_hide
//   unloading_scene NAME | scene_load NAME | player_is_locked | player_is_unlocked
//   boss_is_spawned NAME [HEALTH] | boss_eliminated | boss_health_update HEALTH | bliss_killed
//   show_results WORD | hide_results | add_game_success_to_diary | add_game_failure_to_diary
//   clan_selection_message_hide | player_health_update H | player_health_changed H
//   player_max_health_update H | show_hint TEXT SECONDS | show_hint_priority TEXT SECONDS PRIO
//   clear_all_hints | set_master_volume V | set_music_volume V | set_sfx_volume V (held to 0..1)
//   remove_notification (the options menu's toast goes)

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "ui/hint_queue.h"
#include "ui/main_menu.h"
#include "ui/menu_settings_links.h"

class BaseMenu;
class GameHUD;
class RMLEventHandler;
class RMLSystem;

namespace Rml {
class ElementDocument;
}  // namespace Rml

// What the manager needs of the rest of the game; empty members do nothing.
struct MenuManagerLinks {
  // SKIP became pressed in the last update (leaves the results board).
  std::function<bool()> skipTriggered;
  // UI_BACK became pressed in the last update: the open menu goes back a step.
  std::function<bool()> backTriggered;
  // The range value of SEND_RING, for the HUD's keycaps.
  std::function<float()> sendRingRange;
  // The scene and its entities, for the HUD's tutorial hints.
  HintQueueContext hints;
  // A volume range moved: "master", "music" or "sfx", 0..1.
  std::function<void(const std::string& channel, float volume)> setVolume;
  MenuSettingsLinks settings;
  // The main menu's reach into the game (HUD, scenes, weather, cursor).
  MainMenuLinks mainMenu;
};

// A boss as "boss_is_spawned" names it.
struct BossSpawn {
  std::string name;
  int health = 1000;
};

class MenuManager : public BaseSystem {
 public:
  static constexpr int kMainMenu = 0;
  static constexpr int kOptionsMenu = 1;
  static constexpr int kPauseMenu = 2;
  static constexpr int kNoMenu = 3;

  MenuManager();
  ~MenuManager() override;

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Shutdown() override;

  // Applies to the menus made afterwards and to those that exist.
  void SetLinks(MenuManagerLinks value);
  // Takes the RML system and the event handler; with both, builds the menus and the HUD and
  // hides every document.
  void Attach(std::shared_ptr<RMLSystem> documents, std::shared_ptr<RMLEventHandler> handler);

  // Lets go of the menus, the HUD and the RML systems, before the document library shuts down;
  // menu and HUD words then do nothing.
  void DetachDocuments();

  void CreateMenus();
  // Stores (or replaces) the menu under `id` and loads it when the documents are there. An
  // empty handle is ignored.
  void AddMenu(int id, std::shared_ptr<BaseMenu> menu);
  void ShowMenu(int id);
  // Opens the menus on `id`.
  void Pause(int id);
  // Closes the menus and goes back to playing.
  void Unpause();
  void ShowHUD();
  void HideHUD();
  // The menu of `currentMenu`, or null.
  std::shared_ptr<BaseMenu> GetActiveMenu() const;
  // The document of the active menu while a menu is open, else null: the one menu document
  // the RML system keeps visible.
  Rml::ElementDocument* OpenMenuDocument() const;
  // The menu under `id`, or null; no entry is made.
  std::shared_ptr<BaseMenu> GetMenu(int id) const;
  // Records the finished run in the main menu's diary.
  void AddRunToDiary(bool completed);

  GameHUD* HUD() const { return hud.get(); }

  // "boss_is_spawned NAME [HEALTH]": the boss's name and health, known bosses by their own.
  static BossSpawn ParseBossSpawn(const std::string& message);
  // A run time of `ms` milliseconds as [h:]mm:ss.hh, hundredths cut, not rounded.
  static std::string FormatRunTime(int ms);

  int currentMenu = kNoMenu;
  bool initialised = false;
  bool menuOpen = true;
  bool leftMainMenu = false;

 private:
  void Post(int deliveryLevel, const std::string& text);
  void Queue(int deliveryLevel, const std::string& text);
  bool HandleMenuWord(const std::string& message);
  bool HandleHudWord(const std::string& message);
  void OnSceneLoad(const std::string& scene);
  void MenuInit();
  void ReloadMenus();
  float RunSeconds() const;
  void ApplyLinks();

  MenuManagerLinks links;
  std::shared_ptr<RMLSystem> rmlSystem;
  std::shared_ptr<RMLEventHandler> eventHandler;
  std::map<int, std::shared_ptr<BaseMenu>> menus;
  std::shared_ptr<GameHUD> hud;
};
DECLARE_TYPE_NAME(class, MenuManager);
