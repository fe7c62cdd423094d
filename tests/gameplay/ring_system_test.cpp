// Rings flying between the hands, driven through the real action lists with made-up prefabs, a
// recording receiver for the messages and an identity UI camera.

#include "gameplay/ring_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "components/mesh_component.h"
#include "components/physics.h"
#include "engine/component_manager.h"
#include "scripting/action_list_system.h"
#include "tests/support/engine_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class RingSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    components = decs->GetManager<ComponentManager>().get();
    components->RegisterComponent<Transform>();
    components->RegisterComponent<Physics>();
    components->RegisterComponent<MeshComponent>();
    actions = systems->RegisterSystem<ActionListSystem>().get();
    rings = systems->RegisterSystem<RingSystem>().get();
    testing::internal::GetCapturedStdout();
    systems->AddChild(&recorder);
    RingSystemLinks links;
    links.uiCameraMatrix = [this] { return hasCamera ? &camera : nullptr; };
    links.currentSceneName = [this] { return scene; };
    links.instantiatePrefab = [this](const std::string& prefab) { return MakeEntity(prefab); };
    links.actionLists = actions;
    rings->SetLinks(std::move(links));
  }

  int MakeEntity(const std::string& prefab) {
    const int entity = entities->CreateEntity(prefab + std::to_string(++made));
    Transform transform;
    transform._scale = glm::vec3(0.2f, 0.4f, 1.0f);
    components->AddComponent(entity, transform);
    if (prefab == "Ring") {
      Physics physics;
      physics._angularVelocity = glm::vec3(0.0f, 5.0f, 0.0f);
      components->AddComponent(entity, physics);
      entities->AddToSignature<Physics>(entity);
    }
    entities->AddToSignature<Transform>(entity);
    MeshComponent mesh;
    if (prefab != "Ring") mesh._offset = handDrawOffset;
    components->AddComponent(entity, mesh);
    entities->AddToSignature<MeshComponent>(entity);
    return entity;
  }

  void Send(const std::string& message) {
    testing::internal::CaptureStdout();
    rings->HandleMessage(message);
    testing::internal::GetCapturedStdout();
  }

  // One frame: the tweens advance, then the rings follow their slots.
  void Step(float dt) {
    actions->Update(dt);
    rings->Update(dt);
  }

  Transform& TransformOf(int entity) { return *components->GetComponent<Transform>(entity); }

  std::vector<std::string> Sounds() const {
    std::vector<std::string> sounds;
    for (const std::string& line : log) {
      if (line.find("play_sfx") != std::string::npos) sounds.push_back(line);
    }
    return sounds;
  }

  ComponentManager* components = nullptr;
  ActionListSystem* actions = nullptr;
  RingSystem* rings = nullptr;
  std::vector<std::string> log;
  testing_support::RecordingReceiver recorder{"rec", 1, &log};
  glm::mat4 camera{1.0f};
  bool hasCamera = true;
  std::string scene = "level1_scene";
  int made = 0;
  glm::vec3 handDrawOffset{0.0f};
};

TEST_F(RingSystemTest, InitRingsDealsRingsAndClampsTheCount) {
  const struct {
    const char* message;
    int left;
    int right;
  } cases[] = {{"InitRings 3", 2, 1},
               {"InitRings 0", 0, 0},
               {"InitRings 40", 13, 13},
               {"InitRings -2", 0, 0},
               {"InitRings 5", 3, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Send(c.message);
    EXPECT_EQ(rings->GetLeftHandRingsCount(), c.left);
    EXPECT_EQ(rings->GetRightHandRingsCount(), c.right);
    for (int ring : rings->leftHandRingIds) EXPECT_FALSE(components->HasComponent<Physics>(ring));
  }
  // A bad argument changes nothing.
  for (const char* bad : {"InitRings", "InitRings x", "InitRings 2x"}) {
    Send(bad);
    EXPECT_EQ(rings->GetLeftHandRingsCount(), 3) << bad;
  }

  // Rings start at slot 0 of their hand and take their own slot on the first update.
  Send("InitRings 3");
  const int second = *std::next(rings->leftHandRingIds.begin());
  Step(0.01f);
  const Transform& leftHand = TransformOf(rings->leftHandEntity);
  EXPECT_FLOAT_EQ(leftHand._position.x, -1.0f + 0.5f * 0.2f);
  EXPECT_FLOAT_EQ(leftHand._position.y, 1.0f + 0.5f * 0.4f + 0.001f);
  EXPECT_FLOAT_EQ(TransformOf(rings->rightHandEntity)._position.x, 1.0f - 0.5f * 0.2f);
  const glm::vec3 slot1 = leftHand._position + RingSystem::DefaultLeftHandSlots()[1]._position;
  EXPECT_FLOAT_EQ(TransformOf(second)._position.x, slot1.x);
  EXPECT_FLOAT_EQ(TransformOf(second)._position.y, slot1.y);
}

TEST_F(RingSystemTest, SendRingFliesOneRingWithItsSoundAndHandFlash) {
  Send("InitRings 2");
  Step(0.01f);
  const int ring = rings->rightHandRingIds.back();
  Send("RingSystem_RingLeft");
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 2);
  EXPECT_EQ(rings->GetRightHandRingsCount(), 0);
  ASSERT_EQ(Sounds().size(), 1u);
  EXPECT_THAT(Sounds()[0], testing::MatchesRegex("rec:play_sfx ringRinging [0-9.]+ 0.85 -0.7 2"));
  ASSERT_EQ(rings->ringActions[ring].size(), 3u);

  // The flight takes distance / 3 seconds; the ring ends in left slot 1 with its scale.
  const Transform& slot = rings->leftSlotTransforms[1];
  const float seconds = glm::distance(TransformOf(ring)._position, slot._position) / 3.0f;
  for (float t = 0.0f; t < seconds + 0.02f; t += 0.01f) Step(0.01f);
  EXPECT_NEAR(TransformOf(ring)._position.x, slot._position.x, 1e-5f);
  EXPECT_NEAR(TransformOf(ring)._scale.y, 0.08f, 1e-6f);
  // Arrival: the Floreth value flashes to 2 within 0.05 s, then settles at 2 / 13.
  Step(0.05f);
  Step(0.0f);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats["florethHandOverallEffectVal"], 2.0f);
  for (int i = 0; i < 25; ++i) Step(0.01f);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats["florethHandOverallEffectVal"], 2.0f / 13.0f);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats["florethHandEffectStrengthVal"], 2.0f / 13.0f + 1.0f);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats["sundrelHandEffectStrengthVal"], 1.0f);

  // Nothing left on the right: refused silently.
  log.clear();
  Send("RingSystem_RingLeft");
  EXPECT_TRUE(Sounds().empty());
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 2);
}

TEST_F(RingSystemTest, RefusedMovesChangeNothingAndPlayNothing) {
  Send("InitRings 26");
  Send("RingSystem_RingLeft");   // left is full
  Send("RingSystem_RingRight");  // right is full
  Send("RingSystem_AddRing");    // both hold 26
  EXPECT_TRUE(rings->waitingRingIds.empty());

  Send("InitRings 2");
  scene = "main_menu_scene";
  Send("RingSystem_RingLeft");
  Send("RingSystem_RingRight");
  EXPECT_TRUE(Sounds().empty());
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 1);
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
}

TEST_F(RingSystemTest, LooseRingIsTakenFirstButNotToTheRightWhileRising) {
  Send("InitRings 2");
  Send("RingSystem_AddRing");
  const int loose = rings->waitingRingIds.back();
  Send("RingSystem_RingRight");
  EXPECT_EQ(rings->waitingRingIds.size(), 1u) << "still rising";
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
  Send("RingSystem_RingLeft");
  EXPECT_TRUE(rings->waitingRingIds.empty());
  EXPECT_EQ(rings->leftHandRingIds.back(), loose);
  EXPECT_EQ(components->GetComponent<Physics>(loose)->_angularVelocity, glm::vec3(0.0f));
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
}

TEST_F(RingSystemTest, TutorialGatesTheHandsAndItsScriptCalls) {
  Send("InitRings 2");
  Send("tutorial_start");
  EXPECT_THAT(log, ElementsAre("rec:leftkey_hide", "rec:rightkey_hide"));
  log.clear();
  Send("RingSystem_RingLeft");
  Send("RingSystem_RingRight");
  EXPECT_TRUE(log.empty());
  Step(0.01f);
  EXPECT_EQ(TransformOf(rings->leftHandEntity)._position.x, 9999.0f);
  EXPECT_EQ(TransformOf(rings->rightHandEntity)._position, glm::vec3(9999.0f));

  Send("Tutorial_EnableLeftHand");
  log.clear();
  Send("RingSystem_RingLeft");
  EXPECT_EQ(log[0], "rec:lua_call RingSentLeft");
  log.clear();
  Send("RingSystem_RingLeft");  // no source ring: no script call, no sound
  EXPECT_TRUE(log.empty());

  for (int i = 0; i < 3; ++i) Send("block_regenerated");
  EXPECT_FALSE(rings->rightHandEnabled);
  Send("block_regenerated");
  EXPECT_THAT(log, ElementsAre("rec:lua_call HealingLearned", "rec:rightkey_show",
                               "rec:lua_call TutorialDarken", "rec:lua_call BlockRegenerated"));

  log.clear();
  Send("RingSystem_RingRight");
  EXPECT_EQ(log[0], "rec:lua_call RingSentRight");
  EXPECT_EQ(log.back(), "rec:lua_call Rings_Ended");
  EXPECT_EQ(rings->waitingRingIds.size(), 1u);
  EXPECT_EQ(rings->GetRightHandRingsCount(), 1);
}

TEST_F(RingSystemTest, RebuildingDuringAFlightCancelsItsTweens) {
  Send("InitRings 2");
  Step(0.01f);
  Send("RingSystem_RingLeft");
  EXPECT_FALSE(actions->Actions<glm::vec3>().empty());
  Send("InitRings 1");
  EXPECT_TRUE(actions->Actions<glm::vec3>().empty());
  for (int i = 0; i < 200; ++i) Step(0.01f);
  EXPECT_EQ(rings->GetLeftHandRingsCount(), 1);
}

// Hands and rings outlive scenes: with no UI camera, or in the main menu, they are parked out of
// sight (a flight ends there), and they come back to their slots once a level shows them again.
TEST_F(RingSystemTest, WithoutACameraOrInTheMainMenuHandsAndRingsAreParked) {
  const glm::vec3 parked(9999.0f);
  const struct {
    const char* name;
    bool camera;
    const char* scene;
  } cases[] = {{"no camera", false, "level1_scene"}, {"main menu", true, "main_menu_scene"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    hasCamera = true;
    scene = "level1_scene";
    Send("InitRings 2");
    Step(0.01f);
    Send("RingSystem_RingLeft");  // the right hand's ring is in flight
    const int flying = rings->leftHandRingIds.back();
    Step(0.01f);

    hasCamera = c.camera;
    scene = c.scene;
    Step(0.01f);
    Send("RingSystem_AddRing");  // made while hidden: parked too
    Step(0.01f);
    EXPECT_EQ(TransformOf(rings->leftHandEntity)._position, parked);
    EXPECT_EQ(TransformOf(rings->rightHandEntity)._position, parked);
    for (int ring : rings->leftHandRingIds) EXPECT_EQ(TransformOf(ring)._position, parked);
    EXPECT_EQ(TransformOf(rings->waitingRingIds.back())._position, parked);
    EXPECT_TRUE(actions->Actions<glm::vec3>().empty());

    hasCamera = true;
    scene = "level1_scene";
    Step(0.01f);
    EXPECT_EQ(TransformOf(flying)._position, rings->leftSlotTransforms[1]._position);
    EXPECT_EQ(TransformOf(flying)._rotation, rings->leftSlotTransforms[1]._rotation);
    EXPECT_EQ(TransformOf(rings->waitingRingIds.back())._position, glm::vec3(0.0f, -0.325f, 0.3f));
  }
}

TEST_F(RingSystemTest, PauseKeepsPlacingButSkipsTheShaderValues) {
  Send("InitRings 1");
  TransformOf(rings->leftHandEntity)._position = glm::vec3(5.0f);
  decs->paused = true;
  Step(0.01f);
  EXPECT_NE(TransformOf(rings->leftHandEntity)._position, glm::vec3(5.0f));
  EXPECT_TRUE(decs->globalUniforms.floats.empty());
  decs->paused = false;
  Step(0.01f);
  EXPECT_EQ(decs->globalUniforms.floats["florethHandEffectStrengthVal"], 1.0f + 1.0f / 13.0f);
}

}  // namespace

// Hands drawn shifted down from their position: held rings take the same shift, so they sit in
// the hand's picture, and a loose ring taken by a hand does not jump when its shift changes.
TEST_F(RingSystemTest, HeldRingsAreDrawnWithTheirHandsShift) {
  handDrawOffset = glm::vec3(0.0f, -0.3f, 0.0f);
  Send("InitRings 1");
  const int held = rings->leftHandRingIds.front();
  EXPECT_EQ(components->GetComponent<MeshComponent>(held)->_offset, handDrawOffset);

  Send("RingSystem_AddRing");
  const int loose = rings->waitingRingIds.back();
  Step(2.5f);
  const auto drawnAt = [this](int ring) {
    return TransformOf(ring)._position + components->GetComponent<MeshComponent>(ring)->_offset;
  };
  EXPECT_EQ(components->GetComponent<MeshComponent>(loose)->_offset, glm::vec3(0.0f));
  const glm::vec3 before = drawnAt(loose);
  Send("RingSystem_RingRight");
  ASSERT_EQ(rings->rightHandRingIds.back(), loose);
  EXPECT_EQ(components->GetComponent<MeshComponent>(loose)->_offset, handDrawOffset);
  EXPECT_LT(glm::distance(drawnAt(loose), before), 1e-5f);

  for (int step = 0; step < 20; ++step) Step(0.1f);
  EXPECT_LT(glm::distance(TransformOf(loose)._position, rings->rightSlotTransforms[0]._position),
            1e-5f);
}
