// The menu manager over the game's documents: which menu each word opens and what it posts, the
// HUD words, the level chain, the pause menu holding the HUD still, reloads, and the parsing of
// boss spawns and run times.

#include "ui/menu_manager.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "components/rml_document.h"
#include "engine/component_manager.h"
#include "engine/entity_manager.h"
#include "tests/ui/menu_test_engine.h"
#include "ui/game_hud.h"
#include "ui/main_menu.h"
#include "ui/pause_menu.h"
#include "ui/performance_diary.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using Strings = std::vector<std::string>;

class MenuManagerTest : public menu_test::MenuEngine {
 protected:
  Rml::ElementDocument* HudDocument() const { return menus->HUD()->Document(); }
};

TEST_F(MenuManagerTest, StartsWithEveryScreenLoadedAndHidden) {
  EXPECT_TRUE(menus->initialised);
  EXPECT_TRUE(menus->menuOpen);
  EXPECT_EQ(menus->currentMenu, MenuManager::kNoMenu);
  for (const int id :
       {MenuManager::kMainMenu, MenuManager::kOptionsMenu, MenuManager::kPauseMenu}) {
    ASSERT_NE(DocumentOf(id), nullptr) << id;
    EXPECT_FALSE(DocumentOf(id)->IsVisible()) << id;
    EXPECT_TRUE(documents->MenuDocuments().contains(DocumentOf(id))) << id;
  }
  ASSERT_NE(HudDocument(), nullptr);
  EXPECT_FALSE(HudDocument()->IsVisible());
  EXPECT_EQ(menus->GetActiveMenu(), nullptr);
  EXPECT_EQ(menus->OpenMenuDocument(), nullptr);
}

// One step of a walk through the menu words: the message, what it posts (level-0 posts marked
// "all:"), and the state after it.
struct MenuStep {
  const char* message;
  Strings posted;
  int currentMenu;
  bool menuOpen;
  bool hudVisible;
};

TEST_F(MenuManagerTest, MenuWordsOpenAndCloseTheMenus) {
  const MenuStep steps[] = {
      // Menus are open from the start: the options menu shows without pausing again.
      {"menu_transition 1", {}, 1, true, false},
      {"hide_menu", {"mouse_mode locked", "all:mouse_mode locked", "decs_unpause"}, 1, false, true},
      {"hide_menu", {"mouse_mode locked"}, 1, false, true},
      // Showing a menu while playing opens the menus on it.
      {"menu_transition 2", {"mouse_mode normal", "decs_pause"}, 2, true, false},
      {"hide_main_menu",
       {"mouse_mode locked", "all:mouse_mode locked", "decs_unpause"},
       2,
       false,
       true},
      {"show_main_menu", {"mouse_mode normal", "mouse_mode normal", "decs_pause"}, 0, true, false},
      {"hide_menu", {"mouse_mode locked", "all:mouse_mode locked", "decs_unpause"}, 0, false, true},
      // The main menu is still current: opening the menus on it posts the same again.
      {"show_main_menu", {"mouse_mode normal", "mouse_mode normal", "decs_pause"}, 0, true, false},
      {"menu_transition 1", {}, 1, true, false},
      // Ids above 2, and words without an integer, are ignored.
      {"menu_transition 3", {}, 1, true, false},
      {"menu_transition", {}, 1, true, false},
      {"menu_transition one", {}, 1, true, false},
      {"menu_transition -1", {}, 1, true, false},
      {"menu_transition 0", {}, 0, true, false},
      {"menu_transition 1", {}, 1, true, false},
      {"hide_hud", {}, 1, true, false},
      {"show_hud", {}, 1, true, true},
  };
  for (const MenuStep& step : steps) {
    SCOPED_TRACE(step.message);
    Post(step.message);
    Strings expected = {step.message};
    expected.insert(expected.end(), step.posted.begin(), step.posted.end());
    EXPECT_THAT(Posted(), ElementsAreArray(expected));
    EXPECT_EQ(menus->currentMenu, step.currentMenu);
    EXPECT_EQ(menus->menuOpen, step.menuOpen);
    EXPECT_EQ(Visible(HudDocument()), step.hudVisible);
    // While the menus are open the current menu's document is the one the RML system shows.
    documents->Update(0.0f);
    for (const int id :
         {MenuManager::kMainMenu, MenuManager::kOptionsMenu, MenuManager::kPauseMenu}) {
      EXPECT_EQ(Visible(DocumentOf(id)), step.menuOpen && id == step.currentMenu) << id;
    }
  }
}

TEST_F(MenuManagerTest, HudWordsReachTheHud) {
  GameHUD& hud = *menus->HUD();
  EXPECT_EQ(Post("get_clan"), "1");
  Post("hud_update_clan 2");
  EXPECT_EQ(Post("get_clan"), "2");
  // The reply does not depend on the arguments.
  EXPECT_EQ(Post("get_clan a b c"), "2");
  Post("hud_update_clan two");
  EXPECT_EQ(hud.RunClan(), Clan::Floreth);

  Post("hud_update_score 1205 0.0");
  EXPECT_EQ(hud.Score(), 1205);
  Post("hud_update_score 77");  // one argument: ignored
  EXPECT_EQ(hud.Score(), 1205);
  Post("hud_update_score_with_time 300 12.5");
  EXPECT_EQ(hud.Score(), 300);
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 12.5f);
  Post("hud_set_game_time 20");
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 20.0f);

  Post("player_max_health_update 200");
  Post("player_health_update 50");
  EXPECT_FLOAT_EQ(hud.HealthFraction(), 0.25f);
  Post("player_health_changed 100");
  EXPECT_FLOAT_EQ(hud.HealthFraction(), 0.5f);
  Post("player_health_changed lots");
  EXPECT_FLOAT_EQ(hud.HealthFraction(), 0.5f);

  Post("player_is_locked");
  EXPECT_TRUE(hud.PlayerLocked());
  Post("player_is_unlocked");
  EXPECT_FALSE(hud.PlayerLocked());

  Post("boss_is_spawned BLISS_FLORETH");
  EXPECT_TRUE(hud.BossActive());
  EXPECT_EQ(hud.BossId(), GameHUD::BossIdForName("BLISS FLORETH"));
  Post("boss_eliminated");
  EXPECT_FALSE(hud.BossActive());

  Post("bliss_killed");
  Post("hud_set_game_time 99");
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 20.0f) << "the clock stopped at 20 s";
  Post("show_results lose");
  EXPECT_TRUE(hud.Results().shown);
  EXPECT_FALSE(hud.Results().run.won);
  EXPECT_FLOAT_EQ(hud.Results().run.seconds, 20.0f);
  Post("hide_results");
  EXPECT_FALSE(hud.Results().shown);
  Post("show_results win");
  EXPECT_TRUE(hud.Results().run.won);

  // Hints: an empty duration is 4.5 s; a wrong argument count asks for an empty hint, which
  // the queue drops.
  Post("hide_menu");
  Post("show_hint Jump");
  Post("show_hint Roll 3");
  Post("show_hint_priority Dodge  high");
  Post("show_hint_priority Dodge");
  menus->Update(0.0f);
  EXPECT_EQ(hud.Hints().Slots()[0].text, "Roll");
  EXPECT_FLOAT_EQ(hud.Hints().Slots()[0].remaining, 3.0f);
  EXPECT_EQ(hud.Hints().Slots()[1].text, "Dodge");
  EXPECT_FLOAT_EQ(hud.Hints().Slots()[1].remaining, 4.5f);
  EXPECT_EQ(hud.Hints().Slots()[1].priority, "high");
  EXPECT_FALSE(hud.Hints().Slots()[2].active);
  Post("clear_all_hints");
  EXPECT_FALSE(hud.Hints().Slots()[0].active);
}

TEST_F(MenuManagerTest, GradeSettingsEnableThePenaltyOnlyForTheExactOne) {
  GameHUD& hud = *menus->HUD();
  // A slow run: with the penalty its grade drops.
  Post("hud_update_score_with_time 3000 200");
  Post("hud_set_grade_calculator_settings true 0.5");
  const std::string withoutPenalty = hud.GetGradeResult().gradeText;
  EXPECT_FALSE(hud.GetGradeResult().penaltyApplied);
  Post("hud_set_grade_calculator_settings 1 0.5");
  EXPECT_TRUE(hud.GetGradeResult().penaltyApplied);
  EXPECT_NE(hud.GetGradeResult().gradeText, withoutPenalty);
}

// "scene_load" of each scene: what is posted at once, and the call queued for the scripts.
struct LevelCase {
  const char* scene;
  bool fromMainMenu;
  Strings posted;
  const char* next;  // null: nothing queued
};

TEST_F(MenuManagerTest, EachLevelTellsTheScriptsTheSceneThatFollows) {
  const Strings playing = {"mouse_mode locked", "all:mouse_mode locked", "decs_unpause"};
  const auto levelPosts = [&](bool tutorial) {
    Strings posts = {"all:level_reset"};
    if (tutorial) posts.push_back("InitRings 0");
    posts.push_back("hide_menu");
    posts.insert(posts.end(), playing.begin(), playing.end());
    return posts;
  };
  const LevelCase cases[] = {
      {"levelt_scene", true, levelPosts(true), "level0ToLevel1Transition_scene"},
      {"levelt_scene", false, {}, nullptr},
      {"level0ToLevel1Transition_scene", false, levelPosts(false), "level1_scene"},
      {"level1_scene", false, levelPosts(false), "level1ToLevel2Transition_scene"},
      {"level1ToLevel2Transition_scene", false, levelPosts(false), "level2_scene"},
      {"level2_scene", false, levelPosts(false), "level2ToLevel3Transition_scene"},
      {"level2ToLevel3Transition_scene", false, levelPosts(false), "final_boss_test_scene"},
      {"final_boss_test_scene", false, levelPosts(false), "main_menu_scene"},
      {"main_menu_scene", false, {"menu_transition 0"}, nullptr},
      {"splash_scene", false, {}, nullptr},
  };
  for (const LevelCase& level : cases) {
    SCOPED_TRACE(level.scene);
    menus->menuOpen = true;
    menus->leftMainMenu = false;
    if (level.fromMainMenu) Post("unloading_scene main_menu_scene");
    Posted();
    Post(std::string("scene_load ") + level.scene, 0);
    Strings expected = {std::string("all:scene_load ") + level.scene};
    expected.insert(expected.end(), level.posted.begin(), level.posted.end());
    EXPECT_THAT(Posted(), ElementsAreArray(expected));
    messaging->DeliverQueued();
    if (level.next != nullptr) {
      EXPECT_THAT(Posted(),
                  ElementsAre(std::string("lua_delayed_call SetNextScene ") + level.next));
      EXPECT_FALSE(menus->leftMainMenu);
    } else {
      EXPECT_THAT(Posted(), IsEmpty());
    }
  }
}

TEST_F(MenuManagerTest, TheMainMenuSceneClearsTheLastRun) {
  GameHUD& hud = *menus->HUD();
  Post("hud_update_score_with_time 500 30");
  Post("show_results win");
  Post("boss_is_spawned VOLOK");
  Post("scene_load main_menu_scene", 0);
  EXPECT_FALSE(hud.Results().shown);
  EXPECT_FALSE(hud.BossActive());
  EXPECT_EQ(hud.GetGradeResult().gradeText, "C");
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 0.0f);
}

TEST_F(MenuManagerTest, SkipOnTheResultsBoardGoesToTheMainMenu) {
  skip = true;
  menus->Update(0.1f);
  EXPECT_THAT(Posted(), IsEmpty());
  Post("show_results win");
  Posted();
  menus->Update(0.1f);
  EXPECT_THAT(Posted(), ElementsAre("scene main_menu_scene"));
}

TEST_F(MenuManagerTest, ThePauseMenuHoldsTheHudStillAndResumingKeepsTheRun) {
  GameHUD& hud = *menus->HUD();
  Post("hide_menu");
  Post("hud_update_score_with_time 420 10");
  Post("show_hint Jump 3");
  menus->Update(1.0f);
  ASSERT_FLOAT_EQ(hud.RunSeconds(), 11.0f);
  ASSERT_FLOAT_EQ(hud.Hints().Slots()[0].remaining, 2.0f);

  // Back in a level: the RML system pauses the game and shows the pause menu.
  RMLSystemLinks links;
  links.windowSize = [] { return glm::ivec2(1280, 720); };
  links.backTriggered = [] { return true; };
  links.currentSceneName = [] { return std::string("level1_scene"); };
  links.openMenuDocument = [this] { return menus->OpenMenuDocument(); };
  documents->SetLinks(std::move(links));
  documents->Update(0.0f);
  ASSERT_TRUE(decs->paused);
  Rml::ElementDocument* pause = DocumentOf(MenuManager::kPauseMenu);
  ASSERT_TRUE(Visible(pause));
  auto* pauseMenu = dynamic_cast<PauseMenu*>(menus->GetMenu(MenuManager::kPauseMenu).get());
  ASSERT_NE(pauseMenu, nullptr);
  pauseMenu->ToggleSettingsPanel();
  for (int i = 0; i < 10; ++i) menus->Update(1.0f);
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 11.0f) << "the game clock ran while paused";
  EXPECT_FLOAT_EQ(hud.Hints().Slots()[0].remaining, 2.0f) << "the hint ran while paused";
  EXPECT_FALSE(pauseMenu->SettingsShown()) << "the pause menu was not updated";

  // Resume: the menu goes, the run is as it was and runs on.
  Posted();
  pause->GetElementById("resume-button")->DispatchEvent("click", {});
  EXPECT_THAT(Posted(), ElementsAre("play_sfx menuHover 1.0 1.0 0.0 2", "unpause_from_within_rml",
                                    "rml_hide_document pause_menu.rml"));
  EXPECT_FALSE(decs->paused);
  EXPECT_FALSE(Visible(pause));
  EXPECT_FALSE(menus->menuOpen);
  EXPECT_EQ(hud.Score(), 420);
  menus->Update(1.0f);
  EXPECT_FLOAT_EQ(hud.RunSeconds(), 12.0f);
  EXPECT_FLOAT_EQ(hud.Hints().Slots()[0].remaining, 1.0f);
}

TEST_F(MenuManagerTest, ReloadsGiveTheMenusFreshDocumentsThatStillWork) {
  Post("menu_transition 2");
  Rml::ElementDocument* before = DocumentOf(MenuManager::kPauseMenu);
  Post("reload_menus");
  Rml::ElementDocument* reloaded = DocumentOf(MenuManager::kPauseMenu);
  ASSERT_NE(reloaded, nullptr);
  EXPECT_TRUE(reloaded->IsVisible());
  EXPECT_FALSE(documents->MenuDocuments().contains(before));
  EXPECT_TRUE(documents->MenuDocuments().contains(reloaded));

  // The RML system reloads a document on its own and announces it: the menus and the HUD take
  // the new ones and wire them.
  Post("rml_reload_document pause_menu.rml");
  Post("rml_reload_document main_hud.rml");
  Rml::ElementDocument* fresh = DocumentOf(MenuManager::kPauseMenu);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(documents->GetOrLoadDocument("pause_menu.rml"), fresh);
  EXPECT_NE(HudDocument(), nullptr);
  EXPECT_EQ(documents->GetOrLoadDocument("main_hud.rml"), HudDocument());
  Posted();
  fresh->GetElementById("save-button")->DispatchEvent("click", {});
  EXPECT_THAT(Posted(), ElementsAre("play_sfx menuHover 1.0 1.0 0.0 2"));
  EXPECT_TRUE(menus->GetMenu(MenuManager::kPauseMenu) != nullptr);
  documents->Update(0.0f);
  menus->Update(0.1f);
}

// The board that was on screen when the RML system reloaded the HUD's document is on the new
// one, its finished parts in place, and goes on to its end.
TEST_F(MenuManagerTest, AReloadedHudKeepsTheResultsBoardOnScreen) {
  Post("hide_menu");
  Post("show_results win");
  for (int frame = 0; frame < 60; ++frame) menus->Update(1.0f / 60.0f);  // into the clan board
  ASSERT_EQ(menus->HUD()->Results().stage, 1);
  Post("rml_reload_document main_hud.rml");
  ASSERT_TRUE(Visible(HudDocument()));
  const auto display = [&](const char* id) {
    documents->GetContext()->Update();
    return HudDocument()->GetElementById(id)->GetComputedValues().display;
  };
  EXPECT_EQ(display("results-container"), Rml::Style::Display::Flex);
  EXPECT_EQ(display("result-board"), Rml::Style::Display::Block);
  EXPECT_EQ(display("power-meter-system"), Rml::Style::Display::None);
  EXPECT_EQ(display("results-time"), Rml::Style::Display::None) << "shown before its stage";
  for (int frame = 0; frame < 120; ++frame) menus->Update(1.0f / 60.0f);
  EXPECT_EQ(menus->HUD()->Results().stage, 5);
  EXPECT_EQ(display("results-time"), Rml::Style::Display::Flex);
  EXPECT_EQ(HudDocument()->GetElementById("results-score-value")->GetInnerRML(), "0");
}

TEST_F(MenuManagerTest, RebuildingTheMenuDocumentsKeepsTheMenus) {
  const auto components = decs->GetManager<ComponentManager>();
  components->RegisterComponent<RMLDocument>();
  const int entity = entities->CreateEntity("panel");
  RMLDocument panel;
  panel.document = documents->GetOrLoadDocument("sample_panel.rml");
  ASSERT_NE(panel.document, nullptr);
  panel._isMenuDocument = true;
  components->AddComponent(entity, panel);
  documents->entities.insert(entity);  // as the signature walk puts it there in the game

  Post("rml_document_changed");
  EXPECT_TRUE(documents->MenuDocuments().contains(panel.document));
  for (const int id :
       {MenuManager::kMainMenu, MenuManager::kOptionsMenu, MenuManager::kPauseMenu}) {
    EXPECT_TRUE(documents->MenuDocuments().contains(DocumentOf(id))) << id;
  }
  EXPECT_TRUE(documents->MenuDocuments().contains(HudDocument()));
}

TEST_F(MenuManagerTest, AFinishedRunReachesTheMainMenusDiary) {
  auto* main = dynamic_cast<MainMenu*>(menus->GetMenu(MenuManager::kMainMenu).get());
  ASSERT_NE(main, nullptr);
  Post("hud_update_clan 2");
  Post("hud_update_score_with_time 1500 83.456");
  Post("add_game_success_to_diary");
  Post("hud_update_clan 1");
  Post("add_game_failure_to_diary");
  const std::vector<DiaryEntry>& entries = main->Diary()->Entries();
  ASSERT_EQ(entries.size(), 2u);
  for (const DiaryEntry& entry : entries) {
    EXPECT_EQ(entry.score, 1500);
    EXPECT_EQ(entry.runType, entry.completed ? "FLORETH" : "SUNDREL");
  }
}

TEST_F(MenuManagerTest, TheClanMessageHidesOnItsWord) {
  Post("menu_transition 0");
  Rml::ElementDocument* main = DocumentOf(MenuManager::kMainMenu);
  main->GetElementById("play-button")->DispatchEvent("click", {});
  ASSERT_TRUE(main->GetElementById("clan-selection-message")->IsClassSet("visible"));
  Post("clan_selection_message_hide");
  EXPECT_FALSE(main->GetElementById("clan-selection-message")->IsClassSet("visible"));
  EXPECT_FALSE(main->GetElementById("floreth-logo")->IsClassSet("shrink-warning"));
}

TEST_F(MenuManagerTest, AReloadDuringALogoFlipFlipsTheNewDocumentsLogo) {
  Post("menu_transition 0");
  // The flip starts with the Floreth logo; the Sundrel logo follows 0.6 s later.
  menus->Update(0.1f);
  ASSERT_TRUE(DocumentOf(MenuManager::kMainMenu)
                  ->GetElementById("floreth-logo")
                  ->IsClassSet("smooth-flip-right"));
  Post("reload_menus");
  Rml::ElementDocument* fresh = DocumentOf(MenuManager::kMainMenu);
  ASSERT_NE(fresh, nullptr);
  // The flip runs on: the second logo, named by id, is the new document's, 0.6 s after the
  // update that started the flip.
  menus->Update(0.55f);
  EXPECT_FALSE(fresh->GetElementById("sundrel-logo")->IsClassSet("smooth-flip-right"));
  menus->Update(0.1f);
  EXPECT_TRUE(fresh->GetElementById("sundrel-logo")->IsClassSet("smooth-flip-right"));
}

TEST_F(MenuManagerTest, VolumeWordsReachTheVolumeLink) {
  Post("set_master_volume 0.5");
  Post("set_music_volume 0.350000");
  Post("set_sfx_volume 1");
  Post("set_sfx_volume");
  Post("set_sfx_volume loud");
  EXPECT_THAT(volumes, ElementsAre("master 0.500000", "music 0.350000", "sfx 1.000000"));
}

TEST_F(MenuManagerTest, EveryVolumeWordKeepsItsVolumeBetweenZeroAndOne) {
  struct Case {
    const char* value;
    const char* reaches;
  };
  const Case cases[] = {
      {"-0.5", "0.000000"}, {"1.5", "1.000000"},  {"250", "1.000000"},
      {"1e30", "1.000000"}, {"0.25", "0.250000"},
  };
  for (const char* channel : {"master", "music", "sfx"}) {
    for (const Case& c : cases) {
      volumes.clear();
      Post(std::string("set_") + channel + "_volume " + c.value);
      EXPECT_THAT(volumes, ElementsAre(std::string(channel) + " " + c.reaches))
          << channel << " " << c.value;
    }
  }
}

TEST_F(MenuManagerTest, WithoutTheRmlSystemsNothingIsMadeAndWordsDoNothing) {
  MenuManager alone;
  alone.Attach(nullptr, handler);
  EXPECT_FALSE(alone.initialised);
  EXPECT_EQ(alone.HUD(), nullptr);
  for (const char* message : {"menu_transition 1", "show_main_menu", "reload_menus", "menu_init",
                              "get_clan", "show_results win", "add_game_success_to_diary",
                              "scene_load main_menu_scene", "boss_is_spawned VOLOK 3"}) {
    alone.HandleMessage(message);
  }
  alone.Update(0.1f);
  EXPECT_EQ(alone.currentMenu, MenuManager::kNoMenu);
}

TEST(BossSpawn, NamesAndHealthFromTheMessage) {
  const struct {
    const char* message;
    const char* name;
    int health;
  } cases[] = {
      {"boss_is_spawned VOLOK", "VOLOK", 300},
      {"boss_is_spawned VOLOK 450", "VOLOK", 450},
      {"boss_is_spawned BLISS_FLORETH 1000", "BLISS FLORETH", 2500},
      {"boss_is_spawned BLISS FLORETH", "BLISS FLORETH", 2500},
      {"boss_is_spawned BIBERTY_FLORETH", "BIBERTY FLORETH", 600},
      {"boss_is_spawned VOLOLOK", "VOLOLOK", 1200},
      {"boss_is_spawned VOLOLOK 1000", "VOLOLOK", 1200},
      {"boss_is_spawned Big Crab", "Big Crab", 1000},
      {"boss_is_spawned Big Crab 80", "Big Crab", 80},
      {"boss_is_spawned", "", 1000},
      {"boss_is_spawned ", "", 1000},
  };
  for (const auto& test : cases) {
    const BossSpawn boss = MenuManager::ParseBossSpawn(test.message);
    EXPECT_EQ(boss.name, test.name) << test.message;
    EXPECT_EQ(boss.health, test.health) << test.message;
  }
}

TEST(RunTime, HoursOnlyWhenThereAreAnyAndHundredthsCut) {
  const struct {
    int ms;
    const char* text;
  } cases[] = {{0, "00:00.00"},         {83456, "01:23.45"},  {59996, "00:59.99"},
               {3723450, "1:02:03.45"}, {600000, "10:00.00"}, {-5, "00:00.00"}};
  for (const auto& test : cases)
    EXPECT_EQ(MenuManager::FormatRunTime(test.ms), test.text) << test.ms;
}

}  // namespace
