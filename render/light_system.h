#pragma once
// LightSystem: the lights of each framebuffer layer.
//
// On every update the Light components (with their entity's Transform) are gathered into one
// record per layer 0..8, named by the light's `_targetFramebuffer`; lights naming another layer
// are skipped. Before the renderer draws a layer it calls UploadLights, which writes that
// layer's record into the global light values every shader declaring them receives:
// "ambientLight", "universalLight", "pointLightCount", "pointLights[i]", "coneLightCount",
// "coneLights[i]". A light therefore lights only its own layer.
//
// Light types (`_type`): 0 point, 1 cone, 2 universal (directional), 3 ambient; others are
// skipped. A layer holds at most 63 point and 63 cone lights, the first ones in entity-id order;
// of several universal or ambient lights the one of the highest entity id counts. A light's
// position is its Transform's translation plus its `_positionOffset`.
//
// Every record is rebuilt from nothing on each update, so lights that are gone stop lighting at
// once. Values of indices at or above a count stay in the global tables from earlier uploads;
// shaders loop only up to the count.

#include <array>

#include "engine/base_system.h"
#include "engine/global_uniforms.h"
#include "engine/type_name.h"

class DECS;

struct LayerLights {
  static constexpr int kSlots = 64;

  AmbientLightData ambient;
  UniversalLightData universal;
  std::array<PointLightData, kSlots> pointLights{};
  std::array<ConeLightData, kSlots> coneLights{};
  int pointCount = 0;
  int coneCount = 0;
};

class LightSystem : public BaseSystem {
 public:
  // Framebuffer layers 0..8.
  static constexpr int kLayerCount = 9;
  // Point and cone lights a layer holds of each kind.
  static constexpr int kMaxLightsPerKind = 63;

  void Init() override;
  void Update(float dt) override;

  // Writes the layer's record into the engine's global values (or into `globals`); a layer
  // outside 0..8 writes nothing.
  void UploadLights(int layer) const;
  void UploadLights(int layer, GlobalUniforms& globals) const;

  // The record of a layer 0..8.
  const LayerLights& Layer(int layer) const { return records[static_cast<std::size_t>(layer)]; }

 private:
  DECS* engine = nullptr;
  std::array<LayerLights, kLayerCount> records{};
};
DECLARE_TYPE_NAME(class, LightSystem);
