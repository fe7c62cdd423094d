#include "physics/debug_draw.h"

#include <glm/gtc/matrix_transform.hpp>

namespace physics_debug {

glm::mat4 LayFlat(const glm::mat4& model) {
  return glm::rotate(model, 1.5707964f, glm::vec3(1.0f, 0.0f, 0.0f));
}

DrawRequest Draw(int mesh, int material, int texture, const glm::mat4& model,
                 const glm::vec3& colour) {
  DrawRequest draw;
  draw.mesh = mesh;
  draw.material = material;
  draw.textureA = texture;
  draw.model = model;
  draw.layer = kLayer;
  draw.overrideDiffuse = true;
  draw.diffuseOverride = colour;
  draw.alphaOverride = kAlpha;
  return draw;
}

}  // namespace physics_debug
