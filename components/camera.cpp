#include "components/camera.h"

#include <cmath>

Camera::Camera() { UpdateProjection(); }

void Camera::UpdateProjection() {
  const float n = _nearPlane;
  const float f = _farPlane;
  switch (_mode) {
    case Mode::PERSPECTIVE: {
      const float t = std::tan(_zoom * 0.5f);
      projection = glm::mat4(0.0f);
      projection[0][0] = 1.0f / (t * aspect);
      projection[1][1] = 1.0f / t;
      projection[2][2] = -(f + n) / (f - n);
      projection[2][3] = -1.0f;
      projection[3][2] = -(2.0f * f * n) / (f - n);
      break;
    }
    case Mode::ORTHO: {
      const float halfWidth = aspect * 0.5f / _zoom;
      const float halfHeight = 0.5f / _zoom;
      projection = glm::mat4(0.0f);
      projection[0][0] = 1.0f / halfWidth;
      projection[1][1] = 1.0f / halfHeight;
      projection[2][2] = -2.0f / (f - n);
      projection[3][2] = -(f + n) / (f - n);
      projection[3][3] = 1.0f;
      break;
    }
    default:
      return;
  }
  projectionDirty = false;
}
