#include "scripting/lua_api.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>
#include <string>
#include <vector>

#include "components/sound_emitter.h"
#include "components/transform.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/user_folders.h"
#include "platform/input_slots.h"
#include "platform/input_source.h"
#include "platform/input_system.h"
#include "scripting/lua_script_system.h"
#include "tests/render/render_test_scene.h"
#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/fake_input_source.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::RecordingReceiver;

// Answers "ping" with "pong".
class PingReceiver : public MessageReciever {
 public:
  void HandleMessage(const std::string& message) override {
    if (message == "ping") DECS::Instance().GetManager<MessagingManager>()->ReplyFormatted("pong");
  }
};

// An engine with every component type, the script system registered as the game registers it,
// and three named entities: 0 "player" (with a SoundEmitter), 1 "enemy", 2 "enemy_boss".
class LuaApiTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    testing::internal::CaptureStdout();
    scripts = systems->RegisterSystem<LuaScriptSystem>().get();
    player = CreateEntity("player");
    Add<SoundEmitter>(player)._soundAlias = "BGM_Menu";
    Add<Transform>(player);
    CreateEntity("enemy");
    CreateEntity("enemy_boss");
    testing::internal::GetCapturedStdout();
    decs->AddChild(&everyLevel);
    decs->AddChild(&ping);
  }

  std::string Eval(const std::string& expression) {
    return lua_test::Eval(scripts->lua, "return " + expression);
  }

  LuaScriptSystem* scripts = nullptr;
  int player = -1;
  std::vector<std::string> log;
  RecordingReceiver everyLevel{"0", 0, &log};
  PingReceiver ping;
};

TEST_F(LuaApiTest, RegistersTheFunctionsAndTheTwoTables) {
  const char* names[] = {"LogToImGui",
                         "GetEntityAlias",
                         "GetEntityID",
                         "CountEntitiesWithAliasSubstring",
                         "SendMessage",
                         "SendLocalMessage",
                         "SendDelayedMessage",
                         "SendDelayedLocalMessage",
                         "SetState",
                         "RandomStandard",
                         "RandomGameplay",
                         "RandomStandardInt",
                         "RandomGameplayInt",
                         "InstantiatePrefab",
                         "GetLeftHandRingsCount",
                         "GetRightHandRingsCount",
                         "IsCurrentScene",
                         "MatrixMultiply",
                         "RotateMatrix",
                         "NormalizeEigenvalues",
                         "SetBackgroundMusic",
                         "GetMousePos",
                         "GetMouseDelta",
                         "WorldPosToMapCoords",
                         "SnapWorldPosToGrid",
                         "GetLeftHandRingCount",
                         "GetRightHandRingCount",
                         "GetTilemapModelAtWorldPosition",
                         "GetTilemapGroupHeight",
                         "GetTilemapModelAtIndex",
                         "GetTilemapGroupAtWorldPosition",
                         "GetTilemapGroupAtIndex",
                         "SetTilemapModelAtIndex",
                         "SetTilemapModelAtWorldPosition",
                         "GetTileIndicesInRadius",
                         "IsIndexCollidable",
                         "TileIndexToWorldPos",
                         "GetMaxTilemapIndex",
                         "SetUniformFloat",
                         "DestroyEntity",
                         "ShowHint"};
  ASSERT_EQ(std::size(names), 41u);
  for (const char* name : names) {
    EXPECT_EQ(Eval(std::string("type(") + name + ")"), "function") << name;
  }

  // GameAction maps each of the 24 names to its index, and nothing else.
  EXPECT_EQ(Eval("GameAction.X_AXIS .. ' ' .. GameAction.SEND_RING .. ' ' .. GameAction.SKIP"),
            "0 4 23");
  for (int action = 0; action < kGameActionCount; ++action) {
    EXPECT_EQ(Eval("GameAction." + GameActionName(action)), std::to_string(action));
  }
  EXPECT_EQ(Eval("(function() local n = 0; for _ in pairs(GameAction) do n = n + 1 end; "
                 "return n end)()"),
            "24");
  EXPECT_EQ(Eval("GameAction[23]"), "nil");

  for (const char* name : {"GetActionState", "GetActionRangeVal", "IsActionTriggered",
                           "IsActionTrue", "IsActionReleased", "IsActionFalse"}) {
    EXPECT_EQ(Eval(std::string("type(input.") + name + ")"), "function") << name;
  }
}

TEST_F(LuaApiTest, FunctionsAnswerTheirArguments) {
  int hint = -1;
  LuaApiLinks links;
  links.leftHandRingCount = [] { return 3; };
  links.rightHandRingCount = [] { return 5; };
  links.currentSceneName = [] { return std::string("level1_scene"); };
  links.showHint = [&hint](int shown) { hint = shown; };
  scripts->SetApiLinks(links);

  const struct {
    const char* expression;
    const char* result;
  } cases[] = {
      {"select('#', LogToImGui('anything'))", "0"},
      {"GetEntityAlias(1)", "enemy"},
      {"GetEntityAlias(1.4)", "enemy"},
      {"GetEntityAlias('2')", "enemy_boss"},
      {"GetEntityAlias(7)", ""},
      {"GetEntityAlias(-1)", ""},
      {"GetEntityAlias(2^40)", "nil"},  // outside the integer range: not called
      {"GetEntityID('enemy')", "1"},
      {"GetEntityID('nobody')", "-1"},
      {"GetEntityID()", "-1"},
      {"CountEntitiesWithAliasSubstring('enemy')", "2"},
      {"CountEntitiesWithAliasSubstring('Enemy')", "0"},
      {"CountEntitiesWithAliasSubstring('')", "3"},
      {"CountEntitiesWithAliasSubstring({})", "3"},  // not a string: ""
      {"SendMessage('ping').message", "pong"},
      {"SendMessage('nobody_answers').message", ""},
      {"RandomStandard(3, 3)", "3.0"},
      {"RandomGameplay(-2, -2)", "-2.0"},
      {"RandomStandardInt(4.5, 5)", "5"},  // 4.5 rounds to 5
      {"math.type(RandomGameplayInt(7, 7))", "integer"},
      {"RandomGameplayInt(7, 7)", "7"},
      {"InstantiatePrefab('no/such', '', '')", "-1"},
      {"GetLeftHandRingsCount() .. GetLeftHandRingCount()", "33"},
      {"GetRightHandRingsCount() .. GetRightHandRingCount()", "55"},
      {"IsCurrentScene('level1_scene')", "true"},
      {"IsCurrentScene('level1')", "false"},
      {"select('#', ShowHint(2.5))", "0"},
      {"GetMousePos().x .. ',' .. GetMousePos().y", "0.0,0.0"},  // no input system
      {"GetMouseDelta().x .. ',' .. GetMouseDelta().y", "0.0,0.0"},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Eval(row.expression), row.result) << row.expression;
  }
  EXPECT_EQ(hint, 3);

  // A prefab's entity takes the given alias, or the prefab's name.
  testing::internal::CaptureStdout();
  EXPECT_EQ(Eval("GetEntityAlias(InstantiatePrefab('MenuPanel', 'no_such_scene', ''))"),
            "MenuPanel");
  EXPECT_EQ(Eval("GetEntityAlias(InstantiatePrefab('MenuPanel', '', 'panel'))"), "panel");
  testing::internal::GetCapturedStdout();

  // Without links: no rings, no scene, no hint.
  scripts->SetApiLinks({});
  EXPECT_EQ(Eval("GetLeftHandRingsCount() .. GetRightHandRingCount()"), "00");
  EXPECT_EQ(Eval("IsCurrentScene('')"), "false");
  EXPECT_EQ(Eval("select('#', ShowHint(1))"), "0");
}

TEST_F(LuaApiTest, MessagesPassTheirTextUnchangedAndLongOnesAreCut) {
  ASSERT_EQ(Eval("SendMessage('odd %s %d text').message"), "");
  ASSERT_EQ(Eval("select('#', SendDelayedMessage('later %n'))"), "0");
  EXPECT_THAT(log, ElementsAre("0:odd %s %d text"));
  messaging->DeliverQueued();
  EXPECT_THAT(log, ElementsAre("0:odd %s %d text", "0:later %n"));

  log.clear();
  testing::internal::CaptureStdout();
  Eval("SendMessage(string.rep('x', 600))");
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "0:" + std::string(511, 'x'));
  EXPECT_THAT(output, HasSubstr("message of 600 characters cut to 511"));
}

TEST_F(LuaApiTest, LocalMessagesReachEntityScriptsAtOnceOrLater) {
  testing_support::TempFolder folder;
  const std::string path = (folder.path / "hello.lua").string();
  std::ofstream(path) << "function Hello(text) heard = text end\n";
  scripts->LoadEntityScript(player, "main", path);
  ASSERT_EQ(scripts->entityScripts.count(player), 1u);

  Eval("SendLocalMessage('Hello there', 0)");
  EXPECT_EQ(lua_test::Eval(scripts->lua, "return heard"), "nil");  // the script's own global
  scripts->entityScripts.at(player).scripts.at("main").Push(scripts->lua.Handle());
  lua_getfield(scripts->lua.Handle(), -1, "heard");
  EXPECT_STREQ(lua_tostring(scripts->lua.Handle(), -1), "there");
  lua_pop(scripts->lua.Handle(), 2);

  Eval("SendDelayedLocalMessage('Hello again', 2.6)");
  ASSERT_EQ(scripts->delayedCalls.size(), 1u);
  EXPECT_EQ(scripts->delayedCalls.back().message, "Hello again");
  EXPECT_EQ(scripts->delayedCalls.back().entity, 3);

  Eval("SetState(0, 'Run')");
  EXPECT_EQ(scripts->entityScripts.at(player).currentState, "Run");
  Eval("SetState(1.2, 'Idle')");  // an entity without scripts yet gets a record
  EXPECT_EQ(scripts->entityScripts.at(1).currentState, "Idle");
  // A negative id, or an entity that is not alive: nothing.
  ASSERT_TRUE(scripts->lua.RunChunk("SetState(-1, 'Idle') SetState(9, 'Idle')").ok());
  EXPECT_EQ(scripts->entityScripts.size(), 2u);
}

TEST_F(LuaApiTest, MatricesRotateMultiplyAndSnap) {
  const Transform& transform = *components->GetComponent<Transform>(player);
  const auto matrixAfter = [&](const std::string& expression) {
    lua::ChunkOutcome run =
        scripts->lua.RunChunk("GetTransform(0)._modifierMatrix = " + expression);
    EXPECT_TRUE(run.ok()) << run.error;
    return transform._modifierMatrix;
  };
  const glm::mat4 quarter =
      glm::rotate(glm::mat4(1.0f), 90.0f * 0.017453292f, glm::vec3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(matrixAfter("RotateMatrix(90, 0, 0, 2)"), quarter);  // the axis is normalised
  EXPECT_EQ(matrixAfter("MatrixMultiply(RotateMatrix(90, 0, 0, 1), RotateMatrix(90, 0, 0, 1))"),
            quarter * quarter);
  // No axis, no rotation (rather than a matrix of NaN).
  EXPECT_EQ(matrixAfter("RotateMatrix(45, 0, 0, 0)"), glm::mat4(1.0f));
  EXPECT_EQ(matrixAfter("RotateMatrix(45, 0, 0, 1e-30)"), glm::mat4(1.0f));

  Transform& writable = *components->GetComponent<Transform>(player);
  writable._modifierMatrix = glm::mat4(0.5f);
  writable._modifierMatrix[0][1] = 0.51f;
  writable._modifierMatrix[2][0] = -0.7f;
  writable._modifierMatrix[3][0] = 0.7f;  // fourth column: left alone
  ASSERT_TRUE(scripts->lua.RunChunk("NormalizeEigenvalues(GetTransform(0)._modifierMatrix)").ok());
  glm::mat4 expected(0.0f);
  expected[0][1] = 1.0f;
  expected[2][0] = -1.0f;
  expected[3][0] = 0.7f;
  expected[3][3] = 0.5f;
  EXPECT_EQ(transform._modifierMatrix, expected);

  // Matrix arguments are checked.
  EXPECT_THAT(scripts->lua.RunChunk("MatrixMultiply(1, 2)").error,
              HasSubstr("bad argument #1: Mat4 expected, got number"));
}

TEST_F(LuaApiTest, MusicUniformsAndEntityRemovalActOnTheEngine) {
  Eval("SetBackgroundMusic('BGM_Level1')");
  EXPECT_EQ(components->GetComponent<SoundEmitter>(player)->_soundAlias, "BGM_Level1");

  Eval("SetUniformFloat('windStrength', 2.5)");
  EXPECT_EQ(decs->globalUniforms.floats.at("windStrength"), 2.5f);

  testing::internal::CaptureStdout();
  Eval("DestroyEntity('nobody')");
  EXPECT_TRUE(entities->IsAlive(player));
  Eval("DestroyEntity('player')");
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(entities->IsAlive(player));
  EXPECT_EQ(Eval("GetEntityID('player')"), "-1");

  // No player any more: the music stays as it is.
  Eval("SetBackgroundMusic('BGM_Other')");
  EXPECT_EQ(components->GetComponent<SoundEmitter>(player)->_soundAlias, "BGM_Level1");
}

using testing_support::FakeInputSource;

class LuaInputApiTest : public LuaApiTest {
 protected:
  void SetUp() override {
    LuaApiTest::SetUp();
    std::filesystem::create_directories(GetSaveDataFolder());
    std::ofstream(GetSaveDataFolder() + "/Controls.json")
        << R"({"Inputs": [{"_type": 0, "GameAction": "DASH", "boundInput": )"
        << SlotOfKey(kKeyShift)
        << R"(}, {"_type": 0, "GameAction": "VIRTUAL_CURSOR_X", "boundInput": )"
        << kMouseMotionXSlot
        << R"(}, {"_type": 0, "GameAction": "VIRTUAL_CURSOR_Y", "boundInput": )"
        << kMouseMotionYSlot << "}]}";
    auto fake = std::make_unique<FakeInputSource>();
    source = fake.get();
    testing::internal::CaptureStdout();
    input = systems->RegisterSystem<InputSystem>(std::move(fake));
    testing::internal::GetCapturedStdout();
    scripts->apiLinks.input = input;
  }

  static constexpr int kKeyShift = 340;
  testing_support::ScopedTempHome home;
  FakeInputSource* source = nullptr;
  std::shared_ptr<InputSystem> input;
};

TEST_F(LuaInputApiTest, ActionQueriesFollowTheInputSystem) {
  const char* const kQueries =
      "input.GetActionState(GameAction.DASH) .. ' ' .. input.GetActionRangeVal(10) .. ' ' .. "
      "tostring(input.IsActionTriggered(10)) .. ' ' .. tostring(input.IsActionTrue(10)) .. "
      "' ' .. tostring(input.IsActionReleased(10.0)) .. ' ' .. "
      "tostring(input.IsActionFalse(10))";
  const struct {
    bool held;
    const char* expected;
  } frames[] = {
      {true, "0 1.0 true true false false"},
      {true, "2 1.0 false true false false"},
      {false, "1 0.0 false false true true"},
      {false, "3 0.0 false false false true"},
  };
  for (const auto& frame : frames) {
    if (frame.held) {
      source->keys.insert(kKeyShift);
    } else {
      source->keys.clear();
    }
    input->Update(1.0f / 60.0f);
    EXPECT_EQ(Eval(kQueries), frame.expected);
  }

  // Only integral numbers name an action (2.5 reads as action 0); indices outside 0..23 read as
  // FALSE and 0.
  source->keys.insert(kKeyShift);
  input->Update(1.0f / 60.0f);
  for (const char* action : {"2.5", "'x'", "24", "-1", "2^40"}) {
    EXPECT_EQ(Eval(std::string("input.GetActionState(") + action +
                   ") .. ' ' .. "
                   "input.GetActionRangeVal(" +
                   action + ")"),
              "3 0.0")
        << action;
  }
  EXPECT_EQ(Eval("input.IsActionTrue(10.0)"), "true");
}

TEST_F(LuaInputApiTest, MouseQueriesReadTheVirtualCursor) {
  for (int step = 0; step < 4; ++step) {
    source->cursor += glm::vec2(3.0f, -2.0f);
    input->Update(1.0f / 60.0f);
  }
  const glm::vec2 position = input->GetMousePos();
  const glm::vec2 delta = input->GetMouseDelta();
  ASSERT_NE(position, glm::vec2(0.0f));
  ASSERT_NE(delta, glm::vec2(0.0f));
  EXPECT_FLOAT_EQ(std::stof(Eval("GetMousePos().x")), position.x);
  EXPECT_FLOAT_EQ(std::stof(Eval("GetMousePos().y")), position.y);
  EXPECT_FLOAT_EQ(std::stof(Eval("GetMouseDelta().x")), delta.x);
  EXPECT_FLOAT_EQ(std::stof(Eval("GetMouseDelta().y")), delta.y);
}

}  // namespace
