#pragma once
// WindSystem: the wind field over the tile map, computed on the GPU.
//
// Every update the entities with a Transform and a WindEmitter (ascending id) take a random step
// of their strength and are packed into the emitter buffer (see gameplay/wind_emitter_packing.h);
// the compute shader "GAME/Shaders/Compute/WindComputeShader.glsl" then writes the wind grid
// over the map (both at their slots of render/gpu_binding_slots.h): per tile 4 x 4
// samples ("windDensity"), each one vec4 of (wind x, wind z, gust noise, 0), after one leading
// word holding `bufferSelect`, which flips between 0 and 1 every update. The grass and the wind
// view read the grid; the gust noise scrolls the texture "WindNoise.png" along "windDirection".
//
// Messages:
//   scene_load                                the grid takes the size of the "Tilemap" entity
//   WindSystem_ToggleView | wstv              the grid drawn as lines (DrawWindView)
//   WindSystem_SetScrollStrength | wssss f    scroll strength := f; a word that is no finite
//                                             number is ignored
//
// GPU work (buffers, programs, the dispatch and the view) only happens once AttachGpu was
// called with a current GL context, and stops at ReleaseGpu, which must run before the context
// goes. Without it the system still walks and packs its emitters.

#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "gameplay/wind_emitter_packing.h"
#include "render/renderer.h"
#include "render/storage_buffer.h"

class DECS;
class GpuMesh;

class WindSystem : public BaseSystem, public SceneLayerDrawer {
 public:
  // Samples per tile side: each tile holds windDensity x windDensity samples.
  static constexpr int kWindDensity = 4;
  // 32-bit words of the grid per tile: 16 samples of 4 words.
  static constexpr int kWordsPerTile = kWindDensity * kWindDensity * 4;
  static constexpr const char* kComputeShaderPath = "GAME/Shaders/Compute/WindComputeShader.glsl";
  static constexpr const char* kViewVertexPath =
      "GAME/Shaders/Vertex/WindVisualizationVertexShader.glsl";
  static constexpr const char* kViewFragmentPath =
      "GAME/Shaders/Fragment/WindVisualizationFragmentShader.glsl";
  static constexpr const char* kNoiseTexturePath = "GAME/Assets/Textures/WindNoise.png";
  static constexpr const char* kLineMeshPath = "GAME/Assets/Meshes/lineMesh.txt";

  WindSystem();
  ~WindSystem() override;

  void HandleMessage(const std::string& message) override;
  // Registers the signature {Transform, WindEmitter} and sets the wind's global shader values.
  void Init() override;
  void Update(float dt) override;
  // Releases the GPU objects.
  void Shutdown() override;

  // Scroll strength of the gust noise; "windDirection" := strength * scroll direction.
  void SetScrollStrength(float strength);

  // Lets the system use the current GL context from now on, with programs, meshes and textures
  // from `resources` (which must stay until ReleaseGpu).
  void AttachGpu(ResourceCache& resources) { cache = &resources; }
  // Deletes the grid and emitter buffers and the line mesh; no GL work afterwards.
  void ReleaseGpu();

  // Draws the grid as one line per sample while the view is on (into the bound framebuffer),
  // the line width set through `renderer` meanwhile.
  void DrawWindView(Renderer& renderer);
  void DrawIntoSceneLayer(Renderer& renderer) override { DrawWindView(renderer); }

  // The words the last update packed (header and emitter blocks).
  const std::vector<std::uint32_t>& PackedEmitters() const { return packedWords; }
  const StorageBuffer& WindGrid() const { return windGrid; }
  const StorageBuffer& EmitterBuffer() const { return emitterBuffer; }
  int MapWidth() const { return mapWidth; }
  int MapHeight() const { return mapHeight; }
  float MapScale() const { return mapScale; }
  float ScrollStrength() const { return scrollStrength; }

  float bufferSelect = 0.0f;
  bool viewWind = false;
  glm::vec2 scrollDirection{0.4472136f, 0.8944272f};

 private:
  void ReadMap();
  void Dispatch();
  void UploadEmitters();

  DECS* engine = nullptr;
  // Set between AttachGpu and ReleaseGpu: GPU work happens only then.
  ResourceCache* cache = nullptr;
  int mapWidth = 0;
  int mapHeight = 0;
  float mapScale = 1.0f;
  float scrollStrength = 0.05f;
  StorageBuffer windGrid;
  // Kept from update to update and grown when the emitters outnumber it.
  StorageBuffer emitterBuffer;
  std::vector<WindEmitterRecord> records;
  std::vector<std::uint32_t> packedWords;
  std::unique_ptr<GpuMesh> lineMesh;
};
DECLARE_TYPE_NAME(class, WindSystem);
