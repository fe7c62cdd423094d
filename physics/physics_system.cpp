#include "physics/physics_system.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <string_view>

#include "components/physics.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "physics/debug_draw.h"

namespace {

// Below this speed (all three axes) a body stops exactly.
constexpr float kVelocityFloor = 0.001f;
// Below this horizontal speed a body on the ground is held by static friction.
constexpr float kStaticSpeed = 0.01f;

// powf(1 - damping, dt): the share of a velocity kept over dt. Damping above 1 keeps nothing
// (powf of a negative base is NaN).
float DampingFactor(float damping, float dt) {
  return std::pow(std::max(1.0f - damping, 0.0f), dt);
}

float WrapDegrees(float degrees) { return degrees - std::floor(degrees / 360.0f) * 360.0f; }

// Commands that write one vector of a body: "<word> <entity> x y z".
struct VectorCommand {
  std::string_view word;
  void (*apply)(Physics& body, Transform& transform, const glm::vec3& value);
};

constexpr VectorCommand kVectorCommands[] = {
    {"physics_set_velocity", [](Physics& b, Transform&, const glm::vec3& v) { b._velocity = v; }},
    {"physics_set_position", [](Physics&, Transform& t, const glm::vec3& v) { t._position = v; }},
    {"physics_apply_force",
     [](Physics& b, Transform&, const glm::vec3& v) { b.forceAccumulator += v; }},
    {"physics_apply_torque",
     [](Physics& b, Transform&, const glm::vec3& v) { b.torqueAccumulator += v; }},
    {"physics_set_angular_velocity",
     [](Physics& b, Transform&, const glm::vec3& v) { b._angularVelocity = v; }},
    {"physics_set_acceleration",
     [](Physics& b, Transform&, const glm::vec3& v) { b._acceleration = v; }},
};

// Commands that read one vector of a body: "<word> <entity>", replying "%f %f %f".
struct QueryCommand {
  std::string_view word;
  glm::vec3 (*read)(const Physics& body, const Transform& transform);
};

constexpr QueryCommand kQueryCommands[] = {
    {"physics_get_velocity", [](const Physics& b, const Transform&) { return b._velocity; }},
    {"physics_get_position", [](const Physics&, const Transform& t) { return t._position; }},
};

}  // namespace

void IntegrateBody(Physics& body, Transform& transform, float dt) {
  glm::vec3& force = body.forceAccumulator;
  glm::vec3& velocity = body._velocity;
  const float weight = body._mass * kGravity;

  if (!body._isFalling) {
    const float speed = std::sqrt(velocity.x * velocity.x + velocity.z * velocity.z);
    if (speed < kStaticSpeed) {
      if (weight * body._staticFriction > std::sqrt(force.x * force.x + force.z * force.z)) {
        force.x = 0.0f;
        force.z = 0.0f;
      }
    } else {
      force.x -= velocity.x / speed * weight * body._kineticFriction;
      force.z -= velocity.z / speed * weight * body._kineticFriction;
    }
  }
  force -= body._dragCoefficient * velocity;

  body._acceleration = force / body._mass;
  // The mass multiplies the fall as well: 88.29 with mass 1 and the default multiplier 9.
  if (body._isFalling) body._acceleration.y -= body._mass * kGravity * body._gravityMultiplier;
  velocity += body._acceleration * dt;
  velocity *= DampingFactor(body._linearDamping, dt);
  if (glm::length(velocity) < kVelocityFloor) velocity = glm::vec3(0.0f);
  transform._position += velocity * dt;

  body._angularAcceleration = body.torqueAccumulator / body.inertia;
  body._angularVelocity += body._angularAcceleration * dt;
  body._angularVelocity *= DampingFactor(body._angularDamping, dt);
  transform._rotation += body._angularVelocity * dt;

  body._acceleration = glm::vec3(0.0f);
  body._angularAcceleration = glm::vec3(0.0f);
  force = glm::vec3(0.0f);
  body.torqueAccumulator = glm::vec3(0.0f);

  glm::vec3& rotation = transform._rotation;
  rotation = {WrapDegrees(rotation.x), WrapDegrees(rotation.y), WrapDegrees(rotation.z)};
}

bool DebugArrowModel(const glm::vec3& position, const glm::vec3& direction, glm::mat4& model) {
  const glm::vec3 horizontal(direction.x, 0.0f, direction.z);
  const float length = glm::length(horizontal);
  if (!std::isfinite(length) || length == 0.0f || !std::isfinite(position.x) ||
      !std::isfinite(position.y) || !std::isfinite(position.z)) {
    return false;
  }
  const glm::vec3 unit = horizontal / length;
  // Yaw from +z; the sign follows the side of x the vector points to.
  float yaw = std::acos(std::clamp(unit.z, -1.0f, 1.0f));
  if (unit.x > 0.0f) yaw = -yaw;
  model = glm::translate(glm::mat4(1.0f), position);
  model = glm::rotate(model, -yaw, glm::vec3(0.0f, 1.0f, 0.0f));
  model = physics_debug::LayFlat(model);
  model = glm::scale(model, glm::vec3(1.0f, length / 10.0f, 1.0f));
  return true;
}

void PhysicsSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<PhysicsSystem>(),
                          {std::string(TypeName<Physics>()), std::string(TypeName<Transform>())});
  }
  if (ResourceProvider* resources = DECS::CurrentResources()) {
    arrowMesh = resources->GetMesh(kArrowMeshPath);
    whiteTexture = resources->GetTexture(kWhiteTexturePath, texture_sampling::kNearest,
                                         texture_sampling::kNearest, texture_sampling::kRepeat);
    debugMaterial = resources->GetMaterial(physics_debug::kMaterialPath);
  }
}

void PhysicsSystem::Update(float dt) {
  const auto components = engine != nullptr ? engine->GetManager<ComponentManager>() : nullptr;
  auto* bodies = components != nullptr ? components->GetArray<Physics>() : nullptr;
  auto* transforms = components != nullptr ? components->GetArray<Transform>() : nullptr;
  if (bodies == nullptr || transforms == nullptr) return;

  // Integration sends no message and creates no entity, so the set is walked in place.
  for (const int entity : entities) {
    Physics& body = bodies->At(entity);
    Transform& transform = transforms->At(entity);
    body.previousPosition = transform._position;
    if (body._mass == 0.0f) continue;
    if (body._isKinematic) {
      if (!firstUpdateDone) body._mass = kKinematicMass;
      transform._position += dt * body._velocity;
      transform._rotation += dt * body._angularVelocity;
      continue;
    }
    IntegrateBody(body, transform, dt);
  }
  firstUpdateDone = true;
}

void PhysicsSystem::Render() {
  if (!debugDraw || drawQueue == nullptr || engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  const auto* bodies = components != nullptr ? components->GetArray<Physics>() : nullptr;
  const auto* transforms = components != nullptr ? components->GetArray<Transform>() : nullptr;
  if (bodies == nullptr || transforms == nullptr) return;

  for (const int entity : entities) {
    const Physics& body = bodies->At(entity);
    if (body._mass == 0.0f) continue;
    const glm::vec3& position = transforms->At(entity)._position;
    const struct {
      glm::vec3 direction;
      glm::vec3 colour;
    } arrows[] = {{body._velocity, {0.0f, 1.0f, 0.0f}},
                  {body.forceAccumulator / body._mass, {1.0f, 0.0f, 0.0f}}};
    for (const auto& arrow : arrows) {
      glm::mat4 model;
      if (!DebugArrowModel(position, arrow.direction, model)) continue;
      drawQueue->QueueDraw(
          physics_debug::Draw(arrowMesh, debugMaterial, whiteTexture, model, arrow.colour));
    }
  }
}

void PhysicsSystem::HandleMessage(const std::string& message) {
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;

  // The body named by the entity word, or nulls when it is not in this system's set.
  const auto findBody = [&](std::string_view word, Physics*& body, Transform*& transform) {
    int entity = kNoEntity;
    body = nullptr;
    transform = nullptr;
    if (!ReadMessageInt(word, entity) || !entities.contains(entity)) return false;
    body = components->GetComponent<Physics>(entity);
    transform = components->GetComponent<Transform>(entity);
    return body != nullptr && transform != nullptr;
  };

  for (const VectorCommand& command : kVectorCommands) {
    if (!IsMessage(message, command.word)) continue;
    std::string_view words[4];
    glm::vec3 value(0.0f);
    Physics* body = nullptr;
    Transform* transform = nullptr;
    if (SplitMessageArguments(message, words, 4) && ReadMessageFloat(words[1], value.x) &&
        ReadMessageFloat(words[2], value.y) && ReadMessageFloat(words[3], value.z) &&
        findBody(words[0], body, transform)) {
      command.apply(*body, *transform, value);
    }
    return;
  }

  for (const QueryCommand& command : kQueryCommands) {
    if (!IsMessage(message, command.word)) continue;
    std::string_view word;
    Physics* body = nullptr;
    Transform* transform = nullptr;
    glm::vec3 value(0.0f);
    if (SplitMessageArguments(message, &word, 1) && findBody(word, body, transform)) {
      value = command.read(*body, *transform);
    }
    if (auto messaging = engine->GetManager<MessagingManager>()) {
      messaging->ReplyFormatted("%f %f %f", static_cast<double>(value.x),
                                static_cast<double>(value.y), static_cast<double>(value.z));
    }
    return;
  }

  if (IsMessage(message, "physics_debug")) {
    std::string_view word;
    int mode = 0;
    if (SplitMessageArguments(message, &word, 1) && ReadMessageInt(word, mode)) {
      debugDraw = mode == 2 || mode == 3;
    }
  }
}
