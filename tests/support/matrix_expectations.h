#pragma once
// Compares two matrices element by element, naming the matrix and the failing element.

#include <gtest/gtest.h>

#include <glm/glm.hpp>

namespace testing_support {

inline void ExpectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, const char* what,
                             float tolerance = 1e-5f) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      EXPECT_NEAR(actual[column][row], expected[column][row], tolerance)
          << what << " [" << column << "][" << row << "]";
    }
  }
}

}  // namespace testing_support
