#include "components/transform.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "tests/support/matrix_expectations.h"

using testing_support::ExpectMatrixNear;

namespace {

// The model matrix the engine's convention asks for, built from glm's own operations.
glm::mat4 Expected(const glm::vec3& position, const glm::vec3& degrees, const glm::vec3& scale) {
  glm::mat4 m = glm::translate(glm::mat4(1.0f), position);
  m = glm::rotate(m, glm::radians(degrees.z), glm::vec3(0, 0, 1));
  m = glm::rotate(m, glm::radians(degrees.y), glm::vec3(0, 1, 0));
  m = glm::rotate(m, glm::radians(degrees.x), glm::vec3(1, 0, 0));
  return glm::scale(m, scale);
}

TEST(Transform, UpdateMatrixIsTranslationTimesRzRyRxTimesScale) {
  const struct {
    const char* what;
    glm::vec3 position;
    glm::vec3 rotation;
    glm::vec3 scale;
  } cases[] = {
      {"identity", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}},
      {"translation only", {1, 2, 3}, {0, 0, 0}, {1, 1, 1}},
      {"quarter turn about z", {1, 2, 3}, {0, 0, 90}, {1, 1, 1}},
      {"each axis alone x", {0, 0, 0}, {30, 0, 0}, {1, 1, 1}},
      {"each axis alone y", {0, 0, 0}, {0, 45, 0}, {1, 1, 1}},
      {"all three axes: order matters", {-4, 0.5f, 7}, {30, 45, 60}, {1, 1, 1}},
      {"non-uniform scale", {0, 0, 0}, {0, 0, 0}, {2, 3, 4}},
      {"everything, negative angles and scale", {5, -6, 7}, {-20, 110, -75}, {0.5f, -2, 3}},
  };
  for (const auto& testCase : cases) {
    Transform transform(testCase.position, testCase.rotation, testCase.scale);
    const glm::mat4& result = transform.UpdateMatrix();
    EXPECT_EQ(&result, &transform.modelMatrix) << testCase.what;
    ExpectMatrixNear(result, Expected(testCase.position, testCase.rotation, testCase.scale),
                     testCase.what);
  }

  Transform turned({1, 2, 3}, {0, 0, 90}, {1, 1, 1});
  turned.UpdateMatrix();
  ExpectMatrixNear(turned.modelMatrix,
                   glm::mat4(glm::vec4(0, 1, 0, 0), glm::vec4(-1, 0, 0, 0), glm::vec4(0, 0, 1, 0),
                             glm::vec4(1, 2, 3, 1)),
                   "columns written out");
}

TEST(Transform, ModifierMatrixAppliesOnTheRightOnlyWhenSwitchedOn) {
  Transform transform({1, 2, 3}, {10, 20, 30}, {2, 2, 2});
  transform._modifierMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0, 5, 0));
  const glm::mat4 plain = Expected({1, 2, 3}, {10, 20, 30}, {2, 2, 2});

  ExpectMatrixNear(transform.UpdateMatrix(), plain, "switched off");
  transform._useModifierMatrix = true;
  ExpectMatrixNear(transform.UpdateMatrix(), plain * transform._modifierMatrix, "switched on");
  ExpectMatrixNear(transform.UpdateMatrix(), plain * transform._modifierMatrix,
                   "rebuilding does not compound the modifier");
}

TEST(Transform, VectorConstructorSetsOnlyTheThreeVectors) {
  const Transform transform({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  EXPECT_EQ(transform._position, glm::vec3(1, 2, 3));
  EXPECT_EQ(transform._rotation, glm::vec3(4, 5, 6));
  EXPECT_EQ(transform._scale, glm::vec3(7, 8, 9));
  EXPECT_EQ(transform.modelMatrix, glm::mat4(1.0f)) << "not rebuilt until UpdateMatrix";
  EXPECT_EQ(transform._modifierMatrix, glm::mat4(1.0f));
  EXPECT_FALSE(transform.fromPrefab);
  EXPECT_FALSE(transform._useModifierMatrix);
}

}  // namespace
