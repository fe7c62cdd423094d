#include "render/light_system.h"

#include <gtest/gtest.h>

#include <string>

#include "components/light.h"
#include "components/transform.h"
#include "tests/render/render_test_scene.h"

namespace {

enum LightType { kPoint = 0, kCone = 1, kUniversal = 2, kAmbient = 3 };

class LightSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    lights = systems->RegisterSystem<LightSystem>().get();
  }

  int AddLight(int type, FramebufferLayer layer, glm::vec3 position = glm::vec3(0.0f),
               glm::vec3 color = glm::vec3(1.0f)) {
    const int entity = CreateEntity("light");
    Add<Transform>(entity, Transform(position, {}, {1.0f, 1.0f, 1.0f}));
    Light light;
    light._type = type;
    light._targetFramebuffer = layer;
    light._color = color;
    Add<Light>(entity, light);
    return entity;
  }

  GlobalUniforms Upload(int layer) const {
    GlobalUniforms globals;
    lights->UploadLights(layer, globals);
    return globals;
  }

  LightSystem* lights = nullptr;
};

TEST_F(LightSystemTest, ALayerHoldsTheFirst63PointAndConeLightsInIdOrder) {
  for (int index = 0; index < 70; ++index) {
    AddLight(kPoint, FramebufferLayer::SCENE, {static_cast<float>(index), 0.0f, 0.0f});
    AddLight(kCone, FramebufferLayer::SCENE, {0.0f, static_cast<float>(index), 0.0f});
  }
  lights->Update(0.0f);
  const GlobalUniforms globals = Upload(1);
  EXPECT_EQ(globals.ints.at("pointLightCount"), 63);
  EXPECT_EQ(globals.ints.at("coneLightCount"), 63);
  EXPECT_EQ(globals.pointLights.size(), 63u);
  EXPECT_EQ(globals.coneLights.size(), 63u);
  EXPECT_EQ(globals.pointLights.at("pointLights[62]").position.x, 62.0f);
  EXPECT_EQ(globals.coneLights.at("coneLights[62]").position.y, 62.0f);
  EXPECT_FALSE(globals.pointLights.contains("pointLights[63]"));
}

TEST_F(LightSystemTest, EachLayerRecordHoldsOnlyItsOwnLightsRebuiltOnEveryUpdate) {
  // Two ambient lights on layer 1: the higher id wins.
  AddLight(kAmbient, FramebufferLayer::SCENE, {}, {1.0f, 0.0f, 0.0f});
  AddLight(kAmbient, FramebufferLayer::SCENE, {}, {0.0f, 0.0f, 1.0f});
  // A point light whose offset lifts it from (1, 2, 3) to (1, 3, 3).
  const int offsetLight = AddLight(kPoint, FramebufferLayer::SCENE, {1.0f, 2.0f, 3.0f});
  components->GetComponent<Light>(offsetLight)->_positionOffset = {0.0f, 1.0f, 0.0f};
  // A cone and a universal light on the menu layer light only that layer.
  const int cone = AddLight(kCone, FramebufferLayer::MENUUI, {4.0f, 5.0f, 6.0f});
  AddLight(kUniversal, FramebufferLayer::MENUUI, {}, {0.5f, 0.5f, 0.5f});
  // Layer 8 is rebuilt like every other; an unknown type and a layer the renderer lacks are
  // skipped.
  AddLight(kPoint, static_cast<FramebufferLayer>(8));
  AddLight(7, FramebufferLayer::SCENE);
  AddLight(kPoint, static_cast<FramebufferLayer>(9));

  for (int update = 0; update < 3; ++update) lights->Update(0.0f);

  const GlobalUniforms scene = Upload(1);
  EXPECT_EQ(scene.ambientLights.at("ambientLight").color, glm::vec3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(scene.universalLights.at("universalLight").strength, 0.0f);
  EXPECT_EQ(scene.ints.at("pointLightCount"), 1);
  EXPECT_EQ(scene.pointLights.at("pointLights[0]").position, glm::vec3(1.0f, 3.0f, 3.0f));
  EXPECT_EQ(scene.ints.at("coneLightCount"), 0);

  const GlobalUniforms menu = Upload(3);
  EXPECT_EQ(menu.ambientLights.at("ambientLight").strength, 0.0f);
  EXPECT_EQ(menu.universalLights.at("universalLight").color, glm::vec3(0.5f));
  EXPECT_EQ(menu.ints.at("pointLightCount"), 0);
  ASSERT_EQ(menu.ints.at("coneLightCount"), 1);
  const ConeLightData& coneData = menu.coneLights.at("coneLights[0]");
  const Light& coneLight = *components->GetComponent<Light>(cone);
  EXPECT_EQ(coneData.position, glm::vec3(4.0f, 5.0f, 6.0f));
  EXPECT_EQ(coneData.direction, coneLight._direction);
  EXPECT_EQ(coneData.angle, coneLight._angle);
  EXPECT_EQ(coneData.radii, coneLight._radii);

  EXPECT_EQ(Upload(8).ints.at("pointLightCount"), 1);
  EXPECT_TRUE(Upload(9).ints.empty());

  // A light that is gone stops lighting at the next update.
  decs->DestroyEntity(cone);
  lights->Update(0.0f);
  EXPECT_EQ(Upload(3).ints.at("coneLightCount"), 0);
}

}  // namespace
