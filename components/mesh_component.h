#pragma once
// MeshComponent: the mesh an entity is drawn with, by path; the id comes from the mesh cache.

#include <glm/glm.hpp>
#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class MeshComponent : public BaseComponent {
 public:
  // Fetches the mesh of `_path` from the mesh cache. Does nothing yet: the loading arrives with
  // the mesh cache.
  void Reload();

  int meshId = -1;
  std::string _path;
  glm::vec3 _offset{0.0f};
};
DECLARE_TYPE_NAME(class, MeshComponent);
