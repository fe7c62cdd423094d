#pragma once
// CameraSystem: the camera of each framebuffer layer.

#include "engine/base_system.h"
#include "engine/type_name.h"

class CameraSystem : public BaseSystem {
 public:
  CameraSystem();
};
DECLARE_TYPE_NAME(class, CameraSystem);
