#pragma once
// RingSystem: the two hands and their rings. The left hand is the Floreth hand, the right hand
// the Sundrel hand; each holds up to 13 rings in fixed slots.

#include <array>
#include <list>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "components/transform.h"
#include "engine/base_system.h"
#include "engine/entity.h"
#include "engine/type_name.h"

class ActionListSystem;
class ComponentManager;
class DECS;
class InputSystem;

class RingSystem : public BaseSystem {
 public:
  static constexpr int kSlotsPerHand = 13;
  using SlotTable = std::array<Transform, kSlotsPerHand>;

  RingSystem();

  // Copies the slot layouts into the working slot transforms and takes the handles of the
  // systems and managers the rings need.
  void Init() override;

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

  std::shared_ptr<InputSystem> inputSystem;
  std::shared_ptr<ActionListSystem> actionListSystem;
  DECS* engine = nullptr;
  std::shared_ptr<ComponentManager> componentManager;

  bool handsCreated = false;
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
};
DECLARE_TYPE_NAME(class, RingSystem);
