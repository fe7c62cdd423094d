#pragma once
// WindEmitter: a source of wind for the grass and particles around the entity.

#include <glm/glm.hpp>

#include "components/base_component.h"
#include "engine/type_name.h"

enum class WindEmitterType : int {
  Directional = 0,
  Vortex = 1,
  Moving = 2,
};
DECLARE_TYPE_NAME(enum, WindEmitterType);

class WindEmitter : public BaseComponent {
 public:
  WindEmitterType _type = WindEmitterType::Directional;
  float _directionAngle = 0.0f;
  float _strength = 1.0f;
  glm::vec2 _strengthVariationRange{0.0f};
  // Spelled as entity files key it.
  float _strenghVariationDelta = 0.0f;
  float _radius = 1.0f;
  int _resolution = 4;
  float _movingVelocityThreshold = 0.0f;
  glm::vec2 _offset{0.0f};
};
DECLARE_TYPE_NAME(class, WindEmitter);
