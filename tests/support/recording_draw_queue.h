#pragma once
// A draw queue that keeps every draw it is given, for tests of the systems that queue draws.

#include <vector>

#include "render/draw_queue.h"

namespace testing_support {

class RecordingDrawQueue final : public DrawQueue {
 public:
  void QueueDraw(const DrawRequest& draw) override { draws.push_back(draw); }
  std::vector<DrawRequest> draws;
};

}  // namespace testing_support
