// The wind compute pass on a 16 x 16 map, read back from the grid buffer.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "components/tilemap.h"
#include "components/transform.h"
#include "components/wind_emitter.h"
#include "gameplay/wind_system.h"
#include "render/resource_cache.h"
#include "tests/render/render_test_scene.h"

namespace {

constexpr int kSide = 16;
constexpr float kScale = 2.0f;

class WindSystemGlTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    wind = systems->RegisterSystem<WindSystem>().get();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    wind->AttachGpu(*cache);
    const int map = CreateEntity("Tilemap");
    Tilemap tiles;
    tiles.width = kSide;
    tiles.height = kSide;
    Add<Tilemap>(map, tiles);
    Add<Transform>(map, Transform({}, {}, {kScale, 1.0f, kScale}));
    messaging->PostFormatted("%s", 1, "scene_load test");
  }

  void TearDown() override {
    wind->ReleaseGpu();
    cache.reset();
    RenderTestScene::TearDown();
  }

  void AddEmitter(WindEmitterType type, float angle, float strength, float radius) {
    const int entity = CreateEntity("emitter");
    Add<Transform>(entity);
    WindEmitter emitter;
    emitter._type = type;
    emitter._directionAngle = angle;
    emitter._strength = strength;
    emitter._strengthVariationRange = {strength, strength};
    emitter._radius = radius;
    Add<WindEmitter>(entity, emitter);
  }

  // The sample of tile (x, z) at its first sub-position, and that sub-position in the world.
  struct Sample {
    glm::vec4 wind;
    glm::vec2 position;
  };
  Sample ReadSample(int tileX, int tileZ) {
    const std::size_t index = static_cast<std::size_t>(tileZ * kSide + tileX) * 16;
    std::vector<float> words(4);
    EXPECT_TRUE(wind->WindGrid().Read(1 + index * 4, words));
    const glm::vec2 tile = glm::vec2(tileX, tileZ) + 0.125f;
    return {{words[0], words[1], words[2], words[3]}, (tile - 0.5f * kSide) * kScale};
  }

  std::unique_ptr<ResourceCache> cache;
  WindSystem* wind = nullptr;
};

TEST_F(WindSystemGlTest, GridHoldsTheParityAndDirectionalWindFadingToItsRadius) {
  ASSERT_EQ(wind->WindGrid().Elements(), static_cast<std::size_t>(kSide * kSide * 64 + 1));
  AddEmitter(WindEmitterType::Directional, 90.0f, 1.0f, 10.0f);
  wind->Update(0.016f);

  std::vector<float> parity(1);
  ASSERT_TRUE(wind->WindGrid().Read(0, parity));
  EXPECT_EQ(parity[0], 1.0f);

  for (const auto& [x, z] : {std::pair{8, 8}, std::pair{10, 7}, std::pair{5, 11}}) {
    const Sample sample = ReadSample(x, z);
    const float expected = 1.0f - glm::length(sample.position) / 10.0f;
    EXPECT_NEAR(sample.wind.x, 0.0f, 1e-5f) << x << "," << z;
    EXPECT_NEAR(sample.wind.y, expected, 1e-4f) << x << "," << z;
    EXPECT_NEAR(sample.wind.w, expected, 1e-4f) << x << "," << z;
  }
  EXPECT_EQ(ReadSample(0, 0).wind, glm::vec4(0.0f, 0.0f, ReadSample(0, 0).wind.z, 0.0f))
      << "outside the radius nothing blows";
}

TEST_F(WindSystemGlTest, VortexTurnsAroundItsCentre) {
  AddEmitter(WindEmitterType::Vortex, 0.0f, 2.0f, 12.0f);
  wind->Update(0.016f);
  for (const auto& [x, z] : {std::pair{12, 8}, std::pair{8, 4}, std::pair{5, 5}}) {
    const Sample sample = ReadSample(x, z);
    const float distance = glm::length(sample.position);
    const glm::vec2 expected = glm::vec2(-sample.position.y, sample.position.x) / distance * 2.0f *
                               (1.0f - distance / 12.0f);
    EXPECT_NEAR(sample.wind.x, expected.x, 1e-4f) << x << "," << z;
    EXPECT_NEAR(sample.wind.y, expected.y, 1e-4f) << x << "," << z;
    EXPECT_NEAR(glm::dot(glm::vec2(sample.wind), sample.position), 0.0f, 1e-3f)
        << "the wind runs across the radius";
  }
}

}  // namespace
