#include "audio/sound_emitter_system.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "components/sound_emitter.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/resource_provider.h"
#include "engine/system_manager.h"
#include "render/draw_queue.h"

namespace {

constexpr const char* kQuadMesh = "./GAME/Assets/Meshes/DefaultQuad.txt";
constexpr const char* kDebugMaterial = "./GAME/Assets/Materials/CollisionDebugMaterial.json";
constexpr const char* kRedCircle = "./GAME/Assets/Textures/Debug/debug_circle_red.png";
constexpr const char* kBlueCircle = "./GAME/Assets/Textures/Debug/debug_circle_blue.png";
constexpr const char* kPlainCircle = "./GAME/Assets/Textures/Debug/debug_collider_circle.png";

// The pan of an emitter seen from the listener, before the emitter's multiplier.
float PanTowards(float dx, float dz) {
  if (dx == 0.0f && dz == 0.0f) return 0.0f;
  const int degrees = static_cast<int>(std::atan2(dz, dx) * 57.29578f + 360.0f) % 360;
  return std::cos(static_cast<float>(degrees - 45) * 0.017453292f);
}

}  // namespace

// It keeps running while the pause menu is open.
SoundEmitterSystem::SoundEmitterSystem() { pausable = false; }

void SoundEmitterSystem::Init() {
  DECS& decs = DECS::Instance();
  components = decs.GetManager<ComponentManager>().get();
  entityManager = decs.GetManager<EntityManager>().get();
  messaging = decs.GetManager<MessagingManager>().get();
  if (const auto systems = decs.GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<SoundEmitterSystem>(), {std::string(TypeName<Transform>()),
                                                           std::string(TypeName<SoundEmitter>())});
  }
  if (ResourceProvider* resources = DECS::CurrentResources()) {
    using namespace texture_sampling;
    quadMesh = resources->GetMesh(kQuadMesh);
    debugMaterial = resources->GetMaterial(kDebugMaterial);
    redCircle = resources->GetTexture(kRedCircle, kNearest, kNearest, kRepeat);
    blueCircle = resources->GetTexture(kBlueCircle, kNearest, kNearest, kRepeat);
    plainCircle = resources->GetTexture(kPlainCircle, kNearest, kNearest, kRepeat);
  }
}

void SoundEmitterSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "sound_emitter_debug")) debugDraw = !debugDraw;
}

int SoundEmitterSystem::FindListener() const {
  if (entityManager == nullptr) return kNoEntity;
  const int player = entityManager->FindEntity("player");
  return player != kNoEntity ? player : entityManager->FindEntity("Main Camera");
}

void SoundEmitterSystem::Update(float dt) {
  highlightTimer += dt;
  if (components == nullptr || messaging == nullptr) return;
  const int listener = FindListener();
  const Transform* listenerTransform =
      listener != kNoEntity ? components->GetComponent<Transform>(listener) : nullptr;
  if (listenerTransform == nullptr) return;
  const float lx = listenerTransform->_position.x;
  const float lz = listenerTransform->_position.z;

  ForEachEntity([&](int entity) {
    const Transform* transform = components->GetComponent<Transform>(entity);
    SoundEmitter* emitter = components->GetComponent<SoundEmitter>(entity);
    if (transform == nullptr || emitter == nullptr || emitter->_soundAlias.empty()) return;
    const float dx = transform->_position.x - lx;
    const float dz = transform->_position.z - lz;
    const float distance = std::sqrt(dx * dx + dz * dz);
    const float pan = PanTowards(dx, dz) * emitter->_panningMultiplier;
    const float volume = emitter->Curve().Evaluate(distance);
    const bool fired = emitter->TickInterval(dt);
    const char* alias = emitter->_soundAlias.c_str();
    if (fired && volume > 0.0f) {
      messaging->PostFormatted("play_sfx %s %f %f %f %i", 1, alias, 1.0, double{volume},
                               double{pan}, 1);
    } else if (emitter->_looping) {
      messaging->PostFormatted("play_emitted %s %f %f %f", 1, alias, 1.0, double{volume},
                               double{pan});
    }
  });
}

void SoundEmitterSystem::Render() {
  if (!debugDraw || components == nullptr) return;
  const int highlighted = static_cast<int>(highlightTimer);
  int walked = 0;
  ForEachEntity([&](int entity) {
    const Transform* transform = components->GetComponent<Transform>(entity);
    const SoundEmitter* emitter = components->GetComponent<SoundEmitter>(entity);
    const int index = walked++;
    if (transform == nullptr || emitter == nullptr || drawQueue == nullptr) return;
    const bool lit = index == highlighted;
    auto circle = [&](float radius, float height, int texture) {
      DrawRequest draw;
      draw.mesh = quadMesh;
      draw.material = debugMaterial;
      draw.textureA = texture;
      const glm::vec3 at(transform->_position.x, height, transform->_position.z);
      draw.model = glm::scale(glm::translate(glm::mat4(1.0f), at), glm::vec3(2.0f * radius));
      drawQueue->QueueDraw(draw);
    };
    circle(emitter->_outerRadius, lit ? 0.2f : 0.0f, lit ? redCircle : plainCircle);
    circle(emitter->_innerRadius, lit ? 0.3f : 0.1f, lit ? blueCircle : plainCircle);
  });
  if (walked < highlighted) highlightTimer = 0.0f;
}
