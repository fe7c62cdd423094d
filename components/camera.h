#pragma once
// Camera: the projection of one framebuffer layer's camera. Its view comes from the entity's
// Transform; the camera system combines the two.

#include <glm/glm.hpp>

#include "components/base_component.h"
#include "components/component_enums.h"
#include "engine/type_name.h"

// Projection kind of a Camera.
enum class Mode : int {
  ORTHO = 0,
  PERSPECTIVE = 1,
};
DECLARE_TYPE_NAME(enum, Mode);

class Camera : public BaseComponent {
 public:
  // Sets the defaults and computes the projection from them.
  Camera();

  // Rebuilds `projection` from the mode, zoom, planes and aspect, and clears projectionDirty.
  //   PERSPECTIVE: field of view `_zoom` radians (right-handed, depth to -1..1).
  //   ORTHO: a box of aspect / _zoom by 1 / _zoom units centred on the view axis.
  // A mode outside the enumeration leaves projection and flag as they are.
  void UpdateProjection();

  // Asks the camera system to rebuild the projection on its next update.
  void SetDirty() { projectionDirty = true; }

  Mode _mode = Mode::ORTHO;
  // Field of view in radians in perspective mode, zoom factor in orthographic mode.
  float _zoom = 1.0f;
  float _nearPlane = 0.0f;
  float _farPlane = 1000.0f;
  glm::mat4 projection{1.0f};
  bool projectionDirty = false;
  float aspect = 16.0f / 9.0f;
  FramebufferLayer _frameBuffer = FramebufferLayer::SCENE;
};
DECLARE_TYPE_NAME(class, Camera);
