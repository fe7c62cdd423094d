#include "gameplay/grass_system.h"

#include <glad/gl.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "components/tag_container.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/system_manager.h"
#include "render/gpu_binding_slots.h"
#include "render/gpu_mesh.h"
#include "render/resource_cache.h"
#include "render/shader.h"

namespace {

// Invocations along z of one grow work group: blades of one tile, 16 at a time.
constexpr int kGrowGroupBlades = 16;
constexpr const char* kNeutralTextureName = "GrassNeutralMap";

Shader* CachedProgram(ResourceCache& cache, const std::string& vertex, const std::string& fragment,
                      const std::string& compute) {
  Shader* shader = cache.GetShaderById(cache.GetShader(vertex, fragment, {}, compute));
  return shader != nullptr && shader->IsLinked() ? shader : nullptr;
}

// The map entity's components, or nulls.
struct MapView {
  Tilemap* map = nullptr;
  Transform* transform = nullptr;
};

MapView FindMap(DECS& engine) {
  const auto entities = engine.GetManager<EntityManager>();
  const auto components = engine.GetManager<ComponentManager>();
  if (!entities || !components) return {};
  const int entity = entities->FindEntity("Tilemap");
  if (entity < 0) return {};
  MapView view{components->GetComponent<Tilemap>(entity),
               components->GetComponent<Transform>(entity)};
  if (view.map == nullptr || view.transform == nullptr) return {};
  return view;
}

void BindTexture(int unit, int texture) {
  glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(std::max(texture, 0)));
}

}  // namespace

// The grass keeps moving behind the pause menu.
GrassSystem::GrassSystem() { pausable = false; }

GrassSystem::~GrassSystem() = default;

void GrassSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<GrassSystem>(), {std::string(TypeName<Transform>()),
                                                    std::string(TypeName<TagContainer>())});
  }
  GlobalUniforms& globals = engine->globalUniforms;
  for (const char* name :
       {"DisabledGrassIndexTex", "DepressedPositionsTex", "densityMap", "heightMap"}) {
    globals.ints.try_emplace(name, 0);
  }
  globals.floats["grassDecompressionSpeed"] = decompressionSpeed;
}

bool GrassSystem::Active() const {
  return engine != nullptr && cache != nullptr &&
         (!links.graphicsQuality || links.graphicsQuality() > 0);
}

std::size_t GrassSystem::BladeCapacity(std::size_t tiles, int density) {
  const int d = std::clamp(density, 0, kMaxDensity);
  const std::size_t wanted = tiles * static_cast<std::size_t>(d) * static_cast<std::size_t>(d);
  const std::size_t most = (kMaxBladeBufferBytes / 4 - 1 - 1) / kBladeFloats;
  return std::min(wanted, most);
}

void GrassSystem::HandleMessage(const std::string& message) {
  if (!Active()) return;
  if (IsMessage(message, "scene_load")) {
    BuildMaps(true);
  } else if (IsMessage(message, "tilemap_set_tile")) {
    DisableTileAt(message);
  } else if (IsMessage(message, "GrassSystem_Toggle") || IsMessage(message, "gst")) {
    enabled = !enabled;
  }
}

void GrassSystem::DisableTileAt(const std::string& message) {
  std::string xWord, zWord, codeWord;
  float x = 0.0f;
  float z = 0.0f;
  if (!ParseMessageArguments(message, xWord, zWord, codeWord) || !ReadMessageFloat(xWord, x) ||
      !ReadMessageFloat(zWord, z)) {
    return;
  }
  const MapView view = FindMap(*engine);
  // Before the first build, or on a map of another size than the buffers, there is nothing to
  // mark; the next build reads the tiles anew.
  if (view.map == nullptr || !hasMap || static_cast<int>(view.map->width) != mapWidth ||
      static_cast<int>(view.map->height) != mapDepth) {
    return;
  }
  const int tile = view.map->WorldToTileIndex({x, 0.0f, z}, view.transform->UpdateMatrix());
  if (tile < 0) return;
  const float disabled[] = {1.0f};
  disabledTiles.Write(static_cast<std::size_t>(tile), std::span<const float>(disabled));
  BuildMaps(false);
}

void GrassSystem::BuildMaps(bool rebuild) {
  const MapView view = FindMap(*engine);
  if (view.map == nullptr) {
    hasMap = false;
    layers.clear();
    return;
  }
  Tilemap& map = *view.map;
  view.transform->UpdateMatrix();
  if (rebuild) {
    hasMap = false;
    layers.clear();
    mapWidth = static_cast<int>(map.width);
    mapDepth = static_cast<int>(map.height);
    CreateMapBuffers(map);
    if (!pressCells.IsValid() || !disabledTiles.IsValid()) return;
  }
  if (!disabledTiles.IsValid()) return;
  hasMap = true;
  PublishMapValues();
  GrowLayers(map, rebuild);
}

void GrassSystem::CreateMapBuffers(const Tilemap& map) {
  const std::size_t tiles = static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapDepth);
  pressCells.Release();
  disabledTiles.Release();
  tileHeights.Release();
  if (tiles == 0 || tiles * kPressCellsPerTile > StorageBuffer::kMaxElements) {
    if (tiles != 0) {
      std::printf("GrassSystem : a map of %d x %d tiles is too large for grass\n", mapWidth,
                  mapDepth);
    }
    return;
  }
  pressCells.Create(tiles * kPressCellsPerTile);
  std::vector<float> disabled(tiles, 0.0f);
  for (std::size_t tile = 0; tile < tiles && tile < map.layer1.size(); ++tile) {
    if (map.layer1[tile] == '0') disabled[tile] = 1.0f;
  }
  disabledTiles.Create(std::span<const float>(disabled));
  tileHeights.Create(tiles);
  if (!pressers.IsValid()) pressers.Create(static_cast<std::size_t>(kMaxPressers) * 4);
}

int GrassSystem::NeutralTexture() {
  // White: full density and full height where a layer has no map of its own.
  const std::uint8_t white[] = {255, 255, 255, 255};
  return cache->CreateTexture(1, 1, white, kNeutralTextureName);
}

void GrassSystem::PublishMapValues() const {
  GlobalUniforms& globals = engine->globalUniforms;
  globals.floats["xOffset"] = static_cast<float>(mapWidth) * mapScale * -0.5f;
  globals.floats["zOffset"] = static_cast<float>(mapDepth) * mapScale * -0.5f;
  globals.ints["currentMapScale"] = static_cast<int>(mapScale);
  globals.ints["currentMapWidth"] = mapWidth;
  globals.ints["currentMapHeight"] = mapDepth;
}

void GrassSystem::GrowLayers(const Tilemap& map, bool creating) {
  Shader* clear = CachedProgram(*cache, {}, {}, kClearShaderPath);
  Shader* grow = CachedProgram(*cache, {}, {}, kGrowShaderPath);
  GlobalUniforms& globals = engine->globalUniforms;
  const std::size_t tiles = static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapDepth);
  for (std::size_t i = 0; i < map._foliageData.size(); ++i) {
    const FoliageData& foliage = map._foliageData[i];
    if (creating) {
      Layer layer;
      layer.density = std::clamp(foliage._maxDensity, 0, kMaxDensity);
      layer.capacity = BladeCapacity(tiles, layer.density);
      layer.blades.Create(layer.capacity * kBladeFloats + 1);
      layer.mesh = std::make_unique<GpuMesh>(cache->MeshAt(cache->GetMesh(foliage._meshPath)));
      const std::array<std::uint32_t, 5> command = {layer.mesh->IndexCount(), 0u, 0u, 0u, 0u};
      layer.indirect.Create(std::span<const std::uint32_t>(command));
      layers.push_back(std::move(layer));
    }
    // Layers added to the map since the last build wait for the next one.
    if (i >= layers.size()) break;
    Layer& layer = layers[i];
    const int neutral = NeutralTexture();
    BindTexture(0, foliage.densityTexture >= 0 ? foliage.densityTexture : neutral);
    BindTexture(1, foliage.heightTexture >= 0 ? foliage.heightTexture : neutral);
    globals.ints["densityMap"] = 0;
    globals.ints["heightMap"] = 1;
    globals.floats["maxDensity"] = static_cast<float>(layer.density);
    globals.floats["foliageMinHeight"] = foliage._minHeight;
    globals.floats["foliageMaxHeight"] = foliage._maxHeight;

    layer.indirect.BindBase(gpu_slots::kGrassDrawCommand);
    if (clear == nullptr || grow == nullptr) continue;
    clear->Use();
    glDispatchCompute(1, 1, 1);
    glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
    if (layer.capacity == 0) continue;

    disabledTiles.BindBase(gpu_slots::kGrassDisabledTiles);
    layer.blades.BindBase(gpu_slots::kGrassBlades);
    grow->Use();
    grow->ApplyGlobalUniforms(globals);
    grow->SetInt("bladeCapacity", static_cast<int>(layer.capacity));
    grow->SetInt("layerIndex", static_cast<int>(i));
    const int blades = layer.density * layer.density;
    glDispatchCompute(static_cast<GLuint>(mapWidth), static_cast<GLuint>(mapDepth),
                      static_cast<GLuint>((blades + kGrowGroupBlades - 1) / kGrowGroupBlades));
    glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT | GL_COMMAND_BARRIER_BIT);
  }
  glUseProgram(0);
}

std::uint32_t GrassSystem::BladeCount(std::size_t index) const {
  if (index >= layers.size()) return 0;
  std::array<std::uint32_t, 1> count{};
  if (!layers[index].indirect.Read(1, count)) return 0;
  return count[0];
}

void GrassSystem::Update(float dt) {
  if (!Active() || !enabled) return;
  const MapView view = FindMap(*engine);
  if (view.map == nullptr) return;
  // A map that changed size under the same entity is grown anew.
  if (static_cast<int>(view.map->width) != mapWidth ||
      static_cast<int>(view.map->height) != mapDepth) {
    BuildMaps(true);
  }
  if (!hasMap || !pressCells.IsValid()) return;

  const std::vector<float>& heights = view.map->heights;
  tileHeights.Write(
      0, std::span<const float>(heights.data(), std::min(heights.size(), tileHeights.Elements())));
  PublishMapValues();
  pressCells.BindBase(gpu_slots::kGrassPressCells);
  pressers.BindBase(gpu_slots::kGrassPressers);
  UploadPressers();

  Shader* press = CachedProgram(*cache, {}, {}, kPressShaderPath);
  if (press == nullptr) return;
  press->Use();
  press->ApplyGlobalUniforms(engine->globalUniforms);
  press->SetFloat("grassDeltaTime", dt);
  // One group of 256 invocations (one per press cell) per tile, in two dimensions.
  glDispatchCompute(static_cast<GLuint>(mapWidth), static_cast<GLuint>(mapDepth), 1);
  glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
  glUseProgram(0);
}

void GrassSystem::UploadPressers() {
  const auto components = engine->GetManager<ComponentManager>();
  presserWords.clear();
  presserCount = 0;
  if (components) {
    ForEachEntity([&](int entity) {
      const TagContainer* tags = components->GetComponent<TagContainer>(entity);
      Transform* transform = components->GetComponent<Transform>(entity);
      if (tags == nullptr || transform == nullptr || !tags->HasTag("GrassInteractable")) return;
      // The buffer holds kMaxPressers; the first ones by id press, the others do not.
      if (presserCount >= kMaxPressers) return;
      const glm::vec3 position(transform->UpdateMatrix()[3]);
      presserWords.insert(presserWords.end(), {position.x, position.y, position.z, 0.0f});
      ++presserCount;
    });
  }
  engine->globalUniforms.ints["grassDecompressionEntityCount"] = presserCount;
  engine->globalUniforms.floats["grassDecompressionSpeed"] = decompressionSpeed;
  pressers.Write(0, std::span<const float>(presserWords));
}

void GrassSystem::DrawGrass(Renderer& renderer) {
  if (!Active() || !enabled || !hasMap) return;
  const MapView view = FindMap(*engine);
  if (view.map == nullptr) return;
  Shader* shader = CachedProgram(*cache, kVertexShaderPath, kFragmentShaderPath, {});
  if (shader == nullptr) return;
  shader->Use();
  pressCells.BindBase(gpu_slots::kGrassPressCells);
  tileHeights.BindBase(gpu_slots::kGrassTileHeights);
  disabledTiles.BindBase(gpu_slots::kGrassDisabledTiles);
  // Blades are seen from both sides; the renderer's own culling comes back afterwards.
  const bool culling = renderer.CullingEnabled();
  renderer.SetCullingEnabled(false);
  GlobalUniforms& globals = engine->globalUniforms;
  const std::size_t count = std::min(layers.size(), view.map->_foliageData.size());
  for (std::size_t i = 0; i < count; ++i) {
    const FoliageData& foliage = view.map->_foliageData[i];
    Layer& layer = layers[i];
    if (layer.capacity == 0) continue;
    globals.vec3Values["foliageAlbedoColor1"] = foliage._color1;
    globals.vec3Values["foliageAlbedoColor2"] = foliage._color2;
    globals.vec3Values["foliageAlbedoColor3"] = foliage._color3;
    globals.vec3Values["foliageAlbedoColor4"] = foliage._color4;
    globals.floats["foliageAlbedo1Threshold"] = foliage._colorThreshold1;
    globals.floats["foliageAlbedo2Threshold"] = foliage._colorThreshold2;
    globals.floats["foliageAlbedo3Threshold"] = foliage._colorThreshold3;
    globals.floats["foliageAlbedo4Threshold"] = foliage._colorThreshold4;
    globals.floats["maxWindSpeed"] = foliage._maxWindSpeed;
    globals.floats["maxDepressStrength"] = foliage._maxDepressStrength;
    shader->ApplyGlobalUniforms(globals);
    if (!layer.mesh->Bind()) continue;
    layer.blades.BindBase(gpu_slots::kGrassBlades);
    glBindBuffer(GL_DRAW_INDIRECT_BUFFER, layer.indirect.Id());
    glDrawElementsIndirect(GL_TRIANGLES, GL_UNSIGNED_INT, nullptr);
  }
  glBindBuffer(GL_DRAW_INDIRECT_BUFFER, 0);
  glBindVertexArray(0);
  renderer.SetCullingEnabled(culling);
}

void GrassSystem::ReleaseGpu() {
  layers.clear();
  disabledTiles.Release();
  tileHeights.Release();
  pressCells.Release();
  pressers.Release();
  hasMap = false;
  cache = nullptr;
}

void GrassSystem::Shutdown() { ReleaseGpu(); }
