#include "render/standard_entity_renderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "components/animation_group.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/tag_container.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/recording_draw_queue.h"

namespace {

using testing_support::RecordingDrawQueue;

class StandardEntityRendererTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    renderer = systems->RegisterSystem<StandardEntityRenderer>().get();
    renderer->SetDrawQueue(&queue);
  }

  // An entity with the four components the system needs: mesh 7, material 3, textures 11
  // and 12, standing at (1, 2, 3).
  int AddDrawable(const std::string& name) {
    const int entity = CreateEntity(name);
    MeshComponent mesh;
    mesh.meshId = 7;
    Add<MeshComponent>(entity, mesh);
    MaterialComponent material;
    material.materialId = 3;
    Add<MaterialComponent>(entity, material);
    TextureComponent texture;
    texture.albedoTexture = 11;
    texture.normalTexture = 12;
    Add<TextureComponent>(entity, texture);
    Add<Transform>(entity, Transform({1.0f, 2.0f, 3.0f}, {}, {1.0f, 1.0f, 1.0f}));
    return entity;
  }

  void Tag(int entity, std::vector<std::string> tags) {
    TagContainer container;
    container._tags = std::move(tags);
    Add<TagContainer>(entity, container);
  }

  StandardEntityRenderer* renderer = nullptr;
  RecordingDrawQueue queue;
};

void ExpectNear(const glm::mat4& actual, const glm::mat4& expected) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      EXPECT_NEAR(actual[column][row], expected[column][row], 1e-6f) << column << ", " << row;
    }
  }
}

TEST_F(StandardEntityRendererTest, QueuesOneDrawPerEntityFromItsComponents) {
  const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f));
  const struct {
    const char* name;
    std::function<void(int entity)> setup;
    std::function<void(const DrawRequest& draw)> check;
  } cases[] = {
      {"plain: the scene layer, handles, model and no overrides", [](int) {},
       [&](const DrawRequest& draw) {
         EXPECT_EQ(draw.layer, 1);
         EXPECT_EQ(draw.mesh, 7);
         EXPECT_EQ(draw.material, 3);
         EXPECT_EQ(draw.textureA, 11);
         EXPECT_EQ(draw.textureB, 12);
         ExpectNear(draw.model, placed);
         EXPECT_EQ(draw.cellOffset, glm::vec2(0.0f));
         EXPECT_FALSE(draw.forceTransparent || draw.ordered || draw.overrideDiffuse ||
                      draw.overrideAmbient || draw.overrideSpecular || draw.overrideShininess);
       }},
      {"the mesh offset moves the entity in world space, after its rotation",
       [&](int entity) {
         components->GetComponent<MeshComponent>(entity)->_offset = {0.0f, 0.0f, -1.0f};
         components->GetComponent<Transform>(entity)->_rotation = {0.0f, 90.0f, 0.0f};
       },
       [&](const DrawRequest& draw) {
         ExpectNear(draw.model,
                    glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 2.0f)),
                                glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
       }},
      {"UILayer goes to the game interface layer", [&](int entity) { Tag(entity, {"UILayer"}); },
       [](const DrawRequest& draw) { EXPECT_EQ(draw.layer, 2); }},
      {"ScreentoneMask goes to the mask layer",
       [&](int entity) { Tag(entity, {"ScreentoneMask"}); },
       [](const DrawRequest& draw) { EXPECT_EQ(draw.layer, 5); }},
      {"both tags: the game interface layer",
       [&](int entity) {
         Tag(entity, {"ScreentoneMask", "UILayer"});
       },
       [](const DrawRequest& draw) { EXPECT_EQ(draw.layer, 2); }},
      {"a billboard stands up, turned towards the view",
       [&](int entity) {
         Tag(entity, {"Billboard"});
         components->GetComponent<Transform>(entity)->_position = glm::vec3(0.0f);
       },
       [](const DrawRequest& draw) {
         glm::mat4 expected = glm::rotate(glm::mat4(1.0f), -0.7853982f, glm::vec3(0, 1, 0));
         expected = glm::rotate(expected, 1.5707964f, glm::vec3(1, 0, 0));
         ExpectNear(draw.model, glm::scale(expected, glm::vec3(1.0f, 1.0f, 1.3333334f)));
       }},
      {"the depth modifier and the current sheet cell",
       [&](int entity) {
         components->GetComponent<Transform>(entity)->_depthModifier = 2.5f;
         AnimationGroup animation;
         animation.frameOffsetU = 0.25f;
         animation.frameOffsetV = 0.5f;
         Add<AnimationGroup>(entity, animation);
       },
       [](const DrawRequest& draw) {
         EXPECT_EQ(draw.depthModifier, 2.5f);
         EXPECT_EQ(draw.cellOffset, glm::vec2(0.25f, 0.5f));
       }},
      {"diffuse override with its w as alpha",
       [&](int entity) {
         MaterialComponent& material = *components->GetComponent<MaterialComponent>(entity);
         material._overrideDiffuse = true;
         material._diffuseOverride = {0.1f, 0.2f, 0.3f, 0.5f};
       },
       [](const DrawRequest& draw) {
         EXPECT_TRUE(draw.overrideDiffuse);
         EXPECT_EQ(draw.diffuseOverride, glm::vec3(0.1f, 0.2f, 0.3f));
         EXPECT_EQ(draw.alphaOverride, 0.5f);
       }},
      {"ambient and specular overrides",
       [&](int entity) {
         MaterialComponent& material = *components->GetComponent<MaterialComponent>(entity);
         material._overrideAmbient = true;
         material._ambientOverride = {0.3f, 0.3f, 0.3f};
         material._overrideSpecular = true;
         material._specularOverride = {0.7f, 0.7f, 0.7f};
       },
       [](const DrawRequest& draw) {
         EXPECT_TRUE(draw.overrideAmbient);
         EXPECT_EQ(draw.ambientOverride, glm::vec3(0.3f));
         EXPECT_TRUE(draw.overrideSpecular);
         EXPECT_EQ(draw.specularOverride, glm::vec3(0.7f));
       }},
      {"shininess 0 keeps the material's even with the override flag",
       [&](int entity) {
         components->GetComponent<MaterialComponent>(entity)->_overrideShininess = true;
       },
       [](const DrawRequest& draw) { EXPECT_FALSE(draw.overrideShininess); }},
      {"shininess 5 overrides whatever the flag says",
       [&](int entity) { components->GetComponent<MaterialComponent>(entity)->_shininess = 5.0f; },
       [](const DrawRequest& draw) {
         EXPECT_TRUE(draw.overrideShininess);
         EXPECT_EQ(draw.shininessOverride, 5.0f);
       }},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const int entity = AddDrawable("entity");
    test.setup(entity);
    queue.draws.clear();
    renderer->Render();
    ASSERT_EQ(queue.draws.size(), 1u);
    test.check(queue.draws[0]);
    decs->DestroyEntity(entity);
  }
}

TEST_F(StandardEntityRendererTest, QueuesEntitiesWithAllFourComponentsInIdOrder) {
  const int first = AddDrawable("first");
  const int withoutTexture = CreateEntity("without texture");
  Add<MeshComponent>(withoutTexture);
  Add<MaterialComponent>(withoutTexture);
  Add<Transform>(withoutTexture);
  const int second = AddDrawable("second");
  components->GetComponent<Transform>(first)->_depthModifier = 1.0f;
  components->GetComponent<Transform>(second)->_depthModifier = 2.0f;

  // Also while the game is paused: the pause menu shows the scene behind it.
  decs->paused = true;
  EXPECT_FALSE(renderer->pausable);
  renderer->Render();
  ASSERT_EQ(queue.draws.size(), 2u);
  EXPECT_EQ(queue.draws[0].depthModifier, 1.0f);
  EXPECT_EQ(queue.draws[1].depthModifier, 2.0f);
}

}  // namespace
