#pragma once
// MeshComponent: the mesh an entity is drawn with, by path; the id comes from the mesh cache.

#include <glm/glm.hpp>
#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class MeshComponent : public BaseComponent {
 public:
  // Sets the mesh id to the mesh of `_path` from the engine's resource provider (-1 for an
  // empty path). Without an engine or provider the id stays as it is.
  void Reload();

  int meshId = -1;
  std::string _path;
  glm::vec3 _offset{0.0f};
};
DECLARE_TYPE_NAME(class, MeshComponent);
