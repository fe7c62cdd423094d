#include "audio/sound_emitter_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "components/sound_emitter.h"
#include "components/transform.h"
#include "engine/message_text.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/recording_draw_queue.h"

namespace {

// What the sound system would receive.
struct Request {
  std::string word;
  std::string alias;
  float volume = 0.0f;
  float pan = 0.0f;
};

class RequestLog : public MessageReciever {
 public:
  RequestLog() { level = 1; }
  void HandleMessage(const std::string& message) override {
    if (!IsMessage(message, "play_sfx") && !IsMessage(message, "play_emitted")) return;
    Request request;
    char word[32] = {};
    char alias[64] = {};
    float pitch = 0.0f;
    std::sscanf(message.c_str(), "%31s %63s %f %f %f", word, alias, &pitch, &request.volume,
                &request.pan);
    request.word = word;
    request.alias = alias;
    requests.push_back(request);
  }
  std::vector<Request> requests;
};

class SoundEmitterSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    emitters = systems->RegisterSystem<SoundEmitterSystem>().get();
    systems->AddChild(&log);
  }

  int AddEmitter(glm::vec3 position, SoundEmitter emitter, const std::string& name = "emitter") {
    const int entity = CreateEntity(name);
    Add<Transform>(entity)._position = position;
    Add<SoundEmitter>(entity, std::move(emitter));
    return entity;
  }
  int AddListener(const std::string& name, glm::vec3 position) {
    const int entity = CreateEntity(name);
    Add<Transform>(entity)._position = position;
    return entity;
  }
  static SoundEmitter Looping(const std::string& alias = "AMBrain") {
    SoundEmitter emitter;
    emitter._soundAlias = alias;
    emitter._looping = true;
    return emitter;
  }

  SoundEmitterSystem* emitters = nullptr;
  RequestLog log;
};

// Volume from the distance through the power curve, pan from the direction. The listener
// stands at (2, 5, 3); the height plays no part.
TEST_F(SoundEmitterSystemTest, VolumeAndPanFollowDistanceAndDirection) {
  AddListener("player", {2.0f, 5.0f, 3.0f});
  const struct {
    const char* name;
    glm::vec3 offset;
    float volume;
    float pan;
  } cases[] = {
      {"+x, inside", {0.5f, 0, 0}, 1.0f, 0.70710678f},
      {"+x+z diagonal", {4.0f, 9, 4.0f}, 1.0f - 0.5f * (5.656854f - 1) / 9, 1.0f},
      {"-x-z diagonal", {-4.0f, 0, -4.0f}, 1.0f - 0.5f * (5.656854f - 1) / 9, -1.0f},
      {"+z, halfway", {0, 0, 5.5f}, 0.75f, 0.70710678f},
      {"-x, at the outer radius", {-10.0f, 0, 0}, 0.5f, -0.70710678f},
      {"-z, far", {0, 0, -40.0f}, 0.5f, -0.70710678f},
      {"at the listener", {0, 0, 0}, 1.0f, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int entity = AddEmitter(glm::vec3(2.0f, 5.0f, 3.0f) + c.offset, Looping());
    log.requests.clear();
    emitters->Update(0.016f);
    ASSERT_EQ(log.requests.size(), 1u);
    EXPECT_EQ(log.requests[0].word, "play_emitted");
    EXPECT_NEAR(log.requests[0].volume, c.volume, 1e-4f);
    EXPECT_NEAR(log.requests[0].pan, c.pan, 1e-4f);
    entities->DestroyEntity(entity);
    systems->EntityDestroyed(entity);
  }
}

TEST(PowerCurve, Evaluate) {
  const struct {
    PowerCurve curve;
    float distance;
    float volume;
  } cases[] = {
      {{1, 10, 1, 0.5f, 1}, 5.5f, 0.75f}, {{1, 10, 1, 0.5f, 2}, 5.5f, 1.0f - 0.5f * 0.25f},
      {{1, 10, 0, 1, 0.5f}, 3.25f, 0.5f}, {{1, 10, 1, 0.5f, 1}, 0.0f, 1.0f},
      {{5, 5, 1, 0.2f, 1}, 5.0f, 0.2f},  // the outer test comes first
      {{5, 2, 1, 0.2f, 1}, 3.0f, 0.2f},   {{5, 2, 1, 0.2f, 1}, 1.0f, 1.0f},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.curve.Evaluate(c.distance), c.volume, 1e-5f) << c.distance;
  }
}

TEST(SoundEmitter, TickInterval) {
  SoundEmitter every;
  EXPECT_TRUE(every.TickInterval(0.01f));
  EXPECT_TRUE(every.TickInterval(0.01f)) << "interval 0 fires on every tick";

  SoundEmitter second;
  second._interval = 1.0f;
  std::vector<bool> fired;
  for (int i = 0; i < 6; ++i) fired.push_back(second.TickInterval(0.4f));
  EXPECT_EQ(fired, (std::vector<bool>{false, false, true, false, false, true}));

  SoundEmitter looping;
  looping._looping = true;
  looping.intervalTimer = 0.3f;
  EXPECT_FALSE(looping.TickInterval(5.0f));
  EXPECT_EQ(looping.intervalTimer, 0.3f);
}

// One-shots ask for "play_sfx" when their interval elapses, unless silent: then the interval
// just starts over.
TEST_F(SoundEmitterSystemTest, OneShotsFireOnTheirInterval) {
  AddListener("player", {0, 0, 0});
  SoundEmitter near;
  near._soundAlias = "ringRinging";
  near._interval = 0.5f;
  AddEmitter({1, 0, 0}, near);
  SoundEmitter silent = near;
  silent._soundAlias = "quiet";
  silent._outerVol = 0.0f;
  AddEmitter({50, 0, 0}, silent);

  std::vector<std::string> heard;
  for (int i = 0; i < 4; ++i) {
    log.requests.clear();
    emitters->Update(0.25f);
    for (const auto& request : log.requests) heard.push_back(request.word + " " + request.alias);
  }
  EXPECT_EQ(heard, (std::vector<std::string>{"play_sfx ringRinging", "play_sfx ringRinging"}));
}

TEST_F(SoundEmitterSystemTest, ListenerChoice) {
  AddEmitter({3, 0, 0}, Looping());
  SoundEmitter unnamed = Looping("");
  AddEmitter({3, 0, 0}, unnamed);

  emitters->Update(0.016f);
  EXPECT_TRUE(log.requests.empty()) << "no listener: nothing is asked";
  EXPECT_EQ(entities->FindEntity("player"), kNoEntity) << "and no name is made up";

  AddListener("Main Camera", {0, 0, 0});
  emitters->Update(0.016f);
  ASSERT_EQ(log.requests.size(), 1u) << "the emitter without an alias is skipped";
  EXPECT_NEAR(log.requests[0].volume, 1.0f - 0.5f * 2 / 9, 1e-4f);

  log.requests.clear();
  AddListener("player", {3, 0, 8});
  emitters->Update(0.016f);
  ASSERT_EQ(log.requests.size(), 1u);
  EXPECT_NEAR(log.requests[0].volume, 0.5f + 0.5f * (1 - (8.0f - 1) / 9), 1e-4f)
      << "the player wins over the camera";
}

// With three emitters the highlight moves on every second, then one second without, then it
// starts over (rendered every half second here).
TEST_F(SoundEmitterSystemTest, DebugDrawHighlightsOneEmitterPerSecond) {
  testing_support::RecordingDrawQueue queue;
  emitters->SetDrawQueue(&queue);
  for (int i = 0; i < 3; ++i) AddEmitter({static_cast<float>(i), 0, 0}, Looping());
  emitters->Render();
  EXPECT_TRUE(queue.draws.empty()) << "off until toggled";
  messaging->PostFormatted("sound_emitter_debug", 1);
  ASSERT_TRUE(emitters->debugDraw);

  std::vector<int> highlighted;
  for (int frame = 0; frame < 10; ++frame) {
    queue.draws.clear();
    emitters->Render();
    ASSERT_EQ(queue.draws.size(), 6u);
    int lit = -1;
    for (int i = 0; i < 3; ++i) {
      const float outerHeight = queue.draws[2 * i].model[3][1];
      const float innerHeight = queue.draws[2 * i + 1].model[3][1];
      EXPECT_FLOAT_EQ(queue.draws[2 * i].model[0][0], 20.0f);
      EXPECT_FLOAT_EQ(queue.draws[2 * i + 1].model[0][0], 2.0f);
      if (outerHeight == 0.2f && innerHeight == 0.3f) lit = i;
    }
    highlighted.push_back(lit);
    emitters->Update(0.5f);
  }
  EXPECT_EQ(highlighted, (std::vector<int>{0, 0, 1, 1, 2, 2, -1, -1, -1, 0}));
}

}  // namespace
