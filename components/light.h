#pragma once
// Light: a light source for one framebuffer layer, placed at the entity's Transform.

#include <glm/glm.hpp>

#include "components/base_component.h"
#include "components/component_enums.h"
#include "engine/type_name.h"

class Light : public BaseComponent {
 public:
  FramebufferLayer _targetFramebuffer = FramebufferLayer::SCENE;
  int _type = 0;
  glm::vec3 _color{1.0f};
  float _strength = 1.0f;
  glm::vec2 _radii{0.0f, 10.0f};
  glm::vec3 _direction{0.0f, 1.0f, 0.0f};
  float _angle = 45.0f;  // degrees
  glm::vec3 _positionOffset{0.0f};
};
DECLARE_TYPE_NAME(class, Light);
