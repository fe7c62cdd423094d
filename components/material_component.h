#pragma once
// MaterialComponent: the material an entity is drawn with, by path, and per-entity overrides of
// its lighting values.

#include <glm/glm.hpp>
#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class MaterialComponent : public BaseComponent {
 public:
  int materialId = -1;
  std::string _path;
  bool _overrideAmbient = false;
  bool _overrideDiffuse = false;
  bool _overrideSpecular = false;
  bool _overrideShininess = false;
  float _shininess = 0.0f;
  glm::vec3 _ambientOverride{0.0f};
  glm::vec4 _diffuseOverride{0.0f, 0.0f, 0.0f, 1.0f};
  glm::vec3 _specularOverride{0.0f};
};
DECLARE_TYPE_NAME(class, MaterialComponent);
