#include "gameplay/wind_system.h"

#include <glad/gl.h>

#include <algorithm>
#include <cmath>

#include "components/physics.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "components/wind_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/random_engines.h"
#include "engine/system_manager.h"
#include "render/gpu_binding_slots.h"
#include "render/gpu_mesh.h"
#include "render/resource_cache.h"
#include "render/shader.h"

namespace {

constexpr float kViewLineWidth = 7.0f;

// The cached program of the given stages, or null when it did not build.
Shader* CachedProgram(ResourceCache& cache, const std::string& vertex, const std::string& fragment,
                      const std::string& compute) {
  Shader* shader = cache.GetShaderById(cache.GetShader(vertex, fragment, {}, compute));
  return shader != nullptr && shader->IsLinked() ? shader : nullptr;
}

}  // namespace

// The wind keeps blowing behind the pause menu.
WindSystem::WindSystem() { pausable = false; }

WindSystem::~WindSystem() = default;

void WindSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<WindSystem>(), {std::string(TypeName<Transform>()),
                                                   std::string(TypeName<WindEmitter>())});
  }
  GlobalUniforms& globals = engine->globalUniforms;
  globals.ints["windDensity"] = kWindDensity;
  globals.ints["windNoiseMap"] = 0;
  globals.floats["windPerlinScrollSpeed"] = 0.05f;
  globals.floats["maxWindSpeed"] = 1.0f;
  SetScrollStrength(scrollStrength);
}

void WindSystem::SetScrollStrength(float strength) {
  scrollStrength = strength;
  if (engine != nullptr) {
    engine->globalUniforms.vec2Values["windDirection"] = strength * scrollDirection;
  }
}

void WindSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "scene_load")) {
    ReadMap();
  } else if (IsMessage(message, "WindSystem_ToggleView") || IsMessage(message, "wstv")) {
    viewWind = !viewWind;
  } else if (IsMessage(message, "WindSystem_SetScrollStrength") || IsMessage(message, "wssss")) {
    std::string word;
    float strength = 0.0f;
    if (ParseMessageArguments(message, word) && ReadMessageFloat(word, strength)) {
      SetScrollStrength(strength);
    }
  }
}

void WindSystem::ReadMap() {
  if (engine == nullptr) return;
  const auto entities = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  if (!entities || !components) return;
  const int map = entities->FindEntity("Tilemap");
  const Tilemap* tilemap = components->GetComponent<Tilemap>(map);
  if (tilemap == nullptr) return;
  mapWidth = static_cast<int>(tilemap->width);
  mapHeight = static_cast<int>(tilemap->height);
  const Transform* transform = components->GetComponent<Transform>(map);
  mapScale = transform != nullptr ? transform->_scale.x : 1.0f;
  if (cache == nullptr) return;
  const std::size_t words =
      static_cast<std::size_t>(mapWidth) * static_cast<std::size_t>(mapHeight) * kWordsPerTile + 1;
  windGrid.Create(words);
}

void WindSystem::Update(float /*dt*/) {
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (!components) return;
  std::mt19937& random = engine->randomEngines.gameplay;
  records.clear();
  ForEachEntity([&](int entity) {
    WindEmitter* emitter = components->GetComponent<WindEmitter>(entity);
    const Transform* transform = components->GetComponent<Transform>(entity);
    if (emitter == nullptr || transform == nullptr) return;
    StepWindStrength(*emitter, random);
    records.push_back(
        MakeWindEmitterRecord(*emitter, *transform, components->GetComponent<Physics>(entity)));
  });
  PackWindEmitters(records, packedWords);
  bufferSelect = 1.0f - bufferSelect;
  // The grass writes its layers' maximum into the same value while drawing; the wind's own
  // passes read 1.
  engine->globalUniforms.floats["maxWindSpeed"] = 1.0f;
  if (cache != nullptr) Dispatch();
}

void WindSystem::UploadEmitters() {
  if (emitterBuffer.Elements() < packedWords.size()) {
    // Room for twice as many emitters, so a growing level does not recreate it every update.
    std::vector<std::uint32_t> grown(packedWords);
    grown.resize(kWindHeaderWords + 2 * (packedWords.size() - kWindHeaderWords) +
                 kWindEmitterWords);
    emitterBuffer.Create(std::span<const std::uint32_t>(grown));
  } else {
    emitterBuffer.Write(0, std::span<const std::uint32_t>(packedWords));
  }
}

void WindSystem::Dispatch() {
  UploadEmitters();
  emitterBuffer.BindBase(gpu_slots::kWindEmitters);
  const float select[] = {bufferSelect};
  windGrid.Write(0, std::span<const float>(select));
  windGrid.BindBase(gpu_slots::kWindGrid);
  if (!windGrid.IsValid() || mapWidth <= 0 || mapHeight <= 0) return;

  Shader* shader = CachedProgram(*cache, {}, {}, kComputeShaderPath);
  if (shader == nullptr) return;
  shader->Use();
  shader->ApplyGlobalUniforms(engine->globalUniforms);
  shader->SetInt("mapWidth", mapWidth);
  shader->SetInt("mapHeight", mapHeight);
  shader->SetFloat("mapScale", mapScale);
  const int noise = cache->GetTexture(kNoiseTexturePath, GL_NEAREST, GL_NEAREST, GL_REPEAT);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(std::max(noise, 0)));
  // One work group of 4 x 4 samples per tile, in two dimensions: a map side is at most 4096
  // tiles, well inside the 65535 groups a dimension allows.
  glDispatchCompute(static_cast<GLuint>(mapWidth), static_cast<GLuint>(mapHeight), 1);
  // The grass and the view read the grid in their vertex shaders.
  glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
}

void WindSystem::DrawWindView(Renderer& renderer) {
  if (!viewWind || cache == nullptr || !windGrid.IsValid() || engine == nullptr) return;
  Shader* shader = CachedProgram(*cache, kViewVertexPath, kViewFragmentPath, {});
  if (shader == nullptr) return;
  if (lineMesh == nullptr) {
    lineMesh = std::make_unique<GpuMesh>(cache->MeshAt(cache->GetMesh(kLineMeshPath)));
  }
  if (!lineMesh->Bind()) return;
  const float lineWidth = renderer.LineWidth();
  renderer.SetLineWidth(kViewLineWidth);
  shader->Use();
  shader->ApplyGlobalUniforms(engine->globalUniforms);
  shader->SetInt("mapWidth", mapWidth);
  shader->SetInt("mapHeight", mapHeight);
  shader->SetFloat("mapScale", mapScale);
  windGrid.BindBase(gpu_slots::kWindGrid);
  // One line per sample of the grid.
  const auto samples = static_cast<GLsizei>((windGrid.Elements() - 1) / 4);
  glDrawElementsInstanced(GL_LINE_STRIP, 2, GL_UNSIGNED_INT, nullptr, samples);
  renderer.SetLineWidth(lineWidth);
  glBindVertexArray(0);
}

void WindSystem::ReleaseGpu() {
  windGrid.Release();
  emitterBuffer.Release();
  lineMesh.reset();
  cache = nullptr;
}

void WindSystem::Shutdown() { ReleaseGpu(); }
