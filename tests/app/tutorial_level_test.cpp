// The whole game on the tutorial level. A recorded input file plays the player's input: the
// move action held to the right and the dash action pressed on every update. The level loads
// without an error line, the player walks and dashes where the input sends it, and the
// tutorial's director sees the dash and moves on to its next lesson. Then the ring lesson is
// played by messages (the ring system's own words, as the keys would send them): the left hand
// comes in after a ring is added, four refilled holes bring in the right hand, sending a ring
// to it raises the bridge and opens the portal, and the tutorial ends with two rings.

#include <gtest/gtest.h>
#include <lauxlib.h>
#include <lua.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "engine/message_receiver.h"
#include "engine/messaging_manager.h"
#include "gameplay/ring_system.h"
#include "platform/game_action.h"
#include "platform/input_recording.h"
#include "scripting/lua_script_system.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

// An action's state and range on every `period`-th update of a recording (FALSE and 0 on the
// others).
struct HeldAction {
  GameAction action;
  ButtonState state;
  float range;
  int period = 1;
};

// A recording of the actions, longer than the tests run (playback ends with the recording's last
// frame).
void WriteHeldInputRecording(const std::vector<HeldAction>& held) {
  constexpr int kFrames = 4000;
  InputRecording recording;
  for (int index = 0; index < kFrames; ++index) {
    RecordedFrame frame;
    frame.frameIndex = index;
    frame.states.fill(ButtonState::FALSE);
    frame.ranges.fill(0.0f);
    for (const HeldAction& action : held) {
      if (index % action.period != 0) continue;
      frame.states[static_cast<std::size_t>(action.action)] = action.state;
      frame.ranges[static_cast<std::size_t>(action.action)] = action.range;
    }
    recording.frames.push_back(frame);
  }
  recording.standardSeed = 7;
  recording.gameplaySeed = 11;
  std::filesystem::create_directories(RecordingFolder());
  std::ofstream(RecordingPath()) << RecordingToJson(recording).dump();
}

class TutorialLevel : public testing::Test {
 protected:
  // Loads the tutorial with every hint the scripts ask for recorded; what the game prints is
  // kept in `output`.
  void Start() {
    game = std::make_unique<testing_support::RunningGame>();
    DECS::Instance().AddChild(&log);
    scripts = DECS::Instance().GetSystem<LuaScriptSystem>();
    ASSERT_NE(scripts, nullptr);
    auto shown = scripts->apiLinks.showHint;
    scripts->apiLinks.showHint = [this, shown](int code) {
      hints.push_back(code);
      if (shown) shown(code);
    };
    // As RunningGame::ShowScene, but keeping what the load prints. A replayed run takes one
    // update of 1/60 s per pass, so the two-second fade-in takes 120 passes.
    Capture();
    Post("firstScene levelt_scene", 1);
    for (int pass = 0; pass < 300 && game->SceneTimer() > 0.0f; ++pass) game->Step();
    loaded = game->SceneTimer() == 0.0f;
    EndCapture();
    Steps(5);
  }

  void TearDown() override {
    if (game) DECS::Instance().RemoveChild(&log);
    game.reset();
  }

  void Capture() {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
  }

  void EndCapture() {
    const std::string errors = testing::internal::GetCapturedStderr();
    output += testing::internal::GetCapturedStdout() + errors;
  }

  void Steps(int count) {
    Capture();
    for (int pass = 0; pass < count; ++pass) game->Step();
    EndCapture();
  }

  void Post(const char* message, int level = 0) {
    DECS::Instance().GetManager<MessagingManager>()->PostFormatted("%s", level, message);
  }

  // Runs a chunk of Lua in the game's state, as a script of the level would.
  void RunLua(const char* chunk) {
    lua_State* L = scripts->lua.Handle();
    ASSERT_EQ(luaL_dostring(L, chunk), LUA_OK) << lua_tostring(L, -1);
  }

  // A number field of the player's shared state.
  double PlayerDataField(const char* field) {
    lua_State* L = scripts->lua.Handle();
    lua_getglobal(L, "PlayerData");
    lua_getfield(L, -1, field);
    const double value = lua_tonumber(L, -1);
    lua_pop(L, 2);
    return value;
  }

  Transform* PlayerTransform() {
    const int player = DECS::Instance().GetManager<EntityManager>()->FindEntity("player");
    const auto components = DECS::Instance().GetManager<ComponentManager>();
    if (!components->HasComponent<Transform>(player)) return nullptr;
    return components->GetComponent<Transform>(player);
  }

  bool HintAsked(int code) const {
    return std::find(hints.begin(), hints.end(), code) != hints.end();
  }

  testing_support::ScopedTempHome home;
  testing_support::EveryMessageLog log;
  std::unique_ptr<testing_support::RunningGame> game;
  std::shared_ptr<LuaScriptSystem> scripts;
  std::vector<int> hints;
  bool loaded = false;
  std::string output;
};

TEST_F(TutorialLevel, LoadsCleanlyAndThePlayerWalksAndDashesUnderRecordedInput) {
  CreateUserFolders();
  WriteHeldInputRecording({{GameAction::X_AXIS, ButtonState::TRUE, 1.0f},
                           {GameAction::DASH, ButtonState::TRIGGERED, 0.0f}});
  Start();
  ASSERT_TRUE(loaded) << "the tutorial never finished fading in\n" << output;
  const Transform* player = PlayerTransform();
  ASSERT_NE(player, nullptr) << "no entity aliased \"player\" with a Transform";
  const glm::vec3 start = player->_position;
  Steps(30);
  const glm::vec3 moved = player->_position;
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  // Right on the screen is +x and -z on the ground. From (0, 0, 22) the player went that way
  // until the right wall (its inner face at x = 11) stopped its collision circle (radius 0.7),
  // and from there slides along the wall.
  EXPECT_NEAR(start.x, 10.3f, 0.01f) << "the player did not reach the right wall";
  EXPECT_LE(start.z, 22.0f - start.x) << "the player did not move along the screen's right";
  EXPECT_NEAR(moved.x, 10.3f, 0.01f) << "the wall did not hold the player";
  EXPECT_LT(moved.z, start.z);
  EXPECT_NEAR(moved.y, 0.0f, 0.01f) << "the player left the ground";
  if (const char* shot = std::getenv("KELVARIS_TUTORIAL_SHOT")) {
    testing_support::SavePng(shot, game->picture);
  }

  // The first lesson asks for a dash; the recorded dash ends it and the next one asks for a
  // pick-up.
  ASSERT_FALSE(hints.empty());
  EXPECT_EQ(hints.front(), 605);
  EXPECT_TRUE(HintAsked(706)) << "the director did not move on after the dash";
}

TEST_F(TutorialLevel, TheRingLessonRevealsTheHandsRaisesTheBridgeAndEndsWithTwoRings) {
  CreateUserFolders();
  Start();
  ASSERT_TRUE(loaded);
  const auto rings = DECS::Instance().GetSystem<RingSystem>();
  ASSERT_NE(rings, nullptr);
  MessagingManager& messages = *DECS::Instance().GetManager<MessagingManager>();
  EXPECT_TRUE(rings->tutorialActive);
  EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 3", 1), "0") << "bridge";
  EXPECT_FALSE(rings->leftHandEnabled);

  // The lessons before the rings, as the player's scripts count them.
  RunLua(
      "PlayerData.dashes = 1 PlayerData.pickups = 1 PlayerData.shots = 1 "
      "PlayerData.refills = 1 PlayerData.blocks = PlayerData.maxBlocks");
  Steps(6);
  EXPECT_TRUE(HintAsked(930)) << "the dummy lesson never started";
  EXPECT_FALSE(rings->leftHandEnabled) << "the left hand came before the dummy was hit";
  Post("lua_call TutorialDummyHit");
  Steps(2);
  EXPECT_TRUE(rings->leftHandEnabled);

  // Q: the loose ring goes to the left hand.
  Post("RingSystem_RingLeft");
  Steps(15);
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 1);
  EXPECT_TRUE(HintAsked(1030)) << "the refill lesson never started";
  for (int refill = 0; refill < 4; ++refill) Post("block_regenerated");
  Steps(15);
  EXPECT_TRUE(rings->rightHandEnabled);
  EXPECT_TRUE(HintAsked(302));

  // E: the ring goes to the right hand, which ends the lesson.
  Post("RingSystem_RingRight");
  Steps(25);
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
  EXPECT_EQ(rings->GetLeftHandRingsCount() + rings->GetRightHandRingsCount() +
                static_cast<int>(rings->waitingRingIds.size()),
            2);
  EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 3", 1), "1") << "bridge";
  EXPECT_EQ(messages.PostFormatted("tilemap_get_group_collidable 15", 1), "1") << "portal";
  EXPECT_TRUE(HintAsked(1040));
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;

  // On the risen portal the tutorial is complete and the game moves on.
  Transform* player = PlayerTransform();
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(log.IndexOf("CompletedTutorial"), -1);
  player->_position = glm::vec3(0.0f, 0.0f, -26.0f);
  Steps(2);
  const int completed = log.IndexOf("CompletedTutorial");
  EXPECT_GE(completed, 0);
  EXPECT_GT(log.IndexOf("scene level0ToLevel1Transition_scene"), completed);
}

TEST_F(TutorialLevel, ThePlayerLiftsTilesAheadAndRefillsTheHolesItWalksOnto) {
  CreateUserFolders();
  // Forward from the start, lifting now and then: the tile ahead becomes a hole, and the block
  // in hand refills it when the player walks onto it.
  WriteHeldInputRecording({{GameAction::Y_AXIS, ButtonState::TRUE, 1.0f},
                           {GameAction::PICKUP_BLOCK, ButtonState::TRIGGERED, 0.0f, 10}});
  Start();
  ASSERT_TRUE(loaded);
  Steps(90);
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
  EXPECT_GT(PlayerDataField("pickups"), 1.0);
  EXPECT_GT(PlayerDataField("refills"), 1.0);
  EXPECT_LE(PlayerDataField("blocks"), 1.0) << "each block went into a hole";
  EXPECT_EQ(PlayerDataField("health"), PlayerDataField("maxHealth")) << "the player fell";
}

TEST_F(TutorialLevel, FiredBlocksFlyAlongTheFacingDirectionAndHitTheDummy) {
  CreateUserFolders();
  WriteHeldInputRecording({{GameAction::THROW_BLOCK, ButtonState::TRIGGERED, 0.0f, 25}});
  Start();
  ASSERT_TRUE(loaded);
  // Two blocks in hand, and the dummy at (0, -10) straight ahead along the starting facing
  // direction, (-1, 0, -1).
  RunLua("PlayerData.blocks = 2");
  Transform* player = PlayerTransform();
  ASSERT_NE(player, nullptr);
  player->_position = glm::vec3(4.0f, 0.0f, -6.0f);
  Steps(70);
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
  EXPECT_EQ(PlayerDataField("shots"), 2.0);
  EXPECT_EQ(PlayerDataField("blocks"), 0.0);
  EXPECT_EQ(PlayerDataField("score"), 100.0) << "each block hits the dummy once";
  Steps(40);
  const auto entities = DECS::Instance().GetManager<EntityManager>();
  const std::string firstBlock =
      "playerBlock" + std::to_string(entities->FindEntity("player")) + "_1";
  EXPECT_EQ(entities->FindEntity(firstBlock), kNoEntity) << "a spent block is removed";
}

TEST_F(TutorialLevel, AFallCostsHealthAndPutsThePlayerBackOnTheGroundItLastStoodOn) {
  CreateUserFolders();
  Start();
  ASSERT_TRUE(loaded);
  Transform* player = PlayerTransform();
  ASSERT_NE(player, nullptr);
  const glm::vec3 start = player->_position;
  // Empty-handed onto a hole (column 3, row 12).
  player->_position = glm::vec3(-6.0f, 0.0f, -4.0f);
  Steps(3);
  EXPECT_LT(player->_position.y, 0.0f) << "the player did not fall";
  Steps(30);
  EXPECT_EQ(player->_position, start);
  EXPECT_EQ(PlayerDataField("health"), PlayerDataField("maxHealth") - 1);
  const int hurt = log.IndexOf("player_took_damage");
  EXPECT_GE(hurt, 0);
  EXPECT_GT(log.IndexOf("player_health_update 2"), hurt);
  Steps(10);
  EXPECT_EQ(player->_position.y, 0.0f) << "the respawned player falls again";
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
}

TEST_F(TutorialLevel, ALostRunLocksThePlayerAndWritesTheDiaryBeforeTheResults) {
  CreateUserFolders();
  Start();
  ASSERT_TRUE(loaded);
  Post("instant_lose");
  Steps(2);
  const int locked = log.IndexOf("player_is_locked");
  const int diary = log.IndexOf("add_game_failure_to_diary");
  EXPECT_GE(locked, 0);
  EXPECT_GT(diary, locked);
  EXPECT_GT(log.IndexOf("show_results lose"), diary);
  EXPECT_EQ(PlayerDataField("health"), 0.0);
  // Dead, the player is not hurt again and sends the words once.
  Post("instant_lose");
  Steps(2);
  EXPECT_EQ(std::count(log.messages.begin(), log.messages.end(), "show_results lose"), 1);
  EXPECT_FALSE(testing_support::HasLoadErrorLine(output)) << output;
}

}  // namespace
