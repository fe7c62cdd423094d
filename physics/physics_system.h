#pragma once
// PhysicsSystem: moves every entity with a Physics and a Transform component, once per fixed
// update, in ascending entity id.
//
// A body with a mass of exactly 0 is frozen. A kinematic body moves by its velocity and angular
// velocity alone; during the system's first update a kinematic body's mass becomes 1e14 (so
// collisions treat it as immovable). Every other body is integrated by IntegrateBody:
// ground friction (only while not falling), drag, a = F / m, gravity (only while falling),
// damping, a velocity floor, semi-implicit Euler and rotation kept in [0, 360). The collision
// system, updated after this one, decides `_isFalling`.
//
// Messages ("<word> <entity> x y z" unless noted; a command naming an entity outside this
// system's set does nothing, a malformed number makes the whole message do nothing):
//   physics_set_velocity, physics_set_position, physics_apply_force (adds to the force
//   accumulator), physics_apply_torque (adds to the torque accumulator),
//   physics_set_angular_velocity, physics_set_acceleration;
//   physics_get_velocity <entity>, physics_get_position <entity>: reply "%f %f %f", zeros for
//   an entity outside the set;
//   physics_debug <n>: the velocity and force arrows are drawn for n = 2 or 3.
//
// Debug arrows: for every body a green arrow for its velocity and a red one for force / mass,
// drawn flat along the horizontal part of the vector at the body's position, a tenth of its
// length long. Bodies of mass 0 and vectors without a finite, non-zero horizontal part draw no
// arrow.

#include <glm/glm.hpp>
#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/draw_queue.h"

class DECS;
class Physics;
class Transform;

// Standard gravity, m/s^2.
constexpr float kGravity = 9.81f;

// One integration step of a body that is neither kinematic nor massless; dt in seconds.
void IntegrateBody(Physics& body, Transform& transform, float dt);

// The model matrix of a debug arrow (a mesh of unit length along +y) for the horizontal part of
// `direction`, placed at `position`. False when there is nothing to draw.
bool DebugArrowModel(const glm::vec3& position, const glm::vec3& direction, glm::mat4& model);

class PhysicsSystem : public BaseSystem {
 public:
  static constexpr const char* kArrowMeshPath = "./GAME/Assets/Models/debug_arrow.txt";
  static constexpr const char* kWhiteTexturePath = "./GAME/Assets/Textures/whitesquare.png";
  // The mass a kinematic body gets in the first update.
  static constexpr float kKinematicMass = 1e14f;

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Render() override;

  // Where the debug arrows go; not owned. Unset, nothing is drawn.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

  bool debugDraw = false;

 private:
  DECS* engine = nullptr;
  DrawQueue* drawQueue = nullptr;
  int arrowMesh = -1;
  int whiteTexture = -1;
  int debugMaterial = -1;
  bool firstUpdateDone = false;
};
DECLARE_TYPE_NAME(class, PhysicsSystem);
