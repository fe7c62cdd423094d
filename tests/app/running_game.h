#pragma once
// The whole game, started as the game starts, on a clock the test moves: a tenth of a second
// (the longest step the loop takes) per pass. Every frame is drawn by the game's renderer and a
// copy of the window's picture is kept, read back right after the renderer has composited it,
// before the buffers are swapped. The engine is stopped when the object goes. What the game
// prints while it starts, loads and stops is kept out of the test's output.
//
//   RunningGame game;                       // loads the splash scene
//   ASSERT_TRUE(game.ShowScene("main_menu_scene"));
//   game.picture                            // the last frame

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/message_receiver.h"
#include "engine/messaging_manager.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/image_compare.h"

namespace testing_support {

// True when `output` holds a line the loaders print when a prefab, shader, material, mesh or
// texture is refused.
inline bool HasLoadErrorLine(const std::string& output) {
  for (const char* marker : {"rror", "failed", "not created", "cannot", "placeholder",
                             "using the default", "using an empty", "skipped"}) {
    if (output.find(marker) != std::string::npos) return true;
  }
  return false;
}

// Pixels of a square of the picture (top-left corner and side in pixels) whose colour differs
// clearly between two frames.
inline int ChangedPixels(const Image& before, const Image& after, int left, int top, int side) {
  int changed = 0;
  for (int y = top; y < top + side; ++y) {
    for (int x = left; x < left + side; ++x) {
      const std::array<int, 4> a = before.At(x, y);
      const std::array<int, 4> b = after.At(x, y);
      if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 60) ++changed;
    }
  }
  return changed;
}

// Keeps every message delivered to every receiver (level 0), in order.
class EveryMessageLog : public MessageReciever {
 public:
  EveryMessageLog() { level = 99; }
  void HandleMessage(const std::string& message) override { messages.push_back(message); }
  // The position of the first message equal to `text`, -1 when none is.
  int IndexOf(const std::string& text) const {
    const auto found = std::find(messages.begin(), messages.end(), text);
    return found == messages.end() ? -1 : static_cast<int>(found - messages.begin());
  }
  std::vector<std::string> messages;
};

class RunningGame final : public FrameRenderer {
 public:
  RunningGame() {
    testing::internal::CaptureStdout();
    auto ownedClock = std::make_unique<FakeClock>();
    clock = ownedClock.get();
    DECS::CreateInstance(std::move(ownedClock));
    StartEngine();
    DECS::Instance().SetFrameRenderer(this);
    testing::internal::GetCapturedStdout();
  }

  ~RunningGame() override {
    DECS::Instance().SetFrameRenderer(&Renderer::Instance());
    testing::internal::CaptureStdout();
    StopEngine();
    testing::internal::GetCapturedStdout();
  }

  RunningGame(const RunningGame&) = delete;
  RunningGame& operator=(const RunningGame&) = delete;

  void RenderFrame() override {
    if (drawEvery > 1 && frames % drawEvery != 0) {
      Renderer::Instance().DiscardQueuedDraws();
      ++frames;
      return;
    }
    Renderer::Instance().RenderFrame();
    ++frames;
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(glfwGetCurrentContext(), &width, &height);
    picture = ReadFramebufferPixels(0, 0, width, height);
  }

  void Step() {
    clock->Advance(0.1);
    DECS::Instance().Update();
  }

  float SceneTimer() {
    return std::stof(
        DECS::Instance().GetManager<MessagingManager>()->PostFormatted("get_scene_timer", 1));
  }

  // Loads `scene` in place of the loaded ones (nothing to load for "splash_scene", the first
  // scene), then steps until its fade-in from black is over and five more frames have been
  // drawn. False when the fade never ends or no frame is drawn.
  bool ShowScene(const std::string& scene) {
    testing::internal::CaptureStdout();
    if (scene != "splash_scene") {
      DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene %s", 1,
                                                                     scene.c_str());
    }
    constexpr int kMaxPasses = 100;
    int passes = 0;
    while (SceneTimer() > 0.0f && passes++ < kMaxPasses) Step();
    const int framesAfterFade = frames + 5;
    while (frames < framesAfterFade && passes++ < kMaxPasses) Step();
    testing::internal::GetCapturedStdout();
    return SceneTimer() == 0.0f && frames >= framesAfterFade;
  }

  FakeClock* clock = nullptr;
  int frames = 0;
  // Only every drawEvery-th frame is drawn (and its picture kept); the draws queued for the
  // others are dropped. A long run draws few frames between those it looks at.
  int drawEvery = 1;
  Image picture;
};

}  // namespace testing_support
