#include "components/transform.h"

#include <cmath>

Transform::Transform(const glm::vec3& position, const glm::vec3& rotation, const glm::vec3& scale)
    : _position(position), _rotation(rotation), _scale(scale) {}

const glm::mat4& Transform::UpdateMatrix() {
  constexpr float kDegreesToRadians = 0.017453292f;
  const glm::vec3 radians = _rotation * kDegreesToRadians;
  const float cx = std::cos(radians.x), sx = std::sin(radians.x);
  const float cy = std::cos(radians.y), sy = std::sin(radians.y);
  const float cz = std::cos(radians.z), sz = std::sin(radians.z);

  // Columns of Rz * Ry * Rx, each scaled by the matching scale component.
  modelMatrix[0] = glm::vec4(cz * cy, sz * cy, -sy, 0.0f) * _scale.x;
  modelMatrix[1] =
      glm::vec4(cz * sy * sx - sz * cx, sz * sy * sx + cz * cx, cy * sx, 0.0f) * _scale.y;
  modelMatrix[2] =
      glm::vec4(cz * sy * cx + sz * sx, sz * sy * cx - cz * sx, cy * cx, 0.0f) * _scale.z;
  modelMatrix[3] = glm::vec4(_position, 1.0f);

  if (_useModifierMatrix) modelMatrix = modelMatrix * _modifierMatrix;
  return modelMatrix;
}
