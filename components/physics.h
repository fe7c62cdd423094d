#pragma once
// Physics: an entity's linear and angular motion and the material values the physics system
// integrates with.

#include <glm/glm.hpp>

#include "components/base_component.h"
#include "engine/type_name.h"

class Physics : public BaseComponent {
 public:
  glm::vec3 _velocity{0.0f};
  glm::vec3 _acceleration{0.0f};
  // Position at the previous physics step (physics system state).
  glm::vec3 previousPosition{0.0f};
  glm::vec3 _angularVelocity{0.0f};
  glm::vec3 _angularAcceleration{0.0f};
  float _mass = 1.0f;
  float _restitution = 0.5f;
  float _staticFriction = 0.1f;
  float _kineticFriction = 0.1f;
  float _dragCoefficient = 0.1f;
  // Forces and torques summed over one step (physics system state).
  glm::vec3 forceAccumulator{0.0f};
  glm::vec3 torqueAccumulator{0.0f};
  float inertia = 1.0f;
  float _linearDamping = 0.5f;
  float _angularDamping = 0.1f;
  float _gravityMultiplier = 9.0f;
  bool _isKinematic = false;
  bool _isFalling = false;
};
DECLARE_TYPE_NAME(class, Physics);
