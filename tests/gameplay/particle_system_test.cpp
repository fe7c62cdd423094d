#include "gameplay/particle_system.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "components/particle_emitter.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/recording_draw_queue.h"

namespace {

using testing_support::RecordingReceiver;

class ParticleSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    particles = systems->RegisterSystem<ParticleSystem>().get();
    particles->Seed(4);
    particles->SetDrawQueue(&queue);
    particles->SetLinks({.graphicsQuality = [this] { return quality; },
                         .cameraPosition = [this] { return camera; }});
    decs->AddChild(&everyLevel);
  }

  int MakeEmitter(const std::string& alias, ParticleEmitter emitter) {
    const int entity = CreateEntity(alias);
    Add<Transform>(entity, Transform({2.0f, 0.0f, 0.0f}, {}, glm::vec3(1.0f)));
    Add<ParticleEmitter>(entity, std::move(emitter));
    return entity;
  }

  ParticleEmitter& Emitter(int entity) {
    return *components->GetComponent<ParticleEmitter>(entity);
  }
  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }

  int Count(const std::string& entry) const {
    int count = 0;
    for (const std::string& line : log) count += line == entry ? 1 : 0;
    return count;
  }

  ParticleSystem* particles = nullptr;
  testing_support::RecordingDrawQueue queue;
  int quality = 2;
  glm::vec3 camera{0.0f};
  std::vector<std::string> log;
  RecordingReceiver everyLevel{"log", 1, &log};
};

TEST_F(ParticleSystemTest, MessagesStartAndStopEmittersByAlias) {
  ParticleEmitter data;
  data._active = false;
  data._emissionRate = 10.0f;
  const int entity = MakeEmitter("sparks", data);

  const struct {
    const char* message;
    bool active;
    bool burst;
    float duration;
  } steps[] = {
      {"activate_particle sparks", true, false, 1.0f},
      {"deactivate_particle sparks", false, false, 1.0f},
      {"particle_burst sparks", true, true, 1.0f},
      {"deactivate_particle sparks", false, true, 1.0f},
      {"particle_burst sparks 2.5", true, true, 2.5f},
      {"particle_burst sparks soon", true, true, 2.5f},  // not a number: the duration stays
      {"particle_burst sparks -1", true, true, 2.5f},
      {"deactivate_particle ghost", true, true, 2.5f},
      {"deactivate_particle", true, true, 2.5f},
  };
  for (const auto& step : steps) {
    Post(step.message);
    EXPECT_EQ(Emitter(entity)._active, step.active) << step.message;
    EXPECT_EQ(Emitter(entity)._burstMode, step.burst) << step.message;
    EXPECT_EQ(Emitter(entity)._burstDuration, step.duration) << step.message;
  }
  EXPECT_EQ(entities->FindEntity("ghost"), kNoEntity);

  // At low quality the system rests: messages do nothing, nothing moves or is drawn.
  quality = 1;
  Post("deactivate_particle sparks");
  EXPECT_TRUE(Emitter(entity)._active);
  particles->Update(1.0f);
  particles->Render();
  EXPECT_TRUE(Emitter(entity).particles.empty());
  EXPECT_TRUE(queue.draws.empty());
}

TEST_F(ParticleSystemTest, ABurstEndsOnceAndDestroysItsEntityOnce) {
  ParticleEmitter data;
  data._emissionRate = 60.0f;
  data._burstMode = true;
  data._burstDuration = 0.5f;
  data._destroyOnCompletion = true;
  data._clearParticlesOnComplete = true;
  const int entity = MakeEmitter("puff", data);
  for (int i = 0; i < 60; ++i) particles->Update(1.0f / 60.0f);
  EXPECT_EQ(Count("log:entity_destroy " + std::to_string(entity)), 1);
  EXPECT_FALSE(entities->IsAlive(entity));

  // Without destruction the burst stops and, when asked, drops its particles.
  data._destroyOnCompletion = false;
  log.clear();
  const int kept = MakeEmitter("kept", data);
  for (int i = 0; i < 60; ++i) particles->Update(1.0f / 60.0f);
  EXPECT_FALSE(Emitter(kept)._active);
  EXPECT_TRUE(Emitter(kept).particles.empty());
  EXPECT_EQ(Count("log:entity_destroy " + std::to_string(kept)), 0);

  // A burst switched off part-way keeps its clock running and still ends with its entity.
  data._destroyOnCompletion = true;
  const int stopped = MakeEmitter("stopped", data);
  particles->Update(0.1f);
  Post("deactivate_particle stopped");
  for (int i = 0; i < 60; ++i) particles->Update(1.0f / 60.0f);
  EXPECT_EQ(Count("log:entity_destroy " + std::to_string(stopped)), 1);
  EXPECT_FALSE(entities->IsAlive(stopped));
}

TEST_F(ParticleSystemTest, EveryLiveParticleIsQueuedWithItsColourAndPlace) {
  ParticleEmitter data;
  data._emissionRate = 3.0f;
  data._startColorRange = data._endColorRange = {0.2f, 0.4f, 0.6f, 0.5f};
  data._startScaleRange = data._endScaleRange = glm::vec3(0.5f);
  data._startVelocityRange = data._endVelocityRange = {0.0f, 1.0f, 0.0f};
  data.meshHandle = 3;
  data.materialHandle = 4;
  data.textureHandle = 5;
  const int entity = MakeEmitter("glow", data);
  particles->Update(1.0f);
  Post("deactivate_particle glow");  // the three born keep moving; no more are born
  particles->Update(0.5f);
  EXPECT_EQ(CountLiveParticles(Emitter(entity)), 3);
  particles->Render();
  ASSERT_EQ(queue.draws.size(), 3u);
  for (const DrawRequest& draw : queue.draws) {
    EXPECT_EQ(draw.mesh, 3);
    EXPECT_EQ(draw.material, 4);
    EXPECT_EQ(draw.textureA, 5);
    EXPECT_TRUE(draw.forceTransparent);
    EXPECT_EQ(draw.diffuseOverride, glm::vec3(0.2f, 0.4f, 0.6f));
    EXPECT_EQ(draw.alphaOverride, 0.5f);
    EXPECT_NEAR(draw.model[3].x, 2.0f, 1e-5f);
    EXPECT_NEAR(draw.model[3].y, 0.5f, 1e-5f);
    EXPECT_NEAR(glm::length(glm::vec3(draw.model[0])), 0.5f, 1e-5f);
  }
}

// A particle's model matrix: its place, then its turn (Mode3D: Rz Ry Rx of its own degrees;
// Mode2D: -45 degrees about y then 45 about x, for all), then its scale.
TEST_F(ParticleSystemTest, ParticlesAreTurnedByTheirRenderMode) {
  const glm::vec3 degrees(30.0f, 60.0f, 90.0f);
  const auto turn = [](float angle, glm::vec3 axis) {
    return glm::rotate(glm::mat4(1.0f), glm::radians(angle), axis);
  };
  const glm::vec3 x(1.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f), z(0.0f, 0.0f, 1.0f);
  const struct {
    RenderMode mode;
    glm::mat4 rotation;
  } cases[] = {
      {RenderMode::Mode3D, turn(degrees.z, z) * turn(degrees.y, y) * turn(degrees.x, x)},
      {RenderMode::Mode2D, turn(-45.0f, y) * turn(45.0f, x)},
  };
  for (const auto& c : cases) {
    ParticleEmitter data;
    data._emissionRate = 1.0f;
    data._rotationMode = RotationMode::Static;
    data._initialRotation = degrees;
    data._renderMode = c.mode;
    data._startScaleRange = data._endScaleRange = {2.0f, 3.0f, 4.0f};
    data._scaleMode = ScaleMode::NonUniform;
    data.meshHandle = data.materialHandle = data.textureHandle = 1;
    const int entity = MakeEmitter("turned" + std::to_string(static_cast<int>(c.mode)), data);
    particles->Update(1.0f);
    queue.draws.clear();
    particles->Render();
    ASSERT_EQ(queue.draws.size(), 1u);
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 0.0f, 0.0f)) *
                               c.rotation * glm::scale(glm::mat4(1.0f), {2.0f, 3.0f, 4.0f});
    for (int column = 0; column < 4; ++column) {
      for (int row = 0; row < 3; ++row) {
        EXPECT_NEAR(queue.draws[0].model[column][row], expected[column][row], 1e-5f)
            << static_cast<int>(c.mode) << " column " << column << " row " << row;
      }
    }
    Emitter(entity)._active = false;
    Emitter(entity).particles.clear();
  }
}

// FoliageMap emitters read the entity aliased "Tilemap" and the camera link: without the map
// they emit at the origin; over a dense floor map, near the camera, on its tiles.
TEST_F(ParticleSystemTest, FoliageEmittersReadTheTileMapAndTheCamera) {
  ParticleEmitter data;
  data._emissionRate = 10.0f;
  data._emissionShape = EmissionShape::FoliageMap;
  const int entity = MakeEmitter("meadow", data);
  particles->Update(1.0f);
  ASSERT_EQ(Emitter(entity).particles.size(), 10u);
  for (const Particle& p : Emitter(entity).particles) EXPECT_EQ(p.position, glm::vec3(0.0f));

  Emitter(entity).particles.clear();
  Emitter(entity).firstFreeIndex = -1;
  Tilemap map;
  map.width = map.height = 2;
  map.layer1.assign(4, '1');
  map.heights.assign(4, 0.0f);
  FoliageData layer;
  layer.densityTexture = 1;
  layer.densityWidth = layer.densityHeight = 1;
  layer.densityValues = {255};
  map._foliageData.push_back(layer);
  const int tiles = CreateEntity("Tilemap");
  Add<Transform>(tiles, Transform({}, {}, {3.0f, 3.0f, 3.0f}));
  Add<Tilemap>(tiles, map);
  camera = {-20.0f, 10.0f, 20.0f};
  particles->Update(1.0f);
  ASSERT_EQ(Emitter(entity).particles.size(), 10u);
  for (const Particle& p : Emitter(entity).particles) {
    // The map spans -3..3 in x and z; points are shifted by (+8, -8).
    EXPECT_GE(p.position.x, 5.0f);
    EXPECT_LE(p.position.x, 11.0f);
    EXPECT_GE(p.position.z, -11.0f);
    EXPECT_LE(p.position.z, -5.0f);
  }
}

}  // namespace
