#include "app/system_wiring.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "audio/sound_system.h"
#include "components/camera.h"
#include "components/component_registration.h"
#include "components/entity_reader.h"
#include "components/prefab_instantiation.h"
#include "components/scene_system.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "gameplay/ring_system.h"
#include "platform/input_slots.h"
#include "platform/input_system.h"
#include "platform/settings_system.h"
#include "render/camera_system.h"
#include "scripting/action_list_system.h"
#include "scripting/lua_script_system.h"
#include "tests/scripting/lua/lua_test_support.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/fake_input_source.h"
#include "tests/support/temp_folder.h"
#include "ui/game_hud.h"
#include "ui/menu_manager.h"

namespace {

// The game as it starts, on a player folder of its own; stopped after each test.
class SystemWiring : public testing::Test {
 protected:
  void SetUp() override {
    CreateUserFolders();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    StartEngine();
    startErrors = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
  }
  void TearDown() override {
    testing::internal::CaptureStdout();
    StopEngine();
    testing::internal::GetCapturedStdout();
  }

  testing_support::ScopedTempHome home;
  std::string startErrors;
};

// Every system of the game gets every link it needs from the composition root.
TEST_F(SystemWiring, TheGameStartsWithEveryLinkFilled) {
  EXPECT_THAT(startErrors, testing::Not(testing::HasSubstr("has no link"))) << startErrors;
}

// The game as it starts: the scripts' API reaches the scene stack and the tile world through the
// links the composition root filled.
TEST_F(SystemWiring, ScriptsSeeTheSceneStackAndTheTileGroups) {
  const auto scripts = DECS::Instance().GetSystem<LuaScriptSystem>();
  ASSERT_NE(scripts, nullptr);
  const auto eval = [&](const std::string& expression) {
    return lua_test::Eval(scripts->lua, "return " + expression);
  };
  EXPECT_EQ(eval("IsCurrentScene('splash_scene')"), "true");
  EXPECT_EQ(eval("IsCurrentScene('main_menu_scene')"), "false");
  EXPECT_EQ(eval("IsIndexCollidable(0)"), "true");

  // Lowering group 0 in the tile world is seen by the scripts.
  testing::internal::CaptureStdout();
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("tilemap_set_group 0 lower", 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(eval("IsIndexCollidable(0)"), "false");
  EXPECT_EQ(eval("GetLeftHandRingsCount() .. GetRightHandRingCount()"), "00");
}

// The options menu's ranges reach the sound system's volumes, and a script's ShowHint the HUD.
TEST_F(SystemWiring, VolumeRangesReachTheMixerAndScriptHintsTheHud) {
  DECS& decs = DECS::Instance();
  const auto sound = decs.GetSystem<SoundSystem>();
  ASSERT_NE(sound, nullptr);
  const auto post = [&](const char* message) {
    decs.GetManager<MessagingManager>()->PostFormatted("%s", 1, message);
  };
  post("set_music_volume 0.350000");
  post("set_sfx_volume 0.200000");
  post("set_master_volume 0.500000");
  EXPECT_FLOAT_EQ(sound->musicVolume, 0.35f);
  EXPECT_FLOAT_EQ(sound->effectVolume, 0.2f);
  EXPECT_FLOAT_EQ(sound->playerVolume, 0.5f);
  // The scene transition's master volume is the sound system's own and stays so.
  EXPECT_FLOAT_EQ(sound->ambienceVolume, 1.0f);
  post("set_master_volume 3");
  EXPECT_FLOAT_EQ(sound->playerVolume, 1.0f);

  const auto menus = decs.GetSystem<MenuManager>();
  ASSERT_NE(menus, nullptr);
  ASSERT_NE(menus->HUD(), nullptr);
  post("hide_menu");
  const auto scripts = decs.GetSystem<LuaScriptSystem>();
  lua_test::Eval(scripts->lua, "ShowHint(201)");
  menus->Update(0.0f);
  EXPECT_EQ(menus->HUD()->Hints().Slots()[0].text, "\"Pick up a block to fire it!\"");
}

// In the boss level the scripts' tutorial hints wait while its boss is missing: the HUD knows
// the scene and its entities through the composition root.
TEST_F(SystemWiring, ScriptHintsInTheBossLevelWaitForTheBoss) {
  DECS& decs = DECS::Instance();
  const auto menus = decs.GetSystem<MenuManager>();
  const auto scenes = decs.GetSystem<SceneSystem>();
  const auto scripts = decs.GetSystem<LuaScriptSystem>();
  ASSERT_NE(menus, nullptr);
  ASSERT_NE(menus->HUD(), nullptr);
  // The boss level without its boss.
  const std::filesystem::path scene = home.folder.path / "final_boss_test_scene.json";
  std::ofstream(scene) << "[]";
  testing::internal::CaptureStdout();
  const bool pushed = scenes->PushScene(scene.string(), "final_boss_test_scene");
  decs.GetManager<MessagingManager>()->PostFormatted("hide_menu", 1);
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(pushed);
  const HintSlot& first = menus->HUD()->Hints().Slots()[0];

  lua_test::Eval(scripts->lua, "ShowHint(605)");
  menus->Update(0.0f);
  EXPECT_FALSE(first.active) << first.text;

  const int boss = decs.GetManager<EntityManager>()->CreateEntity("finalBossEnemy");
  ASSERT_NE(boss, kNoEntity);
  lua_test::Eval(scripts->lua, "ShowHint(605)");
  menus->Update(0.0f);
  EXPECT_EQ(first.text, "\"Press SHIFT to dash!\"");
}

// ---- Linking whichever systems are registered ----

// The systems the cases below register, by a short name.
enum class Linked { kRings, kInput, kActions, kScenes, kCameras, kSettings, kSound };

// An engine holding only the systems a case names, registered in the order it names them, in a
// folder of made-up hand and ring prefabs; the E key is the positive side of SEND_RING (a ring
// to the left hand).
class LinkSystemsTest : public testing_support::EngineFixture {
 protected:
  static constexpr int kKeyE = 'E';
  static constexpr int kKeyQ = 'Q';

  void SetUp() override {
    EngineFixture::SetUp();
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(home.folder.path);
    testing::internal::CaptureStdout();
    RegisterAllComponents();
    testing::internal::GetCapturedStdout();
    std::filesystem::create_directories(kPrefabFolder);
    for (const char* prefab : {"LeftHand", "RightHand", "Ring"}) {
      std::ofstream(PrefabPath(prefab)) << R"({"class Transform": {}})";
    }
    std::filesystem::create_directories(GetSaveDataFolder());
    std::ofstream(GetSaveDataFolder() + "/Controls.json")
        << R"({"Inputs": [{"_type": 1, "GameAction": "SEND_RING", "boundInput": )"
        << SlotOfKey(kKeyQ) << R"(, "boundInput2": )" << SlotOfKey(kKeyE)
        << R"(, "sensitivity": 1.0, "invert": false}]})";
  }
  void TearDown() override {
    EngineFixture::TearDown();
    std::filesystem::current_path(previousFolder);
  }

  void Register(const std::vector<Linked>& order) {
    testing::internal::CaptureStdout();
    for (const Linked system : order) {
      switch (system) {
        case Linked::kRings:
          rings = systems->RegisterSystem<RingSystem>().get();
          break;
        case Linked::kInput: {
          auto fake = std::make_unique<testing_support::FakeInputSource>();
          keys = &fake->keys;
          systems->RegisterSystem<InputSystem>(std::move(fake));
          break;
        }
        case Linked::kActions:
          systems->RegisterSystem<ActionListSystem>();
          break;
        case Linked::kScenes:
          systems->RegisterSystem<SceneSystem>();
          break;
        case Linked::kCameras:
          cameras = systems->RegisterSystem<CameraSystem>().get();
          break;
        case Linked::kSettings:
          systems->RegisterSystem<SettingsSystem>();
          break;
        case Linked::kSound:
          systems->RegisterSystem<SoundSystem>();
          break;
      }
    }
    testing::internal::GetCapturedStdout();
  }

  // Links the registered systems; the lines reporting missing links.
  std::vector<std::string> Link() {
    testing::internal::CaptureStderr();
    LinkSystems(*decs);
    std::istringstream errors(testing::internal::GetCapturedStderr());
    std::vector<std::string> reported;
    for (std::string line; std::getline(errors, line);) {
      if (line.starts_with("SystemWiring : ")) reported.push_back(line);
    }
    return reported;
  }

  // A camera on the UI layer (2) over a 200 x 100 window, so the hands are placed, not parked.
  void AddUiCamera() {
    CameraSystemLinks window;
    window.windowSize = [](int& width, int& height) {
      width = 200;
      height = 100;
      return true;
    };
    cameras->SetLinks(std::move(window));
    ComponentManager& components = *decs->GetManager<ComponentManager>();
    const int entity = entities->CreateEntity("ui camera");
    Camera camera;
    camera._frameBuffer = FramebufferLayer::GAMEUI;
    components.AddComponent(entity, Transform{});
    components.AddComponent(entity, camera);
    entities->AddToSignature<Transform>(entity);
    entities->AddToSignature<Camera>(entity);
    systems->EntitySignatureChanged(entity, entities->signaturesById[entity]);
  }

  // One fixed update of the engine.
  void Step() {
    clock->Advance(1.0 / 60.0);
    testing::internal::CaptureStdout();
    decs->Update();
    testing::internal::GetCapturedStdout();
  }

  const glm::vec3& PositionOf(int entity) {
    return decs->GetManager<ComponentManager>()->GetComponent<Transform>(entity)->_position;
  }

  testing_support::ScopedTempHome home;
  std::filesystem::path previousFolder;
  RingSystem* rings = nullptr;
  CameraSystem* cameras = nullptr;
  std::set<int>* keys = nullptr;
};

// A case: the systems registered, in order, under a name for the test's title.
struct RegistrationCase {
  const char* name;
  std::vector<Linked> registered;
  // The missing links reported, "'<system>' has no link '<link>'".
  std::vector<std::string> reported;
};

std::string CaseName(const testing::TestParamInfo<RegistrationCase>& info) {
  return info.param.name;
}

void PrintTo(const RegistrationCase& registration, std::ostream* out) { *out << registration.name; }

class RingLinksInAnyOrder : public LinkSystemsTest,
                            public testing::WithParamInterface<RegistrationCase> {};

// Linked after registration, the rings reach the input, the action lists, the UI camera and the
// scenes whichever of them was registered first: SEND_RING sends a ring, which flies to its
// slot on the action lists instead of jumping there.
TEST_P(RingLinksInAnyOrder, RingsMove) {
  Register(GetParam().registered);
  for (const std::string& line : Link()) {
    EXPECT_THAT(line, testing::Not(testing::HasSubstr("RingSystem"))) << line;
  }
  AddUiCamera();
  rings->HandleMessage("InitRings 2");
  ASSERT_EQ(rings->GetRightHandRingsCount(), 1);
  const int ring = rings->rightHandRingIds.back();
  Step();

  keys->insert(kKeyE);
  for (int update = 0; update < 4 && rings->GetLeftHandRingsCount() < 2; ++update) Step();
  ASSERT_EQ(rings->GetLeftHandRingsCount(), 2);
  Step();
  EXPECT_NE(PositionOf(ring), rings->leftSlotTransforms[1]._position) << "the ring is on its way";
  for (int update = 0; update < 5 * 60; ++update) Step();
  EXPECT_EQ(PositionOf(ring), rings->leftSlotTransforms[1]._position) << "the ring has arrived";
}

INSTANTIATE_TEST_SUITE_P(
    Orders, RingLinksInAnyOrder,
    testing::Values(RegistrationCase{"RingsFirst",
                                     {Linked::kRings, Linked::kInput, Linked::kActions,
                                      Linked::kCameras, Linked::kScenes},
                                     {}},
                    RegistrationCase{"RingsLast",
                                     {Linked::kInput, Linked::kActions, Linked::kCameras,
                                      Linked::kScenes, Linked::kRings},
                                     {}},
                    RegistrationCase{"RingsBetween",
                                     {Linked::kScenes, Linked::kRings, Linked::kCameras,
                                      Linked::kActions, Linked::kInput},
                                     {}}),
    CaseName);

class MissingLinks : public LinkSystemsTest,
                     public testing::WithParamInterface<RegistrationCase> {};

// A link whose system is not registered is reported at start-up, naming the system and the link.
TEST_P(MissingLinks, AreReportedByNameAtStartUp) {
  Register(GetParam().registered);
  std::vector<std::string> expected;
  for (const std::string& link : GetParam().reported) {
    expected.push_back("SystemWiring : " + link);
  }
  EXPECT_THAT(Link(), testing::UnorderedElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingLinks,
    testing::Values(RegistrationCase{"RingsAlone",
                                     {Linked::kRings},
                                     {"'class RingSystem' has no link 'uiCameraMatrix'",
                                      "'class RingSystem' has no link 'currentSceneName'",
                                      "'class RingSystem' has no link 'sendRingTriggered'",
                                      "'class RingSystem' has no link 'sendRingRange'",
                                      "'class RingSystem' has no link 'actionLists'"}},
                    RegistrationCase{"RingsWithoutCamerasOrScenes",
                                     {Linked::kActions, Linked::kRings, Linked::kInput},
                                     {"'class RingSystem' has no link 'uiCameraMatrix'",
                                      "'class RingSystem' has no link 'currentSceneName'"}},
                    RegistrationCase{"SoundAlone",
                                     {Linked::kSound},
                                     {"'class SoundSystem' has no link 'windowFocused'",
                                      "'class SoundSystem' has no link 'tweener'",
                                      "'class SoundSystem' has no link 'settings'"}},
                    RegistrationCase{"SoundAndSettingsWithoutAWindow",
                                     {Linked::kSound, Linked::kActions, Linked::kSettings},
                                     {"'class SoundSystem' has no link 'windowFocused'",
                                      "'class SettingsSystem' has no link 'windowFullscreen'",
                                      "'class SettingsSystem' has no link 'windowRect'"}},
                    RegistrationCase{"CamerasAndSettingsWithoutAWindowOrSound",
                                     {Linked::kCameras, Linked::kSettings},
                                     {"'class CameraSystem' has no link 'windowSize'",
                                      "'class SettingsSystem' has no link 'windowFullscreen'",
                                      "'class SettingsSystem' has no link 'windowRect'",
                                      "'class SettingsSystem' has no link 'muteState'"}},
                    RegistrationCase{
                        "SystemsWithoutLinks", {Linked::kScenes, Linked::kActions}, {}}),
    CaseName);

// The scene system is the engine's prefab scenes once linked: prefabs made while the game runs
// belong to its current scene.
TEST_F(LinkSystemsTest, PrefabsMadeWhileTheGameRunsBelongToTheCurrentScene) {
  Register({Linked::kScenes});
  Link();
  std::filesystem::create_directories("GAME/Scenes");
  std::ofstream("GAME/Scenes/arena.json") << "[]";
  testing::internal::CaptureStdout();
  ASSERT_TRUE(systems->GetSystem<SceneSystem>()->PushScene("GAME/Scenes/arena.json", "arena"));
  const int ring = InstantiatePrefabInScene("Ring", "", "");
  testing::internal::GetCapturedStdout();
  ASSERT_NE(ring, kNoEntity);
  const auto* owner = decs->GetManager<ComponentManager>()->GetComponent<SceneIdentifier>(ring);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(owner->_sceneName, "arena");
}

}  // namespace
