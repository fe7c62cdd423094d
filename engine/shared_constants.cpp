#include "engine/shared_constants.h"

#include <glm/gtc/matrix_transform.hpp>

const glm::mat4& ParticleViewMatrix() {
  static const glm::mat4 matrix =
      glm::rotate(glm::mat4(1.0f), -0.7853982f, glm::vec3(0.0f, 1.0f, 0.0f)) *
      glm::rotate(glm::mat4(1.0f), 0.7853982f, glm::vec3(1.0f, 0.0f, 0.0f));
  return matrix;
}
