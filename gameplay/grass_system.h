#pragma once
// GrassSystem: instanced grass grown on the GPU over the foliage layers of the tile map.
//
// Build (on "scene_load", and again when the map's size changes): per foliage layer of the
// entity aliased "Tilemap", a compute pass scatters up to d x d blades on every tile (d =
// `_maxDensity`, at most kMaxDensity) into the layer's blade buffer, keeping a blade where the
// layer's density map is at least as bright as the blade's own random threshold, and counts
// them into the layer's indirect draw command. Tiles whose layer-1 character is '0', and tiles
// changed by "tilemap_set_tile", grow nothing. Every update uploads the tile heights (the grass
// follows sinking tiles), the positions of the entities tagged "GrassInteractable" (at most
// kMaxPressers) and runs the press pass: 16 x 16 press cells per tile flatten near a presser
// and recover at "grassDecompressionSpeed" per second. The draw (a scene-layer drawer, after
// the scene's opaque draws) bends the blades in the wind grid of the wind system.
//
// Tiles are taken as 2 world units wide (mapScale): maps that grow grass use a tile map scale
// of 2, centred on the origin.
//
// Buffers (shader storage, at the slots of render/gpu_binding_slots.h): disabled tiles, blades
// (16 floats each, after one leading word), press cells, tile heights, the indirect command,
// presser positions.
//
// Messages (ignored at a graphics quality of 0 or lower):
//   scene_load                      rebuild
//   tilemap_set_tile x z code       no more grass on the tile under world (x, 0, z); a word that
//                                   is no number makes the message do nothing
//   GrassSystem_Toggle | gst        grass on / off (the buffers stay)
//
// GPU work only happens between AttachGpu and ReleaseGpu (which runs before the context goes).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/renderer.h"
#include "render/storage_buffer.h"

class DECS;
class GpuMesh;
class Tilemap;
class Transform;

// What the grass asks of the systems around it; filled by the composition root.
struct GrassSystemLinks {
  // The settings' graphics quality; unset reads as full quality.
  std::function<int()> graphicsQuality;
};

class GrassSystem : public BaseSystem, public SceneLayerDrawer {
 public:
  // Blades per tile side at most, whatever a layer asks for.
  static constexpr int kMaxDensity = 32;
  // Press cells per tile (16 x 16).
  static constexpr int kPressCellsPerTile = 256;
  // Presser positions the presser buffer holds.
  static constexpr int kMaxPressers = 48;
  // Floats per blade.
  static constexpr int kBladeFloats = 16;
  // A blade buffer stays below this many bytes; a layer that would need more grows fewer blades.
  static constexpr std::size_t kMaxBladeBufferBytes = std::size_t{128} << 20;

  static constexpr const char* kVertexShaderPath = "./GAME/Shaders/Vertex/GrassVertexShader.glsl";
  static constexpr const char* kFragmentShaderPath =
      "./GAME/Shaders/Fragment/GrassFragmentShader.glsl";
  static constexpr const char* kGrowShaderPath = "./GAME/Shaders/Compute/GrassComputeShader.glsl";
  static constexpr const char* kPressShaderPath =
      "./GAME/Shaders/Compute/GrassDecompressionShader.glsl";
  static constexpr const char* kClearShaderPath = "./GAME/Shaders/Compute/ClearGrassCount.glsl";

  GrassSystem();
  ~GrassSystem() override;

  void HandleMessage(const std::string& message) override;
  // Registers the signature {Transform, TagContainer} and creates the grass's global values.
  void Init() override;
  void Update(float dt) override;
  // Releases the GPU buffers.
  void Shutdown() override;

  // Draws every layer's blades into the bound framebuffer (the scene layer), culling off
  // through `renderer` meanwhile.
  void DrawGrass(Renderer& renderer);
  void DrawIntoSceneLayer(Renderer& renderer) override { DrawGrass(renderer); }

  void SetLinks(GrassSystemLinks newLinks) { links = std::move(newLinks); }
  // Lets the system use the current GL context from now on, with programs, meshes and textures
  // from `resources` (which must stay until ReleaseGpu).
  void AttachGpu(ResourceCache& resources) { cache = &resources; }
  // Deletes every buffer and layer mesh; no GL work afterwards.
  void ReleaseGpu();

  // Blades one layer's buffer can hold on a map of `tiles` tiles with `density` per side.
  static std::size_t BladeCapacity(std::size_t tiles, int density);

  bool enabled = true;
  float decompressionSpeed = 0.4f;

  bool HasMap() const { return hasMap; }
  int MapWidth() const { return mapWidth; }
  int MapDepth() const { return mapDepth; }
  std::size_t LayerCount() const { return layers.size(); }
  // Blades the last build grew on layer `index` (read back from its indirect command).
  std::uint32_t BladeCount(std::size_t index) const;
  const StorageBuffer& DisabledTiles() const { return disabledTiles; }
  const StorageBuffer& PressCells() const { return pressCells; }
  // Presser positions uploaded by the last update.
  int PresserCount() const { return presserCount; }

 private:
  struct Layer {
    StorageBuffer blades;
    StorageBuffer indirect;
    std::unique_ptr<GpuMesh> mesh;
    std::size_t capacity = 0;
    int density = 0;
  };

  bool Active() const;
  void BuildMaps(bool rebuild);
  void CreateMapBuffers(const Tilemap& map);
  // Runs the count and grow passes of every layer; `creating` makes the layers' buffers first.
  void GrowLayers(const Tilemap& map, bool creating);
  void DisableTileAt(const std::string& message);
  void UploadPressers();
  void PublishMapValues() const;
  int NeutralTexture();

  DECS* engine = nullptr;
  GrassSystemLinks links;
  // Set between AttachGpu and ReleaseGpu: GPU work happens only then.
  ResourceCache* cache = nullptr;
  bool hasMap = false;
  int mapWidth = 0;
  int mapDepth = 0;
  float mapScale = 2.0f;
  int presserCount = 0;
  StorageBuffer disabledTiles;
  StorageBuffer tileHeights;
  StorageBuffer pressCells;
  StorageBuffer pressers;
  std::vector<Layer> layers;
  std::vector<float> presserWords;
};
DECLARE_TYPE_NAME(class, GrassSystem);
