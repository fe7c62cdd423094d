#include "scripting/lua_component_binder.h"

#include <array>
#include <glm/glm.hpp>
#include <string>
#include <utility>

#include "components/camera.h"
#include "components/collider.h"
#include "components/light.h"
#include "components/material_component.h"
#include "components/mesh_component.h"
#include "components/particle_emitter.h"
#include "components/physics.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "engine/component_manager.h"
#include "engine/entity.h"
#include "engine/type_name.h"
#include "platform/button_state.h"
#include "scripting/lua/state.h"

namespace {

// "Get" + the class's type name without its leading "class ".
template <typename Component>
std::string GetterName() {
  std::string_view name = TypeName<Component>();
  constexpr std::string_view kClassPrefix = "class ";
  if (name.starts_with(kClassPrefix)) name.remove_prefix(kClassPrefix.size());
  return "Get" + std::string(name);
}

// Publishes the getter of one component class. The entity id must be a number: nil or a word
// would otherwise read as 0 and hand the script entity 0's component.
template <typename Component>
void BindToLua(lua::State& lua, const std::shared_ptr<ComponentManager>& componentManager) {
  lua.SetFunction(GetterName<Component>(), [componentManager](lua::StrictInt entity) -> Component* {
    if (componentManager == nullptr || !IsValidEntityId(entity.value)) {
      return nullptr;
    }
    return componentManager->GetComponent<Component>(entity.value);
  });
}

void BindTransform(lua::State& lua) {
  lua.NewUsertype<Transform>("Transform")
      .Member("_position", &Transform::_position)
      .Member("_rotation", &Transform::_rotation)
      .Member("_depthModifier", &Transform::_depthModifier)
      .Member("_scale", &Transform::_scale)
      .Member("_modifierMatrix", &Transform::_modifierMatrix);
}

void BindCamera(lua::State& lua) {
  lua.NewUsertype<Camera>("Camera")
      .Property(
          "_zoom", [](const Camera& camera) { return camera._zoom; },
          [](Camera& camera, float zoom) {
            camera._zoom = zoom;
            camera.SetDirty();
          })
      .Method("SetDirty", &Camera::SetDirty);
}

void BindPhysics(lua::State& lua) {
  lua.NewUsertype<Physics>("Physics")
      .Member("_isFalling", &Physics::_isFalling)
      .Member("_velocity", &Physics::_velocity)
      .Member("_acceleration", &Physics::_acceleration)
      .Member("_angularVelocity", &Physics::_angularVelocity)
      .Member("_angularAcceleration", &Physics::_angularAcceleration)
      .Member("_mass", &Physics::_mass)
      .Member("_restitution", &Physics::_restitution)
      .Member("_staticFriction", &Physics::_staticFriction)
      .Member("_kineticFriction", &Physics::_kineticFriction)
      .Member("_dragCoefficient", &Physics::_dragCoefficient)
      .Member("_linearDamping", &Physics::_linearDamping)
      .Member("_angularDamping", &Physics::_angularDamping)
      .Member("_gravityMultiplier", &Physics::_gravityMultiplier)
      .Member("_isKinematic", &Physics::_isKinematic);
}

void BindCollider(lua::State& lua) {
  lua.NewUsertype<Collider>("Collider")
      .Member("_offset", &Collider::_offset)
      .Member("_size", &Collider::_size)
      .Member("_radius", &Collider::_radius)
      .Member("_trigger", &Collider::_trigger)
      .Member("_isActive", &Collider::_isActive)
      .Property(
          "_layer", [](const Collider& collider) { return collider._layer; },
          [](Collider& collider, int layer) {
            // Only the enumeration's values: the collision system indexes its layer table
            // with it.
            if (layer < static_cast<int>(ColliderLayer::DEFAULT) ||
                layer > static_cast<int>(ColliderLayer::PUSHER)) {
              throw lua::Error("cannot set Collider._layer: " + std::to_string(layer) +
                               " is not a ColliderLayer value (0 to 6)");
            }
            collider._layer = static_cast<ColliderLayer>(layer);
          })
      .ReadOnly("_isGrounded", &Collider::_isGrounded);
}

void BindLight(lua::State& lua) {
  lua.NewUsertype<Light>("Light")
      .Property(
          "_type", [](const Light& light) { return light._type; },
          [](Light& light, int type) { light._type = type; })
      .Property(
          "_color", [](const Light& light) { return light._color; },
          [](Light& light, glm::vec3 color) { light._color = color; })
      .Property(
          "_strength", [](const Light& light) { return light._strength; },
          [](Light& light, float strength) { light._strength = strength; })
      .Property(
          "_radii", [](const Light& light) { return light._radii; },
          [](Light& light, glm::vec2 radii) { light._radii = radii; })
      .Property(
          "_direction", [](const Light& light) { return light._direction; },
          [](Light& light, glm::vec3 direction) { light._direction = direction; })
      .Property(
          "_angle", [](const Light& light) { return light._angle; },
          [](Light& light, float angle) { light._angle = angle; });
}

void BindMaterialComponent(lua::State& lua) {
  lua.NewUsertype<MaterialComponent>("MaterialComponent")
      .Property(
          "_shininess", [](const MaterialComponent& material) { return material._shininess; },
          [](MaterialComponent& material, float shininess) { material._shininess = shininess; })
      .Member("_ambientOverride", &MaterialComponent::_ambientOverride)
      .Member("_diffuseOverride", &MaterialComponent::_diffuseOverride)
      .Member("_specularOverride", &MaterialComponent::_specularOverride)
      .Property(
          "_overrideAmbient",
          [](const MaterialComponent& material) { return material._overrideAmbient; },
          [](MaterialComponent& material, bool value) { material._overrideAmbient = value; })
      .Property(
          "_overrideDiffuse",
          [](const MaterialComponent& material) { return material._overrideDiffuse; },
          [](MaterialComponent& material, bool value) { material._overrideDiffuse = value; })
      .Property(
          "_overrideSpecular",
          [](const MaterialComponent& material) { return material._overrideSpecular; },
          [](MaterialComponent& material, bool value) { material._overrideSpecular = value; });
}

void BindParticleEmitter(lua::State& lua) {
  lua.NewUsertype<ParticleEmitter>("ParticleEmitter")
      .Member("_active", &ParticleEmitter::_active)
      .Member("_emissionBounds", &ParticleEmitter::_emissionBounds);
}

void BindTTF(lua::State& lua) {
  lua.NewUsertype<TTF>("TTF")
      .Member("_text", &TTF::_text)
      .Member("_color", &TTF::_color)
      .Member("_color2", &TTF::_color2)
      .Member("_alpha", &TTF::_alpha);
}

void BindMeshComponent(lua::State& lua) {
  lua.NewUsertype<MeshComponent>("MeshComponent").Member("_offset", &MeshComponent::_offset);
}

// One row per bound component class, in binding order: its type name and what binds it.
struct ComponentBinding {
  std::string_view typeName;
  void (*bindUsertype)(lua::State& lua);
  void (*bindGetter)(lua::State& lua, const std::shared_ptr<ComponentManager>& manager);
};

template <typename Component>
constexpr ComponentBinding Row(void (*bindUsertype)(lua::State&)) {
  return {TypeName<Component>(), bindUsertype, &BindToLua<Component>};
}

constexpr std::array kComponentBindings = {
    Row<Transform>(&BindTransform),
    Row<Camera>(&BindCamera),
    Row<Physics>(&BindPhysics),
    Row<Collider>(&BindCollider),
    Row<Light>(&BindLight),
    Row<MaterialComponent>(&BindMaterialComponent),
    Row<ParticleEmitter>(&BindParticleEmitter),
    Row<TTF>(&BindTTF),
    Row<MeshComponent>(&BindMeshComponent),
};

template <typename Vector>
void BindVectorXYZW(lua::Usertype<Vector> type) {
  type.Member("x", &Vector::x);
  if constexpr (Vector::length() >= 2) type.Member("y", &Vector::y);
  if constexpr (Vector::length() >= 3) type.Member("z", &Vector::z);
  if constexpr (Vector::length() >= 4) type.Member("w", &Vector::w);
}

}  // namespace

LuaComponentBinder::LuaComponentBinder(lua::State& lua,
                                       std::shared_ptr<ComponentManager> componentManager)
    : lua(&lua), componentManager(std::move(componentManager)) {}

void LuaComponentBinder::BindMathAndEnums() {
  BindVectorXYZW(lua->NewUsertype<glm::vec2>("Vec2"));
  BindVectorXYZW(lua->NewUsertype<glm::vec3>("Vec3"));
  BindVectorXYZW(lua->NewUsertype<glm::vec4>("Vec4")
                     .Member("r", &glm::vec4::r)
                     .Member("g", &glm::vec4::g)
                     .Member("b", &glm::vec4::b)
                     .Member("a", &glm::vec4::a));
  // Matrices pass between component fields and the API's matrix functions; scripts never look
  // inside.
  lua->NewUsertype<glm::mat4>("Mat4");
  lua->NewEnumeration("ButtonState", {{"TRIGGERED", static_cast<int>(ButtonState::TRIGGERED)},
                                      {"RELEASED", static_cast<int>(ButtonState::RELEASED)},
                                      {"TRUE", static_cast<int>(ButtonState::TRUE)},
                                      {"FALSE", static_cast<int>(ButtonState::FALSE)}});
  lua->NewEnumeration("ColliderLayer",
                      {{"DEFAULT", static_cast<int>(ColliderLayer::DEFAULT)},
                       {"BULLET", static_cast<int>(ColliderLayer::BULLET)},
                       {"PLAYER", static_cast<int>(ColliderLayer::PLAYER)},
                       {"ENEMY", static_cast<int>(ColliderLayer::ENEMY)},
                       {"PLAYER_DASHING", static_cast<int>(ColliderLayer::PLAYER_DASHING)},
                       {"MEGA_BLOCK_ENEMY", static_cast<int>(ColliderLayer::MEGA_BLOCK_ENEMY)},
                       {"PUSHER", static_cast<int>(ColliderLayer::PUSHER)}});
}

void LuaComponentBinder::BindComponents() {
  for (const ComponentBinding& binding : kComponentBindings) {
    BindComponent(lua->Handle(), binding.typeName);
  }
}

void LuaComponentBinder::BindComponent(lua_State* state, std::string_view typeName) {
  if (state != lua->Handle()) return;
  for (const ComponentBinding& binding : kComponentBindings) {
    if (binding.typeName != typeName) continue;
    binding.bindUsertype(*lua);
    binding.bindGetter(*lua, componentManager);
  }
}
