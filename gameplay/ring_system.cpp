#include "gameplay/ring_system.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/matrix.hpp>
#include <random>
#include <sstream>
#include <utility>

#include "components/mesh_component.h"
#include "components/physics.h"
#include "components/prefab_instantiation.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/random_engines.h"
#include "engine/system_manager.h"
#include "scripting/action_list_system.h"

namespace {

constexpr const char* kMainMenuScene = "main_menu_scene";
constexpr float kHiddenCoordinate = 9999.0f;
// Easing indices of the action lists.
constexpr int kEaseOut = 2;
constexpr int kSmoothStep = 3;
constexpr int kSquareRoot = 4;

// A loose ring rises from below the view to just inside its lower edge.
constexpr glm::vec3 kLooseRingStart(0.0f, -0.625f, 0.3f);
constexpr glm::vec3 kLooseRingRisen(0.0f, -0.325f, 0.3f);

// Every ring slot has the same scale; only position and tilt differ.
constexpr glm::vec3 kRingScale(0.035f, 0.08f, 0.035f);

struct SlotPlacement {
  glm::vec2 position;
  glm::vec3 rotationDegrees;
};

RingSystem::SlotTable BuildSlots(
    const std::array<SlotPlacement, RingSystem::kSlotsPerHand>& table) {
  RingSystem::SlotTable slots;
  for (int i = 0; i < RingSystem::kSlotsPerHand; ++i) {
    slots[i] = Transform(glm::vec3(table[i].position, 0.0f), table[i].rotationDegrees, kRingScale);
  }
  return slots;
}

}  // namespace

const RingSystem::SlotTable& RingSystem::DefaultLeftHandSlots() {
  static const SlotTable slots = BuildSlots({{
      {{0.05f, -0.1f}, {-17.8f, 118.0f, 90.0f}},
      {{0.078f, -0.092f}, {-17.8f, 118.0f, 90.0f}},
      {{0.106f, -0.085f}, {-17.8f, 118.0f, 90.0f}},
      {{0.035f, -0.025f}, {-9.7f, 130.5f, 90.0f}},
      {{0.073f, -0.012f}, {-10.9f, 145.2f, 90.0f}},
      {{0.112f, -0.006f}, {-6.2f, 118.0f, 90.0f}},
      {{-0.011f, 0.049f}, {-17.8f, 118.0f, 90.0f}},
      {{0.03f, 0.061f}, {-17.8f, 118.0f, 90.0f}},
      {{0.07f, 0.064f}, {8.7f, 200.0f, 90.0f}},
      {{-0.017f, 0.117f}, {-17.8f, 118.0f, 90.0f}},
      {{0.043f, 0.116f}, {-21.4f, -15.7f, 90.0f}},
      {{0.156f, -0.053f}, {-7.3f, 118.0f, 90.0f}},
      {{0.209f, -0.026f}, {-85.2f, 115.0f, 90.0f}},
  }});
  return slots;
}

const RingSystem::SlotTable& RingSystem::DefaultRightHandSlots() {
  static const SlotTable slots = BuildSlots({{
      {{-0.011f, -0.107f}, {3.9f, 91.0f, 81.3f}},
      {{-0.054f, -0.099f}, {15.3f, 73.0f, 90.0f}},
      {{-0.097f, -0.085f}, {21.0f, 90.0f, 90.0f}},
      {{-0.003f, -0.025f}, {15.6f, 98.9f, 90.0f}},
      {{-0.044f, -0.018f}, {11.4f, 106.8f, 90.0f}},
      {{-0.081f, -0.011f}, {12.0f, 95.9f, 90.0f}},
      {{0.027f, 0.049f}, {16.1f, 94.9f, 90.0f}},
      {{-0.01f, 0.056f}, {19.0f, 90.1f, 90.0f}},
      {{-0.055f, 0.064f}, {5.6f, 85.0f, 90.0f}},
      {{0.081f, 0.11f}, {3.1f, 99.4f, 90.0f}},
      {{0.044f, 0.114f}, {13.4f, 96.1f, 90.5f}},
      {{-0.156f, -0.053f}, {2.1f, 101.1f, 90.0f}},
      {{-0.209f, -0.026f}, {96.1f, 81.9f, 108.4f}},
  }});
  return slots;
}

RingSystem::RingSystem()
    : leftHandSlots(DefaultLeftHandSlots()), rightHandSlots(DefaultRightHandSlots()) {}

void RingSystem::Init() {
  leftSlotTransforms = leftHandSlots;
  rightSlotTransforms = rightHandSlots;
  engine = &DECS::Instance();
  auto systems = engine->GetManager<SystemManager>();
  systems->SetSignature(TypeName<RingSystem>(), {});
  componentManager = engine->GetManager<ComponentManager>();
  // The hands follow the camera while the pause menu is open.
  pausable = false;
}

void RingSystem::HandleMessage(const std::string& message) {
  std::istringstream words(message);
  std::string word;
  std::string argument;
  words >> word >> argument;
  if (word == "RingSystem_AddRing") AddRing();
  if (word == "RingSystem_RingLeft") SendRingLeft();
  if (word == "RingSystem_RingRight") SendRingRight();
  if (word == "InitRings") {
    int count = 0;
    const char* end = argument.data() + argument.size();
    const auto [stop, error] = std::from_chars(argument.data(), end, count);
    if (!argument.empty() && error == std::errc() && stop == end) InitRings(count);
  }
  if (word == "tutorial_start") {
    tutorialActive = true;
    leftHandEnabled = false;
    rightHandEnabled = false;
    tutorialRingAdded = false;
    florethHandEffectStrength = 1.0f;
    florethHandOverallEffect = 0.0f;
    sundrelHandEffectStrength = 1.0f;
    sundrelHandOverallEffect = 0.0f;
    Broadcast("leftkey_hide");
    Broadcast("rightkey_hide");
  }
  if (word == "Tutorial_EnableLeftHand") {
    leftHandEnabled = true;
    leftHandSlideRemaining = handSlideDuration;
    Broadcast("leftkey_show");
    Broadcast("lua_call TutorialDarken");
  }
  if (word == "Tutorial_EnableRightHand") {
    rightHandEnabled = true;
    rightHandSlideRemaining = handSlideDuration;
    Broadcast("lua_call HealingLearned");
    Broadcast("rightkey_show");
    Broadcast("lua_call TutorialDarken");
  }
  if (word == "block_regenerated") {
    ++blocksRegenerated;
    if (leftHandEnabled && !rightHandEnabled && blocksRegenerated > 3) {
      HandleMessage("Tutorial_EnableRightHand");
      Broadcast("lua_call BlockRegenerated");
    }
  }
}

int RingSystem::Instantiate(const std::string& prefab) {
  return links.instantiatePrefab ? links.instantiatePrefab(prefab) : InstantiatePrefab(prefab, "");
}

Transform* RingSystem::TransformOf(int entity) const {
  if (componentManager == nullptr || !IsValidEntityId(entity) ||
      !componentManager->HasComponent<Transform>(entity)) {
    return nullptr;
  }
  return componentManager->GetComponent<Transform>(entity);
}

void RingSystem::CancelRingTweens(int ring) {
  const auto found = ringActions.find(ring);
  if (found == ringActions.end()) return;
  if (links.actionLists != nullptr) {
    for (double id : found->second) links.actionLists->CancelAction(id);
  }
  ringActions.erase(found);
}

// The ring's tweens go first: the id is free for a new entity at once.
void RingSystem::DestroyRingEntity(int entity) {
  if (!IsValidEntityId(entity)) return;
  CancelRingTweens(entity);
  if (Transform* transform = TransformOf(entity); transform != nullptr && links.actionLists) {
    links.actionLists->CancelActionsOnTarget(&transform->_position);
    links.actionLists->CancelActionsOnTarget(&transform->_rotation);
    links.actionLists->CancelActionsOnTarget(&transform->_scale);
  }
  engine->DestroyEntity(entity);
}

void RingSystem::DestroyAll() {
  DestroyRingEntity(leftHandEntity);
  DestroyRingEntity(rightHandEntity);
  for (auto* rings : {&waitingRingIds, &leftHandRingIds, &rightHandRingIds}) {
    for (int ring : *rings) DestroyRingEntity(ring);
    rings->clear();
  }
  leftHandEntity = kNoEntity;
  rightHandEntity = kNoEntity;
  handsCreated = false;
}

void RingSystem::InitRings(int count) {
  count = std::clamp(count, 0, kMaxRings);
  if (handsCreated) DestroyAll();
  leftHandEntity = Instantiate("LeftHand");
  rightHandEntity = Instantiate("RightHand");
  handsCreated = true;
  auto entityManager = engine->GetManager<EntityManager>();
  auto systems = engine->GetManager<SystemManager>();
  for (int i = 0; i < count; ++i) {
    const int ring = Instantiate("Ring");
    if (ring < 0) continue;
    const bool left = i % 2 == 0;
    (left ? leftHandRingIds : rightHandRingIds).push_back(ring);
    // A ring held in a hand is placed by this system, not by physics.
    if (componentManager->HasComponent<Physics>(ring)) {
      componentManager->RemoveComponent<Physics>(ring);
      entityManager->RemoveFromSignature<Physics>(ring);
      systems->EntitySignatureChanged(ring, entityManager->signaturesById[ring]);
    }
    if (Transform* transform = TransformOf(ring)) {
      *transform = left ? leftSlotTransforms[0] : rightSlotTransforms[0];
    }
    TakeHandDrawOffset(ring, left ? leftHandEntity : rightHandEntity);
  }
}

void RingSystem::AddRing() {
  if (!handsCreated || GetLeftHandRingsCount() + GetRightHandRingsCount() >= kMaxRings) return;
  const int ring = Instantiate("Ring");
  if (ring < 0) return;
  waitingRingIds.push_back(ring);
  Transform* transform = TransformOf(ring);
  if (transform == nullptr || links.actionLists == nullptr) return;
  transform->_position = kLooseRingStart;
  ringActions[ring].push_back(links.actionLists->AddVec3Action(
      &transform->_position, kLooseRingStart, kLooseRingRisen, 2.0f, kEaseOut));
}

bool RingSystem::InMainMenu() const {
  return links.currentSceneName && links.currentSceneName() == kMainMenuScene;
}

// A ring without recorded tweens (as "InitRings" makes them) is not flying.
bool RingSystem::IsFlying(int ring) const {
  const auto found = ringActions.find(ring);
  return found != ringActions.end() && !found->second.empty() && links.actionLists != nullptr &&
         links.actionLists->IsVec3ActionQueued(found->second.front());
}

void RingSystem::SendRingLeft() {
  const auto canMove = [this] {
    return handsCreated && !InMainMenu() && GetLeftHandRingsCount() < kSlotsPerHand &&
           (!waitingRingIds.empty() || !rightHandRingIds.empty());
  };
  if (!canMove()) return;
  if (tutorialActive) {
    if (!leftHandEnabled) return;
    if (!rightHandEnabled) {
      Broadcast("lua_call RingSentLeft");
      // The script may have rebuilt or moved the rings.
      if (!canMove()) return;
    }
  }
  int ring = kNoEntity;
  if (!waitingRingIds.empty()) {
    ring = waitingRingIds.back();
    waitingRingIds.pop_back();
    if (componentManager->HasComponent<Physics>(ring)) {
      componentManager->GetComponent<Physics>(ring)->_angularVelocity = glm::vec3(0.0f);
    }
  } else {
    ring = rightHandRingIds.back();
    rightHandRingIds.pop_back();
  }
  leftHandRingIds.push_back(ring);
  Fly(ring, Hand::Left);
  PlayRingSound(" 0.85 -0.7 2");
}

void RingSystem::SendRingRight() {
  // The loose ring at the end of the list cannot go right while it is still rising.
  const auto looseRingRising = [this] {
    if (waitingRingIds.empty()) return false;
    const auto found = ringActions.find(waitingRingIds.back());
    return found != ringActions.end() && !found->second.empty() && links.actionLists != nullptr &&
           links.actionLists->IsVec3ActionQueued(found->second.back());
  };
  const auto canTry = [this] {
    return handsCreated && !InMainMenu() && GetRightHandRingsCount() < kSlotsPerHand;
  };
  if (!canTry()) return;
  if (tutorialActive && !rightHandEnabled) return;
  const bool hasSource = !waitingRingIds.empty() || !leftHandRingIds.empty();
  if (tutorialActive && hasSource && !looseRingRising()) {
    Broadcast("lua_call RingSentRight");
    if (!canTry()) return;
  }
  if (!waitingRingIds.empty()) {
    if (looseRingRising()) return;
    const int ring = waitingRingIds.back();
    waitingRingIds.pop_back();
    rightHandRingIds.push_back(ring);
    if (componentManager->HasComponent<Physics>(ring)) {
      componentManager->GetComponent<Physics>(ring)->_angularVelocity = glm::vec3(0.0f);
    }
    Fly(ring, Hand::Right);
    PlayRingSound(" 0.85 0.7 2");
    return;
  }
  if (!leftHandRingIds.empty()) {
    const int ring = leftHandRingIds.back();
    leftHandRingIds.pop_back();
    rightHandRingIds.push_back(ring);
    Fly(ring, Hand::Right);
    PlayRingSound(" 0.85 0.7 2");
  }
  // The tutorial hands out one loose ring once the player has emptied the way to the right.
  if (tutorialActive && !tutorialRingAdded) {
    AddRing();
    tutorialRingAdded = true;
    Broadcast("lua_call Rings_Ended");
  }
}

// A hand's picture is drawn shifted from its position by its mesh offset, and its slots are
// offsets from that position: a ring held in a hand is drawn with the same shift, so it sits in
// the hand's picture. Loose rings are drawn unshifted where they rise. The ring's position moves
// against a change of shift, so its picture does not jump.
void RingSystem::TakeHandDrawOffset(int ring, int hand) {
  if (componentManager == nullptr || !IsValidEntityId(ring) || !IsValidEntityId(hand) ||
      !componentManager->HasComponent<MeshComponent>(ring) ||
      !componentManager->HasComponent<MeshComponent>(hand)) {
    return;
  }
  glm::vec3& offset = componentManager->GetComponent<MeshComponent>(ring)->_offset;
  const glm::vec3 handOffset = componentManager->GetComponent<MeshComponent>(hand)->_offset;
  if (Transform* transform = TransformOf(ring)) transform->_position += offset - handOffset;
  offset = handOffset;
}

void RingSystem::Fly(int ring, Hand hand) {
  CancelRingTweens(ring);
  const bool left = hand == Hand::Left;
  TakeHandDrawOffset(ring, left ? leftHandEntity : rightHandEntity);
  Transform* transform = TransformOf(ring);
  if (transform == nullptr || links.actionLists == nullptr) return;
  const std::list<int>& rings = left ? leftHandRingIds : rightHandRingIds;
  Transform& slot = (left ? leftSlotTransforms : rightSlotTransforms)[rings.size() - 1];

  const float distance = glm::distance(transform->_position, slot._position);
  glm::vec3 rotation = slot._rotation;
  // A ring that travels turns over once more on the way.
  if (std::abs(transform->_rotation.x - slot._rotation.x) < 360.0f && distance > 0.4f) {
    rotation.x -= 360.0f;
  }
  const float duration = std::min(distance / 3.0f, 4.0f);

  ActionRecord<glm::vec3> position;
  position.target = &transform->_position;
  position.start = transform->_position;
  position.endRef = &slot._position;
  position.useEndRef = true;
  position.duration = duration;
  position.easing = kSmoothStep;
  float* overall = left ? &florethHandOverallEffect : &sundrelHandOverallEffect;
  position.onFinished = [this, overall, &rings] { OnArrival(overall, &rings); };

  std::vector<double>& handles = ringActions[ring];
  handles.push_back(links.actionLists->AddAction(std::move(position)));
  handles.push_back(links.actionLists->AddVec3Action(&transform->_scale, transform->_scale,
                                                     slot._scale, duration, kSmoothStep));
  handles.push_back(links.actionLists->AddVec3Action(&transform->_rotation, transform->_rotation,
                                                     rotation, duration, kSmoothStep));
}

// The hand flashes to 2, then settles at its share of the rings.
void RingSystem::OnArrival(float* overallEffect, const std::list<int>* ringsOfHand) {
  links.actionLists->AddFloatAction(
      overallEffect, *overallEffect, 2.0f, 0.05f, kSquareRoot, [this, overallEffect, ringsOfHand] {
        links.actionLists->AddFloatAction(overallEffect, 2.0f,
                                          static_cast<float>(ringsOfHand->size()) / kSlotsPerHand,
                                          0.2f, kEaseOut);
      });
}

void RingSystem::PlayRingSound(const char* panText) {
  std::uniform_real_distribution<float> pitch(0.9f, 1.1f);
  const float value = pitch(engine->randomEngines.gameplay);
  engine->GetManager<MessagingManager>()->PostFormatted("play_sfx ringRinging %f%s", 0, value,
                                                        panText);
}

void RingSystem::Broadcast(const char* text) {
  engine->GetManager<MessagingManager>()->PostFormatted("%s", 0, text);
}

// Hands and rings belong to no scene. Without a UI camera they would be drawn in clip space,
// and the main menu shows none: they are parked far away and their flights end in place.
// Repeated every update while hidden, so rings made meanwhile are parked too.
void RingSystem::HideHands() {
  handsHidden = true;
  for (int hand : {leftHandEntity, rightHandEntity}) {
    if (Transform* transform = TransformOf(hand))
      transform->_position = glm::vec3(kHiddenCoordinate);
  }
  const auto park = [this](const std::list<int>& rings, const SlotTable* slots) {
    int index = 0;
    for (int ring : rings) {
      CancelRingTweens(ring);
      if (Transform* transform = TransformOf(ring)) {
        if (slots != nullptr) *transform = (*slots)[index];
        transform->_position = glm::vec3(kHiddenCoordinate);
      }
      ++index;
    }
  };
  park(leftHandRingIds, &leftSlotTransforms);
  park(rightHandRingIds, &rightSlotTransforms);
  park(waitingRingIds, nullptr);
}

void RingSystem::PlaceHands(float dt) {
  const glm::mat4* camera = links.uiCameraMatrix ? links.uiCameraMatrix() : nullptr;
  if (camera == nullptr || InMainMenu()) {
    HideHands();
    return;
  }
  if (handsHidden) {
    handsHidden = false;
    // Loose rings come back where their rise ends; held rings are seated below.
    for (int ring : waitingRingIds) {
      if (Transform* transform = TransformOf(ring)) transform->_position = kLooseRingRisen;
    }
  }
  const glm::mat4 inverse = glm::inverse(*camera);
  const glm::vec4 leftAnchor = inverse * glm::vec4(-1.0f, 1.0f, 0.0f, 1.0f);
  const glm::vec4 rightAnchor = inverse * glm::vec4(1.0f, 1.0f, 0.0f, 1.0f);

  const auto place = [&](int hand, const glm::vec4& anchor, float side, bool enabled,
                         float& slideRemaining) {
    Transform* transform = TransformOf(hand);
    if (transform == nullptr) return;
    if (tutorialActive && !enabled) {
      transform->_position = glm::vec3(kHiddenCoordinate);
      return;
    }
    const glm::vec3 scale = transform->_scale;
    // side is +1 on the left, -1 on the right: the hand sits inside the corner.
    float x = anchor.x + side * 0.5f * scale.x;
    if (tutorialActive && slideRemaining > 0.0f) {
      x -= side * (slideRemaining / handSlideDuration) * scale.x;
      slideRemaining -= dt;
    }
    transform->_position = glm::vec3(x, anchor.y + 0.5f * scale.y, anchor.z);
  };
  place(leftHandEntity, leftAnchor, 1.0f, leftHandEnabled, leftHandSlideRemaining);
  place(rightHandEntity, rightAnchor, -1.0f, rightHandEnabled, rightHandSlideRemaining);
  if (Transform* left = TransformOf(leftHandEntity)) left->_position.y += 0.001f;

  const Transform* left = TransformOf(leftHandEntity);
  const Transform* right = TransformOf(rightHandEntity);
  for (int k = 0; k < kSlotsPerHand; ++k) {
    if (left != nullptr)
      leftSlotTransforms[k]._position = left->_position + leftHandSlots[k]._position;
    if (right != nullptr) {
      rightSlotTransforms[k]._position = right->_position + rightHandSlots[k]._position;
    }
  }
  const auto seat = [this](const std::list<int>& rings, const SlotTable& slots) {
    int index = 0;
    for (int ring : rings) {
      Transform* transform = TransformOf(ring);
      if (transform != nullptr && !IsFlying(ring)) transform->_position = slots[index]._position;
      ++index;
    }
  };
  seat(leftHandRingIds, leftSlotTransforms);
  seat(rightHandRingIds, rightSlotTransforms);
}

void RingSystem::Update(float dt) {
  if (handsCreated) PlaceHands(dt);
  if (engine->paused) return;
  if (links.sendRingTriggered && links.sendRingTriggered() && links.sendRingRange) {
    const float range = links.sendRingRange();
    if (range > 0.0f) SendRingLeft();
    if (range < 0.0f) SendRingRight();
  }
  florethHandEffectStrength = static_cast<float>(GetLeftHandRingsCount()) / kSlotsPerHand + 1.0f;
  auto& floats = engine->globalUniforms.floats;
  floats["florethHandOverallEffectVal"] = florethHandOverallEffect;
  floats["florethHandEffectStrengthVal"] = florethHandEffectStrength;
  floats["sundrelHandOverallEffectVal"] = sundrelHandOverallEffect;
  floats["sundrelHandEffectStrengthVal"] = sundrelHandEffectStrength;
}

std::vector<std::string> RingSystem::MissingLinks() const {
  const std::pair<const char*, bool> required[] = {
      {"uiCameraMatrix", static_cast<bool>(links.uiCameraMatrix)},
      {"currentSceneName", static_cast<bool>(links.currentSceneName)},
      {"sendRingTriggered", static_cast<bool>(links.sendRingTriggered)},
      {"sendRingRange", static_cast<bool>(links.sendRingRange)},
      {"actionLists", links.actionLists != nullptr},
  };
  std::vector<std::string> missing;
  for (const auto& [name, present] : required) {
    if (!present) missing.emplace_back(name);
  }
  return missing;
}
