#include "render/standard_entity_renderer.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "components/animation_group.h"
#include "components/component_enums.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/tag_container.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/system_manager.h"
#include "render/renderer.h"

DrawRequest EntityDraw(bool billboard, bool gameUi, bool screentoneMask, const MeshComponent& mesh,
                       const MaterialComponent& material, const TextureComponent& texture,
                       const glm::mat4& model, float depthModifier, const glm::vec2& cellOffset) {
  DrawRequest draw;
  draw.mesh = mesh.meshId;
  draw.material = material.materialId;
  draw.textureA = texture.albedoTexture;
  draw.textureB = texture.normalTexture;
  draw.layer = static_cast<int>(gameUi           ? FramebufferLayer::GAMEUI
                                : screentoneMask ? FramebufferLayer::SCREENTONE_MASK
                                                 : FramebufferLayer::SCENE);
  draw.model = model;
  if (billboard) {
    draw.model = glm::rotate(draw.model, -0.7853982f, glm::vec3(0.0f, 1.0f, 0.0f));
    draw.model = glm::rotate(draw.model, 1.5707964f, glm::vec3(1.0f, 0.0f, 0.0f));
    draw.model = glm::scale(draw.model, glm::vec3(1.0f, 1.0f, 1.3333334f));
  }
  draw.depthModifier = depthModifier;
  draw.cellOffset = cellOffset;
  draw.forceTransparent = false;
  draw.overrideDiffuse = material._overrideDiffuse;
  draw.diffuseOverride = glm::vec3(material._diffuseOverride);
  draw.alphaOverride = material._diffuseOverride.w;
  draw.overrideAmbient = material._overrideAmbient;
  draw.ambientOverride = material._ambientOverride;
  draw.overrideSpecular = material._overrideSpecular;
  draw.specularOverride = material._specularOverride;
  // A shininess of 0 means "the material's"; NaN counts as set.
  draw.overrideShininess = !(material._shininess == 0.0f);
  draw.shininessOverride = material._shininess;
  draw.ordered = false;
  return draw;
}

// It keeps running while the pause menu is open.
StandardEntityRenderer::StandardEntityRenderer() { pausable = false; }

void StandardEntityRenderer::Init() {
  pausable = false;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(
        TypeName<StandardEntityRenderer>(),
        {std::string(TypeName<MeshComponent>()), std::string(TypeName<TextureComponent>()),
         std::string(TypeName<Transform>()), std::string(TypeName<MaterialComponent>())});
  }
}

void StandardEntityRenderer::Render() {
  DrawQueue* queue = drawQueue;
  if (queue == nullptr && Renderer::HasInstance()) queue = &Renderer::Instance();
  if (queue == nullptr || engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;
  auto* meshes = components->GetArray<MeshComponent>();
  auto* textures = components->GetArray<TextureComponent>();
  auto* transforms = components->GetArray<Transform>();
  auto* materials = components->GetArray<MaterialComponent>();
  if (meshes == nullptr || textures == nullptr || transforms == nullptr || materials == nullptr) {
    return;
  }
  const auto* tags = components->GetArray<TagContainer>();
  const auto* animations = components->GetArray<AnimationGroup>();

  // Queueing a draw creates and destroys no entity, so the set is walked in place (a snapshot
  // would allocate on every frame).
  for (const int entity : entities) {
    bool billboard = false;
    bool gameUi = false;
    bool screentoneMask = false;
    if (tags != nullptr && tags->HasComponent(entity)) {
      const TagContainer& entityTags = tags->At(entity);
      billboard = entityTags.HasTag("Billboard");
      gameUi = entityTags.HasTag("UILayer");
      screentoneMask = entityTags.HasTag("ScreentoneMask");
    }
    const MeshComponent& mesh = meshes->At(entity);
    Transform& transform = transforms->At(entity);
    const glm::mat4 model =
        glm::translate(glm::mat4(1.0f), mesh._offset) * transform.UpdateMatrix();
    const glm::vec2 cellOffset = animations != nullptr && animations->HasComponent(entity)
                                     ? animations->At(entity).GetFrameOffset()
                                     : glm::vec2(0.0f);
    queue->QueueDraw(EntityDraw(billboard, gameUi, screentoneMask, mesh, materials->At(entity),
                                textures->At(entity), model, transform._depthModifier, cellOffset));
  }
}
