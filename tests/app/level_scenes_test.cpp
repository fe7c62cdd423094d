// The whole game on the scenes of a run after the tutorial: every scene loads without an error
// line, each transition scene waits out the weather hand-over before it asks for the scene
// the menu manager named, and a level's met goal leads on to the next title card.

#include <gtest/gtest.h>
#include <lauxlib.h>
#include <lua.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/startup.h"
#include "components/physics.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "rml/rml.h"
#include "scripting/lua_script_system.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"

namespace {

class LevelScenes : public testing::Test {
 protected:
  void SetUp() override {
    CreateUserFolders();
    game = std::make_unique<testing_support::RunningGame>();
    DECS::Instance().AddChild(&log);
  }

  void TearDown() override {
    DECS::Instance().RemoveChild(&log);
    game.reset();
  }

  // Loads `scene` in place of the loaded ones and steps until its fade-in is over; what the load
  // prints is returned. False in `loaded` when the fade never ends.
  std::string Load(const std::string& scene, bool& loaded) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene %s", 1,
                                                                   scene.c_str());
    for (int pass = 0; pass < 100 && game->SceneTimer() > 0.0f; ++pass) game->Step();
    loaded = game->SceneTimer() == 0.0f;
    for (int pass = 0; pass < 3; ++pass) game->Step();
    const std::string errors = testing::internal::GetCapturedStderr();
    return testing::internal::GetCapturedStdout() + errors;
  }

  static bool Exists(const char* alias) {
    return DECS::Instance().GetManager<EntityManager>()->FindEntity(alias) >= 0;
  }

  testing_support::ScopedTempHome home;
  testing_support::EveryMessageLog log;
  std::unique_ptr<testing_support::RunningGame> game;
};

TEST_F(LevelScenes, EverySceneOfTheRunLoadsWithoutAnErrorLine) {
  const char* const scenes[] = {"level0ToLevel1Transition_scene", "level1_scene",
                                "level1ToLevel2Transition_scene", "level2_scene",
                                "level2ToLevel3Transition_scene", "final_boss_test_scene"};
  for (const char* scene : scenes) {
    SCOPED_TRACE(scene);
    bool loaded = false;
    const std::string output = Load(scene, loaded);
    EXPECT_TRUE(loaded) << "never finished fading in";
    EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
    EXPECT_EQ(output.find("[**LUA ERROR**]"), std::string::npos) << output;
    EXPECT_TRUE(Exists("Main Camera"));
    EXPECT_TRUE(Exists("GameUICamera"));
    if (const char* folder = std::getenv("KELVARIS_SCENE_SHOTS")) {
      testing_support::SavePng(std::string(folder) + "/" + scene + ".png", game->picture);
    }
  }
}

TEST_F(LevelScenes, EachTransitionOutlastsTheWeatherHandOverThenAsksForTheNextScene) {
  struct Case {
    const char* transition;
    const char* next;
  };
  const Case cases[] = {{"level0ToLevel1Transition_scene", "level1_scene"},
                        {"level1ToLevel2Transition_scene", "level2_scene"},
                        {"level2ToLevel3Transition_scene", "final_boss_test_scene"}};
  for (const Case& step : cases) {
    SCOPED_TRACE(step.transition);
    log.messages.clear();
    bool loaded = false;
    Load(step.transition, loaded);
    ASSERT_TRUE(loaded);
    // The load itself took the two-second fade-in and three passes.
    const std::string request = std::string("scene ") + step.next;
    int passes = 23;
    testing::internal::CaptureStdout();
    while (log.IndexOf(request) < 0 && passes < 150) {
      game->Step();
      ++passes;
      const char* folder = std::getenv("KELVARIS_SCENE_SHOTS");
      if (folder != nullptr && passes == 70) {
        testing_support::SavePng(std::string(folder) + "/" + step.transition + ".png",
                                 game->picture);
      }
    }
    // The scene change fades out before the next scene loads.
    const std::string loadedNext = std::string("scene_load ") + step.next;
    for (int pass = 0; pass < 60 && log.IndexOf(loadedNext) < 0; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
    ASSERT_GE(log.IndexOf(request), 0) << "the transition never moved on";
    EXPECT_GE(passes * 0.1, 9.0) << "left before the weather handed over";
    EXPECT_GT(log.IndexOf(loadedNext), log.IndexOf(request));
    if (const char* folder = std::getenv("KELVARIS_SCENE_SHOTS")) {
      testing::internal::CaptureStdout();
      for (int pass = 0; pass < 25; ++pass) game->Step();
      testing::internal::GetCapturedStdout();
      testing_support::SavePng(std::string(folder) + "/after_" + step.transition + ".png",
                               game->picture);
    }
  }
}

TEST_F(LevelScenes, AMetGoalRaisesTheExitAndSteppingOntoItMovesTheRunOn) {
  struct Case {
    const char* level;
    const char* next;
    float exitX, exitZ;  // the centre of an exit tile
  };
  const Case cases[] = {{"level1_scene", "level1ToLevel2Transition_scene", -11.0f, -13.0f},
                        {"level2_scene", "level2ToLevel3Transition_scene", 0.0f, -20.0f}};
  MessagingManager& messages = *DECS::Instance().GetManager<MessagingManager>();
  auto entities = DECS::Instance().GetManager<EntityManager>();
  auto components = DECS::Instance().GetManager<ComponentManager>();
  for (const Case& step : cases) {
    SCOPED_TRACE(step.level);
    log.messages.clear();
    bool loaded = false;
    Load(step.level, loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 15", 1), "0")
        << "the exit must be down while the goal is not met";
    EXPECT_EQ(log.IndexOf("level_end"), -1);

    // The meadow's goal: four refilled holes; the ruins': no sentry left.
    lua_State* L = DECS::Instance().GetSystem<LuaScriptSystem>()->lua.Handle();
    ASSERT_EQ(luaL_dostring(L, "PlayerData.refills = 4"), LUA_OK);
    for (const char* alias : {"sentryEnemy1", "sentryEnemy2", "sentryEnemy3"}) {
      const int sentry = entities->FindEntity(alias);
      if (sentry >= 0) DECS::Instance().DestroyEntity(sentry);
    }
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < 5; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
    ASSERT_GE(log.IndexOf("level_end"), 0) << "the met goal did not open the exit";
    EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 15", 1), "1");
    // The exit rises for a while before it can be stood on.
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < 40; ++pass) game->Step();
    testing::internal::GetCapturedStdout();

    const int player = entities->FindEntity("player");
    ASSERT_GE(player, 0);
    components->GetComponent<Transform>(player)->_position = {step.exitX, 0.0f, step.exitZ};
    components->GetComponent<Physics>(player)->_velocity = {0.0f, 0.0f, 0.0f};
    const std::string request = std::string("scene ") + step.next;
    testing::internal::CaptureStdout();
    for (int pass = 0; pass < 10 && log.IndexOf(request) < 0; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
    EXPECT_GT(log.IndexOf(request), log.IndexOf("level_end")) << "the exit did not lead on";
    // Let the scene change finish before the next case loads its level.
    testing::internal::CaptureStdout();
    const std::string loadedNext = std::string("scene_load ") + step.next;
    for (int pass = 0; pass < 60 && log.IndexOf(loadedNext) < 0; ++pass) game->Step();
    for (int pass = 0; pass < 5; ++pass) game->Step();
    testing::internal::GetCapturedStdout();
    // The title card of the next level shows the HUD without the keycaps of a held player:
    // leaving a level does not lock the player.
    EXPECT_EQ(log.IndexOf("player_is_locked"), -1);
    const auto menus = DECS::Instance().GetSystem<MenuManager>();
    ASSERT_NE(menus, nullptr);
    Rml::ElementDocument* hud = menus->HUD()->Document();
    ASSERT_NE(hud, nullptr);
    EXPECT_TRUE(hud->IsVisible());
    for (const char* id : {"left-mash-keycap", "right-mash-keycap"}) {
      Rml::Element* keycap = hud->GetElementById(id);
      ASSERT_NE(keycap, nullptr) << id;
      EXPECT_FALSE(keycap->IsVisible(true)) << id << " shows over the title card";
    }
  }
}

}  // namespace
