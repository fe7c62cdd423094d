#pragma once
// Collider: the shape and layer an entity collides with.

#include <glm/glm.hpp>

#include "components/base_component.h"
#include "engine/type_name.h"

enum class ColliderType : int {
  AABB = 0,
  CIRCLE = 1,
  TILE = 2,
  GROUND = 3,
};
DECLARE_TYPE_NAME(enum, ColliderType);

enum class ColliderLayer : int {
  DEFAULT = 0,
  BULLET = 1,
  PLAYER = 2,
  ENEMY = 3,
  PLAYER_DASHING = 4,
  MEGA_BLOCK_ENEMY = 5,
  PUSHER = 6,
};
DECLARE_TYPE_NAME(enum, ColliderLayer);

class Collider : public BaseComponent {
 public:
  ColliderType _type = ColliderType::AABB;
  ColliderLayer _layer = ColliderLayer::DEFAULT;
  glm::vec3 _offset{0.0f};
  glm::vec3 _size{1.0f};
  bool _trigger = false;
  // The collider's centre in the world at the last collision step (collision system state).
  glm::vec3 worldPosition{0.0f};
  float _radius = 1.0f;
  // Height above the ground in tile units at the last collision step (collision system state).
  float elevation = 0.0f;
  bool _isGrounded = true;
  bool _isActive = true;
};
DECLARE_TYPE_NAME(class, Collider);
