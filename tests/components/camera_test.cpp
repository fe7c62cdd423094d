#include "components/camera.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "tests/support/matrix_expectations.h"

using testing_support::ExpectMatrixNear;

namespace {

TEST(Camera, ProjectionMatchesGlmForBothModes) {
  const struct {
    const char* what;
    Mode mode;
    float zoom;
    float nearPlane;
    float farPlane;
    float aspect;
    glm::mat4 expected;
  } cases[] = {
      {"defaults", Mode::ORTHO, 1.0f, 0.0f, 1000.0f, 16.0f / 9.0f,
       glm::ortho(-8.0f / 9.0f, 8.0f / 9.0f, -0.5f, 0.5f, 0.0f, 1000.0f)},
      {"zoomed ortho", Mode::ORTHO, 0.05f, -1000.0f, 1000.0f, 2.0f,
       glm::ortho(-20.0f, 20.0f, -10.0f, 10.0f, -1000.0f, 1000.0f)},
      {"perspective", Mode::PERSPECTIVE, 1.0f, 0.01f, 1000.0f, 16.0f / 9.0f,
       glm::perspective(1.0f, 16.0f / 9.0f, 0.01f, 1000.0f)},
      {"narrow perspective", Mode::PERSPECTIVE, 0.3f, 1.0f, 50.0f, 1.25f,
       glm::perspective(0.3f, 1.25f, 1.0f, 50.0f)},
  };
  for (const auto& testCase : cases) {
    Camera camera;
    camera._mode = testCase.mode;
    camera._zoom = testCase.zoom;
    camera._nearPlane = testCase.nearPlane;
    camera._farPlane = testCase.farPlane;
    camera.aspect = testCase.aspect;
    camera.SetDirty();
    camera.UpdateProjection();
    ExpectMatrixNear(camera.projection, testCase.expected, testCase.what);
    EXPECT_FALSE(camera.projectionDirty) << testCase.what;
  }
}

TEST(Camera, ConstructionComputesTheDefaultProjection) {
  const Camera camera;
  ExpectMatrixNear(camera.projection,
                   glm::ortho(-8.0f / 9.0f, 8.0f / 9.0f, -0.5f, 0.5f, 0.0f, 1000.0f),
                   "constructed");
  EXPECT_FALSE(camera.projectionDirty);
}

TEST(Camera, ModeOutsideTheEnumerationLeavesProjectionAndFlag) {
  Camera camera;
  const glm::mat4 before = camera.projection;
  camera._mode = static_cast<Mode>(7);
  camera._zoom = 3.0f;
  camera.SetDirty();
  camera.UpdateProjection();
  EXPECT_EQ(camera.projection, before);
  EXPECT_TRUE(camera.projectionDirty);
}

}  // namespace
