#pragma once
// RingSystem: the two hands and their rings. The left hand is the Floreth hand, the right hand
// the Sundrel hand; each holds up to 13 rings in fixed slots.
//
// "InitRings n" (n clamped to 0..26) makes both hands and n rings, dealt left, right, left...;
// the entities belong to no scene, so they outlive scene changes until the next "InitRings".
// The `SEND_RING` action (positive: to the left hand, negative: to the right) or the messages
// "RingSystem_RingLeft" / "RingSystem_RingRight" fly one ring between the hands on position,
// scale and rotation tweens of the action lists, with the sound "play_sfx ringRinging <pitch>
// 0.85 -+0.7 2". A loose ring from "RingSystem_AddRing" is taken first. The hands sit at the top
// corners of the UI camera each update; without that camera, and in the main menu, they are
// parked out of sight. A held ring is drawn with its hand's mesh offset, so it sits in the
// hand's picture. Each unpaused update writes the four hand effect values the hand shaders read.
// Tutorial messages: "tutorial_start", "Tutorial_EnableLeftHand", "Tutorial_EnableRightHand",
// "block_regenerated". Malformed arguments are ignored.

#include <array>
#include <functional>
#include <glm/mat4x4.hpp>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "components/transform.h"
#include "engine/base_system.h"
#include "engine/entity.h"
#include "engine/type_name.h"

class ActionListSystem;
class ComponentManager;
class DECS;

// What the ring system needs from systems it does not link; app/ fills it.
struct RingSystemLinks {
  // The UI camera's view-projection, or null while there is none.
  std::function<const glm::mat4*()> uiCameraMatrix;
  // The current scene's name.
  std::function<std::string()> currentSceneName;
  // Makes a scene-less entity from a prefab; -1 on failure. Empty: InstantiatePrefab.
  std::function<int(const std::string& prefab)> instantiatePrefab;
  // The SEND_RING action: whether it was triggered in this update, and its range value
  // (positive: a ring to the left hand, negative: to the right). Empty: never triggered.
  std::function<bool()> sendRingTriggered;
  std::function<float()> sendRingRange;
  // Runs the flights, the loose ring's rise and the hand effect fades. Null: rings jump.
  ActionListSystem* actionLists = nullptr;
};

class RingSystem : public BaseSystem {
 public:
  static constexpr int kSlotsPerHand = 13;
  static constexpr int kMaxRings = 2 * kSlotsPerHand;
  using SlotTable = std::array<Transform, kSlotsPerHand>;

  RingSystem();

  // Copies the slot layouts into the working slot transforms and takes the engine's handles.
  void Init() override;
  void HandleMessage(const std::string& message) override;
  void Update(float dt) override;

  void SetLinks(RingSystemLinks value) { links = std::move(value); }
  // The links that are not set, but for instantiatePrefab, which has a fallback.
  std::vector<std::string> MissingLinks() const override;

  // The ring counts of the Floreth (left) and Sundrel (right) hands.
  int GetLeftHandRingsCount() const { return static_cast<int>(leftHandRingIds.size()); }
  int GetRightHandRingsCount() const { return static_cast<int>(rightHandRingIds.size()); }

  void InitRings(int count);
  void AddRing();
  void SendRingLeft();
  void SendRingRight();

  // The fixed ring placements of each hand: offsets from the hand entity's position.
  static const SlotTable& DefaultLeftHandSlots();
  static const SlotTable& DefaultRightHandSlots();

  int leftHandEntity = kNoEntity;
  int rightHandEntity = kNoEntity;
  std::list<int> leftHandRingIds;
  std::list<int> rightHandRingIds;
  std::list<int> waitingRingIds;
  std::set<int> movingRingIds;
  SlotTable leftHandSlots;
  SlotTable rightHandSlots;
  SlotTable leftSlotTransforms;
  SlotTable rightSlotTransforms;
  std::unordered_map<int, std::vector<double>> ringActions;

  DECS* engine = nullptr;
  std::shared_ptr<ComponentManager> componentManager;

  bool handsCreated = false;
  // True while the hands and rings are parked out of sight (main menu, or no UI camera).
  bool handsHidden = false;
  float florethHandEffectStrength = 1.0f;
  float florethHandOverallEffect = 0.0f;
  float sundrelHandEffectStrength = 1.0f;
  float sundrelHandOverallEffect = 0.0f;
  float handSlideDuration = 1.0f;
  bool tutorialActive = false;
  bool leftHandEnabled = false;
  float leftHandSlideRemaining = 0.0f;
  bool rightHandEnabled = false;
  float rightHandSlideRemaining = 0.0f;
  bool tutorialRingAdded = false;
  int blocksRegenerated = 0;

 private:
  enum class Hand { Left, Right };
  int Instantiate(const std::string& prefab);
  void DestroyRingEntity(int entity);
  void DestroyAll();
  bool InMainMenu() const;
  bool IsFlying(int ring) const;
  void CancelRingTweens(int ring);
  void TakeHandDrawOffset(int ring, int hand);
  void Fly(int ring, Hand hand);
  void OnArrival(float* overallEffect, const std::list<int>* ringsOfHand);
  void PlayRingSound(const char* panText);
  void Broadcast(const char* text);
  void PlaceHands(float dt);
  void HideHands();
  Transform* TransformOf(int entity) const;

  RingSystemLinks links;
};
DECLARE_TYPE_NAME(class, RingSystem);
