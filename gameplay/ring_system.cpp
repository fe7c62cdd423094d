#include "gameplay/ring_system.h"

#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/system_manager.h"
#include "platform/input_system.h"
#include "scripting/action_list_system.h"

namespace {

// Every ring slot has the same scale; only position and tilt differ.
constexpr glm::vec3 kRingScale(0.035f, 0.08f, 0.035f);

struct SlotPlacement {
  glm::vec2 position;
  glm::vec3 rotationDegrees;
};

RingSystem::SlotTable BuildSlots(const std::array<SlotPlacement, RingSystem::kSlotsPerHand>& table) {
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
  inputSystem = systems->GetSystem<InputSystem>();
  actionListSystem = systems->GetSystem<ActionListSystem>();
  componentManager = engine->GetManager<ComponentManager>();
}
