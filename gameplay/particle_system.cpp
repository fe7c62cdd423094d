#include "gameplay/particle_system.h"

#include <glm/gtc/matrix_transform.hpp>
#include <optional>
#include <random>

#include "components/animation_group.h"
#include "components/mesh_component.h"
#include "components/particle_emitter.h"
#include "components/physics.h"
#include "components/texture_component.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "render/draw_queue.h"

namespace {

// The shared turn of every Mode2D particle: -45 degrees about y, then 45 degrees about x.
glm::mat4 FlatParticleRotation() {
  const glm::mat4 aboutY =
      glm::rotate(glm::mat4(1.0f), glm::radians(-45.0f), glm::vec3(0.0f, 1.0f, 0.0f));
  return glm::rotate(aboutY, glm::radians(45.0f), glm::vec3(1.0f, 0.0f, 0.0f));
}

glm::vec3 Translation(Transform& transform) { return glm::vec3(transform.UpdateMatrix()[3]); }

}  // namespace

ParticleSystem::ParticleSystem() = default;
ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  random = ParticleRandom(std::random_device{}());
  componentManager = engine->GetManager<ComponentManager>();
  entityManager = engine->GetManager<EntityManager>();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<ParticleSystem>(), {std::string(TypeName<ParticleEmitter>()),
                                                       std::string(TypeName<Transform>())});
  }
}

FoliageSource ParticleSystem::FindFoliage() const {
  FoliageSource source;
  if (links.cameraPosition) source.cameraPosition = links.cameraPosition();
  const int map = entityManager != nullptr ? entityManager->FindEntity("Tilemap") : kNoEntity;
  if (map != kNoEntity && componentManager != nullptr &&
      componentManager->HasComponent<Tilemap>(map) &&
      componentManager->HasComponent<Transform>(map)) {
    source.map = componentManager->GetComponent<Tilemap>(map);
    source.mapMatrix = componentManager->GetComponent<Transform>(map)->UpdateMatrix();
  }
  return source;
}

bool ParticleSystem::Resting() const {
  return engine == nullptr || (links.graphicsQuality && links.graphicsQuality() <= 1);
}

void ParticleSystem::HandleMessage(const std::string& message) {
  const bool burst = IsMessage(message, "particle_burst");
  const bool activate = IsMessage(message, "activate_particle");
  const bool deactivate = IsMessage(message, "deactivate_particle");
  if ((!burst && !activate && !deactivate) || Resting()) return;

  std::string alias;
  std::string duration;
  float seconds = 0.0f;
  if (burst && ParseMessageArguments(message, alias, duration)) {
    // A duration that is no number is ignored and the burst keeps its own.
    if (!ReadMessageFloat(duration, seconds)) seconds = 0.0f;
  } else if (!ParseMessageArguments(message, alias)) {
    return;
  }
  auto entities = engine->GetManager<EntityManager>();
  auto components = engine->GetManager<ComponentManager>();
  if (!entities || !components) return;
  const int entity = entities->FindEntity(alias);
  if (!components->HasComponent<ParticleEmitter>(entity)) return;
  ParticleEmitter& emitter = *components->GetComponent<ParticleEmitter>(entity);
  if (burst) {
    emitter.PlayBurst(seconds);
  } else if (activate) {
    emitter.Play();
  } else {
    emitter.Stop(false);
  }
}

void ParticleSystem::Update(float dt) {
  if (Resting()) return;
  ComponentManager* components = componentManager.get();
  if (components == nullptr) return;
  finishedBursts.clear();
  // Looked up once per update, when a FoliageMap emitter first needs it.
  std::optional<FoliageSource> foliage;
  WalkEmitters([&](int entity) {
    if (!components->HasComponent<ParticleEmitter>(entity) ||
        !components->HasComponent<Transform>(entity)) {
      return;
    }
    ParticleEmitter& emitter = *components->GetComponent<ParticleEmitter>(entity);
    const glm::vec3 translation = Translation(*components->GetComponent<Transform>(entity));

    if (emitter._burstMode) {
      // A burst's clock runs whether or not the emitter still emits, so a burst switched off
      // part-way still ends (and destroys its entity when asked). It ends on the update whose
      // time first reaches the duration, once.
      const float before = emitter.burstTimer;
      emitter.burstTimer += dt;
      const bool wasRunning = before < emitter._burstDuration || before == 0.0f;
      if (wasRunning && emitter.burstTimer >= emitter._burstDuration) {
        emitter.Stop(emitter._clearParticlesOnComplete);
        if (emitter._destroyOnCompletion) {
          finishedBursts.push_back(entity);
          return;
        }
      }
    }
    if (!emitter.particles.empty()) UpdateParticles(emitter, translation, dt);
    if (!emitter._active) return;

    EmissionContext context;
    context.emitterTranslation = translation;
    if (components->HasComponent<Physics>(entity)) {
      context.hasParentPhysics = true;
      context.parentSpeed = glm::length(components->GetComponent<Physics>(entity)->_velocity);
    }
    if (emitter._freezeAnimationFrame && components->HasComponent<AnimationGroup>(entity)) {
      const AnimationGroup& group = *components->GetComponent<AnimationGroup>(entity);
      context.animationFrame = group.GetFrameOffset();
      context.animationTexture = group.currentSheet.texture;
    }
    if (emitter._emissionShape == EmissionShape::FoliageMap) {
      if (!foliage) foliage = FindFoliage();
      context.foliage = &*foliage;
    }
    EmitParticles(emitter, context, random, dt);
  });

  // Each entity is destroyed once: a burst ends only on the update that reaches its duration.
  if (finishedBursts.empty()) return;
  auto messaging = engine->GetManager<MessagingManager>();
  if (!messaging) return;
  for (int entity : finishedBursts) messaging->PostFormatted("entity_destroy %d", 0, entity);
}

void ParticleSystem::Render() {
  if (Resting() || drawQueue == nullptr) return;
  ComponentManager* components = componentManager.get();
  if (components == nullptr) return;
  static const glm::mat4 kFlatRotation = FlatParticleRotation();
  WalkEmitters([&](int entity) {
    if (!components->HasComponent<ParticleEmitter>(entity) ||
        !components->HasComponent<Transform>(entity)) {
      return;
    }
    const ParticleEmitter& emitter = *components->GetComponent<ParticleEmitter>(entity);
    const glm::vec3 translation = Translation(*components->GetComponent<Transform>(entity));

    DrawRequest draw;
    draw.mesh = emitter.meshHandle;
    draw.material = emitter.materialHandle;
    draw.textureA = emitter.textureHandle;
    draw.layer = drawLayer;
    draw.forceTransparent = emitter._transparent;
    draw.overrideDiffuse = true;
    glm::vec2 sheetCell(0.0f);
    if (emitter._useAnimationComponentTexture) {
      if (components->HasComponent<MeshComponent>(entity)) {
        draw.mesh = components->GetComponent<MeshComponent>(entity)->meshId;
      }
      if (components->HasComponent<TextureComponent>(entity)) {
        draw.textureA = components->GetComponent<TextureComponent>(entity)->albedoTexture;
      }
      if (components->HasComponent<AnimationGroup>(entity)) {
        sheetCell = components->GetComponent<AnimationGroup>(entity)->GetFrameOffset();
      }
    }
    const int sharedTexture = draw.textureA;
    for (const Particle& particle : emitter.particles) {
      if (!particle.alive) continue;
      if (emitter._renderMode == RenderMode::Mode2D) {
        draw.model = kFlatRotation;
        draw.model[0] *= particle.scale.x;
        draw.model[1] *= particle.scale.y;
        draw.model[2] *= particle.scale.z;
        draw.model[3] = glm::vec4(translation + particle.position, 1.0f);
      } else {
        // Translation, then Rz Ry Rx of the particle's degrees, then its scale.
        particlePose._position = translation + particle.position;
        particlePose._rotation = particle.rotation;
        particlePose._scale = particle.scale;
        draw.model = particlePose.UpdateMatrix();
      }
      draw.diffuseOverride = glm::vec3(particle.color);
      draw.alphaOverride = particle.color.a;
      if (emitter._freezeAnimationFrame) {
        draw.cellOffset = particle.animationFrame;
        draw.textureA = particle.animationTexture;
      } else {
        draw.cellOffset = sheetCell;
        draw.textureA = sharedTexture;
      }
      drawQueue->QueueDraw(draw);
    }
  });
}
