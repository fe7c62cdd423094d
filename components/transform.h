#pragma once
// Transform: an entity's position, rotation (Euler angles in degrees) and scale, and the model
// matrix built from them.

#include <glm/glm.hpp>
#include <set>
#include <string>
#include <utility>

#include "components/base_component.h"
#include "engine/type_name.h"

class Transform : public BaseComponent {
 public:
  Transform() = default;
  // Sets position, rotation and scale; everything else keeps its default (the matrices stay
  // identity until UpdateMatrix).
  Transform(const glm::vec3& position, const glm::vec3& rotation, const glm::vec3& scale);

  // Rebuilds modelMatrix = T(position) * Rz * Ry * Rx * S(scale), times _modifierMatrix when
  // _useModifierMatrix is set, and returns it.
  const glm::mat4& UpdateMatrix();

  glm::vec3 _position{0.0f};
  glm::vec3 _rotation{0.0f};
  glm::vec3 _scale{1.0f};
  std::string _string;
  bool _speed = false;
  std::pair<int, std::string> _pair{0, ""};
  std::set<std::pair<int, std::string>> _pairSet;
  float _depthModifier = 0.0f;
  glm::mat4 modelMatrix{1.0f};
  bool _useModifierMatrix = false;
  glm::mat4 _modifierMatrix{1.0f};
};
DECLARE_TYPE_NAME(class, Transform);
