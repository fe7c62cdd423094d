#include "gameplay/wind_system.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "components/tilemap.h"
#include "components/transform.h"
#include "components/wind_emitter.h"
#include "tests/render/render_test_scene.h"

namespace {

class WindSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    wind = systems->RegisterSystem<WindSystem>().get();
  }

  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }
  glm::vec2 WindDirection() const { return decs->globalUniforms.vec2Values.at("windDirection"); }

  int MakeEmitter(WindEmitterType type, float strength, glm::vec2 range) {
    const int entity = CreateEntity("wind");
    Add<Transform>(entity);
    WindEmitter emitter;
    emitter._type = type;
    emitter._strength = strength;
    emitter._strengthVariationRange = range;
    Add<WindEmitter>(entity, emitter);
    return entity;
  }

  WindSystem* wind = nullptr;
};

TEST_F(WindSystemTest, InitPublishesTheWindValuesAndMessagesSteerThem) {
  EXPECT_EQ(decs->globalUniforms.ints.at("windDensity"), 4);
  EXPECT_EQ(decs->globalUniforms.ints.at("windNoiseMap"), 0);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats.at("windPerlinScrollSpeed"), 0.05f);
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats.at("maxWindSpeed"), 1.0f);
  EXPECT_FLOAT_EQ(WindDirection().x, 0.05f * 0.4472136f);

  Post("wssss 0.1");
  EXPECT_NEAR(WindDirection().x, 0.04472136f, 1e-7f);
  EXPECT_NEAR(WindDirection().y, 0.08944272f, 1e-7f);
  for (const char* ignored :
       {"wssss", "wssss calm", "wssss nan", "wssss 1 2", "WindSystem_SetScrollStrengthX 3"}) {
    Post(ignored);
    EXPECT_FLOAT_EQ(wind->ScrollStrength(), 0.1f) << ignored;
  }
  Post("WindSystem_SetScrollStrength 0.2");
  EXPECT_FLOAT_EQ(wind->ScrollStrength(), 0.2f);

  Post("wstv");
  EXPECT_TRUE(wind->viewWind);
  Post("WindSystem_ToggleView");
  EXPECT_FALSE(wind->viewWind);
}

TEST_F(WindSystemTest, UpdatePacksEmittersInIdOrderAndFlipsTheBufferSelect) {
  wind->Update(0.016f);
  EXPECT_EQ(wind->PackedEmitters(), std::vector<std::uint32_t>(4, 0u));
  EXPECT_EQ(wind->bufferSelect, 1.0f);

  const int vortex = MakeEmitter(WindEmitterType::Vortex, 2.0f, {1.0f, 1.5f});
  const int fading = MakeEmitter(WindEmitterType::Directional, 3.0f, {0.0f, 0.0f});
  ASSERT_LT(vortex, fading);
  wind->Update(0.016f);
  EXPECT_EQ(wind->bufferSelect, 0.0f);
  const std::vector<std::uint32_t>& words = wind->PackedEmitters();
  ASSERT_EQ(words.size(), 4u + 2u * 24u);
  EXPECT_EQ(std::bit_cast<float>(words[0]), 2.0f);
  EXPECT_EQ(words[4], 1u) << "the vortex comes first";
  EXPECT_EQ(std::bit_cast<float>(words[4 + 8]), 1.5f) << "clamped to its range";
  EXPECT_EQ(std::bit_cast<float>(words[4 + 24 + 8]), 0.0f) << "the default range clamps to 0";
  EXPECT_EQ(components->GetComponent<WindEmitter>(vortex)->_strength, 1.5f)
      << "the component keeps the new strength";
}

TEST_F(WindSystemTest, SceneLoadTakesTheSizeOfTheTilemapEntity) {
  Post("scene_load x");
  EXPECT_EQ(wind->MapWidth(), 0) << "no map: nothing changes";

  const int map = CreateEntity("Tilemap");
  Tilemap tiles;
  tiles.width = 12;
  tiles.height = 7;
  Add<Tilemap>(map, tiles);
  Add<Transform>(map, Transform({}, {}, {2.0f, 1.0f, 2.0f}));
  Post("scene_load level1_scene");
  EXPECT_EQ(wind->MapWidth(), 12);
  EXPECT_EQ(wind->MapHeight(), 7);
  EXPECT_EQ(wind->MapScale(), 2.0f);
  EXPECT_FALSE(wind->WindGrid().IsValid()) << "no GPU attached: no buffer";
}

}  // namespace
