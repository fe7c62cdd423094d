#include "render/light_system.h"

#include <string>

#include "components/light.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/system_manager.h"

namespace {

// Names of the global light values, made once so that uploads build no strings.
struct LightNames {
  std::string ambient = "ambientLight";
  std::string universal = "universalLight";
  std::string pointCount = "pointLightCount";
  std::string coneCount = "coneLightCount";
  std::array<std::string, LayerLights::kSlots> points;
  std::array<std::string, LayerLights::kSlots> cones;

  LightNames() {
    for (std::size_t index = 0; index < points.size(); ++index) {
      points[index] = "pointLights[" + std::to_string(index) + "]";
      cones[index] = "coneLights[" + std::to_string(index) + "]";
    }
  }
};

const LightNames& Names() {
  static const LightNames names;
  return names;
}

enum LightType { kPoint = 0, kCone = 1, kUniversal = 2, kAmbient = 3 };

}  // namespace

void LightSystem::Init() {
  engine = &DECS::Instance();
  records.fill(LayerLights{});
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<LightSystem>(),
                          {std::string(TypeName<Light>()), std::string(TypeName<Transform>())});
  }
}

void LightSystem::Update(float) {
  for (LayerLights& record : records) {
    record.ambient = AmbientLightData{};
    record.universal = UniversalLightData{};
    record.pointCount = 0;
    record.coneCount = 0;
  }
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;

  ForEachEntity([&](int entity) {
    const Light* light = components->GetComponent<Light>(entity);
    Transform* transform = components->GetComponent<Transform>(entity);
    if (light == nullptr || transform == nullptr) return;
    const int layer = static_cast<int>(light->_targetFramebuffer);
    if (layer < 0 || layer >= kLayerCount) return;
    LayerLights& record = records[static_cast<std::size_t>(layer)];
    const glm::vec3 position = glm::vec3(transform->UpdateMatrix()[3]) + light->_positionOffset;

    switch (light->_type) {
      case kPoint:
        if (record.pointCount < kMaxLightsPerKind) {
          record.pointLights[static_cast<std::size_t>(record.pointCount++)] = {
              position, light->_color, light->_strength, light->_radii};
        }
        break;
      case kCone:
        if (record.coneCount < kMaxLightsPerKind) {
          record.coneLights[static_cast<std::size_t>(record.coneCount++)] = {
              position,      light->_color,     light->_strength,
              light->_radii, light->_direction, light->_angle};
        }
        break;
      case kUniversal:
        record.universal = {light->_color, light->_strength, light->_direction};
        break;
      case kAmbient:
        record.ambient = {light->_color, light->_strength};
        break;
      default:
        break;
    }
  });
}

void LightSystem::UploadLights(int layer) const {
  UploadLights(layer, DECS::Instance().globalUniforms);
}

void LightSystem::UploadLights(int layer, GlobalUniforms& globals) const {
  if (layer < 0 || layer >= kLayerCount) return;
  const LayerLights& record = records[static_cast<std::size_t>(layer)];
  const LightNames& names = Names();
  globals.universalLights[names.universal] = record.universal;
  globals.ambientLights[names.ambient] = record.ambient;
  globals.ints[names.pointCount] = record.pointCount;
  for (int index = 0; index < record.pointCount; ++index) {
    const auto slot = static_cast<std::size_t>(index);
    globals.pointLights[names.points[slot]] = record.pointLights[slot];
  }
  globals.ints[names.coneCount] = record.coneCount;
  for (int index = 0; index < record.coneCount; ++index) {
    const auto slot = static_cast<std::size_t>(index);
    globals.coneLights[names.cones[slot]] = record.coneLights[slot];
  }
}
