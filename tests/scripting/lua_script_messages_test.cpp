#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripting/lua_script_system.h"
#include "tests/scripting/script_system_fixture.h"
#include "tests/support/engine_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Three scripted entities, "north" (0), "south" (1) and "east" (2), whose scripts log every
// function the system calls by name as "<alias> <function> <argument>".
class ScriptMessagesTest : public testing_support::ScriptSystemFixture {
 protected:
  void SetUp() override {
    ScriptSystemFixture::SetUp();
    std::string source = "local me = ''\n";
    for (const char* function :
         {"Collision_Resolve", "Collision_Tilemap", "Level_End", "Level1_Init", "Level2_Init",
          "Game_End", "PauseInput", "player_dead", "MakeInvincible", "Ping"}) {
      source += std::string("function ") + function + "(text) Log(me .. ' " + function +
                " ' .. text) end\n";
    }
    source += "return { init = function(id) me = ({'north', 'south', 'east'})[id + 1] end }\n";
    Write("listener.lua", source);
    for (const char* alias : {"north", "south", "east"}) Spawn(alias, {"a listener.lua"});
    Step();
    messages = std::make_unique<testing_support::RecordingReceiver>("seen", 1, &posted);
    systems->AddChild(messages.get());
  }
  void TearDown() override {
    systems->RemoveChild(messages.get());
    ScriptSystemFixture::TearDown();
  }

  // Takes the entity out of the system's set (its scripts stay loaded).
  void LeaveSet(int entity) {
    entities->RemoveFromSignature<Transform>(entity);
    systems->EntitySignatureChanged(entity, entities->signaturesById[entity]);
  }

  std::vector<std::string> posted;
  std::unique_ptr<testing_support::RecordingReceiver> messages;
};

TEST_F(ScriptMessagesTest, WordsCallTheirFunctionOnEveryScriptedEntity) {
  const struct {
    const char* message;
    std::vector<std::string> calls;
  } cases[] = {
      {"lua_call Ping a b  c", {"north Ping a b  c", "south Ping a b  c", "east Ping a b  c"}},
      {"lua_call Ping", {"north Ping ", "south Ping ", "east Ping "}},
      {"lua_call Unknown x", {}},
      {"level_end", {"north Level_End ", "south Level_End ", "east Level_End "}},
      {"level1_init", {"north Level1_Init ", "south Level1_Init ", "east Level1_Init "}},
      {"level2_init", {"north Level2_Init ", "south Level2_Init ", "east Level2_Init "}},
      {"god_mode", {"north MakeInvincible ", "south MakeInvincible ", "east MakeInvincible "}},
      {"lua_caller Ping", {}},
      {"collision_tilemap 2",
       {"north Collision_Tilemap ", "south Collision_Tilemap ", "east Collision_Tilemap "}},
      {"collision_tilemap 9", {}},
      {"collision_tilemap", {}},
      {"collision_tilemap two", {}},
      {"collision 2 0", {"north Collision_Resolve east", "east Collision_Resolve north"}},
      {"collision 1 1", {"south Collision_Resolve south"}},
      {"collision 1 9", {"south Collision_Resolve "}},
      {"collision 1", {}},
      {"collision 1 2 3", {}},
      {"collision x 2", {}},
      {"collision 99999999999 2", {}},
  };
  for (const auto& each : cases) {
    EXPECT_EQ(Send(each.message), "") << each.message;
    EXPECT_THAT(TakeLog(), ElementsAreArray(each.calls)) << each.message;
  }
}

TEST_F(ScriptMessagesTest, EntitiesOutsideTheSetAreNotCalledForCollisions) {
  LeaveSet(1);
  Send("collision 1 2");
  EXPECT_THAT(TakeLog(), ElementsAre("east Collision_Resolve south"));
  Send("collision_tilemap 1");
  EXPECT_THAT(TakeLog(), IsEmpty());
  Send("lua_call Ping x");
  EXPECT_THAT(TakeLog(), ElementsAre("north Ping x", "east Ping x"));
}

TEST_F(ScriptMessagesTest, InstantWinAndLoseCallTheScriptsThenPostTheirMessages) {
  Send("instant_win");
  EXPECT_THAT(TakeLog(), ElementsAre("north Game_End ", "south Game_End ", "east Game_End "));
  // The recorder comes after the script system: it hears the posts made while the system
  // handles the word before the word itself.
  EXPECT_THAT(posted, ElementsAre("seen:you_win", "seen:play_sfx playerWin 1.0 1.0 0.0 1",
                                  "seen:instant_win"));
  posted.clear();
  Send("instant_lose");
  EXPECT_THAT(TakeLog(),
              ElementsAre("north PauseInput ", "south PauseInput ", "east PauseInput ",
                          "north player_dead ", "south player_dead ", "east player_dead "));
  EXPECT_THAT(posted, ElementsAre("seen:play_sfx playerDie 1.0 1.0 0.0 1", "seen:instant_lose"));
}

TEST_F(ScriptMessagesTest, SceneLoadDropsTheScriptsButKeepsTheDelayedCalls) {
  Send("lua_delayed_call Ping later");
  Send("scene_load somewhere");
  EXPECT_THAT(system->entityScripts, IsEmpty());
  Step();  // the call waits: nobody has scripts when the update begins; then all load again
  EXPECT_THAT(TakeLog(), IsEmpty());
  Step();
  EXPECT_THAT(TakeLog(), ElementsAre("north Ping later", "south Ping later", "east Ping later"));
}

}  // namespace
