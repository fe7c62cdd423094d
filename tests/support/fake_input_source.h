#pragma once
// Input that a test sets by hand before each update: the keys held down and the cursor.

#include <glm/vec2.hpp>
#include <set>

#include "platform/input_source.h"

namespace testing_support {

class FakeInputSource final : public InputSource {
 public:
  void PollEvents() override {}
  bool IsKeyDown(int keyCode) const override { return keys.contains(keyCode); }
  bool IsMouseButtonDown(int) const override { return false; }
  glm::vec2 CursorPosition() const override { return cursor; }
  glm::vec2 TakeScroll() override { return {0.0f, 0.0f}; }
  void SetCursorMode(CursorMode) override {}

  std::set<int> keys;
  glm::vec2 cursor{0.0f, 0.0f};
};

}  // namespace testing_support
