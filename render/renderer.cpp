#include "render/renderer.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <glm/gtc/type_ptr.hpp>
#include <limits>
#include <stdexcept>

#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "render/camera_system.h"
#include "render/gpu_mesh.h"
#include "render/instanced_mesh.h"
#include "render/light_system.h"
#include "render/render_context.h"
#include "render/resource_cache.h"
#include "render/shader.h"

namespace {

constexpr const char* kFramebufferVertexShader =
    "./GAME/Shaders/Vertex/FramebufferVertexShader.glsl";
constexpr const char* kFramebufferFragmentShader =
    "./GAME/Shaders/Fragment/FramebufferFragmentShader.glsl";
constexpr const char* kDepthFragmentShader = "./GAME/Shaders/Fragment/DepthBufferShader.glsl";
constexpr const char* kFramebufferMesh = "./GAME/Assets/Meshes/FramebufferMesh.txt";

constexpr std::uint64_t kInstanceStride = Renderer::kInstanceFloats * sizeof(float);

// Global value names, made once so that a frame finds its entries without building strings.
struct FrameValueNames {
  std::string screenDimensions = "screenDimensions";
  std::string backgroundColor = "backgroundColor";
  std::string inTexture = "inTexture";
};

const FrameValueNames& Names() {
  static const FrameValueNames names;
  return names;
}

const std::vector<int>& InstanceAttributeSizes() {
  static const std::vector<int> sizes(Renderer::kInstanceAttributeSizes.begin(),
                                      Renderer::kInstanceAttributeSizes.end());
  return sizes;
}

const char* GlText(GLenum name) {
  const GLubyte* text = glGetString(name);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "(unknown)";
}

void PrintRenderingInfo() {
  const std::string dashes(102, '-');
  std::printf("\n\n\n\n%s\nRENDERING INITIALIZATION INFO\n%s\n", dashes.c_str(), dashes.c_str());
  std::printf("GPU Name: %s\n", GlText(GL_RENDERER));
  std::printf("GPU Vendor: %s\n", GlText(GL_VENDOR));
  std::printf("OpenGL Version: %s\n", GlText(GL_VERSION));
  std::printf("GLSL Version: %s\n", GlText(GL_SHADING_LANGUAGE_VERSION));
  std::printf("%s\nRENDERING INITIALIZATION INFO\n%s\n\n\n\n\n\n", dashes.c_str(), dashes.c_str());
}

std::unique_ptr<Renderer>& InstanceSlot() {
  static std::unique_ptr<Renderer> instance;
  return instance;
}

// "x,y" or "x,y,z": the numbers between the commas, exactly `count` of them.
template <std::size_t Count>
bool ReadCommaSeparated(std::string_view text, std::array<float, Count>& values) {
  std::array<float, Count> read{};
  for (std::size_t index = 0; index < Count; ++index) {
    const std::size_t comma = index + 1 < Count ? text.find(',') : std::string_view::npos;
    if (index + 1 < Count && comma == std::string_view::npos) return false;
    if (!ReadMessageFloat(text.substr(0, comma), read[index])) return false;
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  values = read;
  return true;
}

}  // namespace

std::size_t Renderer::BatchKeyHash::operator()(const BatchKey& key) const {
  const std::hash<int> hash;
  std::size_t seed = hash(key.mesh);
  seed ^= hash(key.program) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  seed ^= hash(key.order) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  return seed;
}

void Renderer::LayerQueue::Add(const BatchKey& key, const DrawRecord& record) {
  const auto [entry, added] = indices.try_emplace(key, static_cast<std::uint32_t>(batches.size()));
  if (added) batches.push_back({key, {}});
  Batch& batch = batches[entry->second];
  if (batch.records.empty()) active.push_back(entry->second);
  batch.records.push_back(record);
}

void Renderer::LayerQueue::Clear() {
  for (const std::uint32_t index : active) batches[index].records.clear();
  active.clear();
}

Renderer::Renderer() {
  level = 3;
  opaqueQueues.resize(1);
  transparentQueues.resize(1);

  if (gladLoadGL(glfwGetProcAddress) == 0) {
    throw std::runtime_error("the OpenGL entry points could not be loaded");
  }

  glEnable(GL_BLEND);
  SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetCulling(true, GL_CCW, GL_BACK);
  glEnable(GL_DEPTH_TEST);
  GLint units = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
  // The data shaders sample through a fixed array of kSamplerUnits; units beyond it would bind
  // textures no shader reads.
  maxTextureUnits = std::clamp(static_cast<int>(units), kReservedTextureUnits + 2, kSamplerUnits);
  for (int unit = 0; unit < kSamplerUnits; ++unit)
    textureUnitList[static_cast<std::size_t>(unit)] = unit;

  LoadCompositeResources();

  framebuffers.reserve(kLayerCount - 1);
  for (int layer = 1; layer < kLayerCount; ++layer) AddFramebufferLayer(layer <= kCompositedLayers);

  PrintRenderingInfo();
}

Renderer::~Renderer() = default;

Renderer& Renderer::Instance() {
  if (RenderContext* context = RenderContext::Current()) return context->GetRenderer();
  if (!InstanceSlot()) InstanceSlot() = std::make_unique<Renderer>();
  return *InstanceSlot();
}

bool Renderer::HasInstance() {
  return RenderContext::Current() != nullptr || InstanceSlot() != nullptr;
}

void Renderer::DestroyInstance() { InstanceSlot().reset(); }

void Renderer::UseSystems(std::weak_ptr<CameraSystem> cameras, std::weak_ptr<LightSystem> lights) {
  cameraSystem = std::move(cameras);
  lightSystem = std::move(lights);
}

void Renderer::AddSceneLayerDrawer(SceneLayerDrawer* drawer) {
  if (drawer != nullptr) sceneLayerDrawers.push_back(drawer);
}

void Renderer::LoadCompositeResources() {
  ResourceCache& cache = ResourceCache::Instance();
  if (cache.GetShaderById(framebufferProgram) == nullptr) {
    framebufferProgram = cache.GetShader(kFramebufferVertexShader, kFramebufferFragmentShader);
  }
  if (cache.GetShaderById(depthProgram) == nullptr) {
    depthProgram = cache.GetShader(kFramebufferVertexShader, kDepthFragmentShader);
  }
  if (framebufferMesh == nullptr) {
    framebufferMesh = std::make_unique<GpuMesh>(cache.MeshAt(cache.GetMesh(kFramebufferMesh)));
  }
}

void Renderer::AddFramebufferLayer(bool composite) {
  framebuffers.emplace_back();
  framebuffers.back().composite = composite;
  opaqueQueues.emplace_back();
  transparentQueues.emplace_back();
  layersInUse.resize(framebuffers.size() + 1);
  // Creating a framebuffer leaves the window's bound.
  BindLayer(boundLayer);
}

void Renderer::BindLayer(int layer) {
  if (layer <= 0 || layer > static_cast<int>(framebuffers.size())) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    boundLayer = 0;
    return;
  }
  framebuffers[static_cast<std::size_t>(layer - 1)].Bind();
  boundLayer = layer;
}

void Renderer::SetBlendFunc(unsigned int source, unsigned int destination) {
  blendSource = source;
  blendDestination = destination;
  glBlendFunc(source, destination);
}

void Renderer::SetCulling(bool enable, unsigned int front, unsigned int cull) {
  if (enable) {
    glEnable(GL_CULL_FACE);
  } else {
    glDisable(GL_CULL_FACE);
  }
  glFrontFace(front);
  glCullFace(cull);
  cullEnabled = enable;
  frontFace = front;
  cullFace = cull;
}

void Renderer::Resize() {
  for (Framebuffer& framebuffer : framebuffers) framebuffer.FitWindow();
  if (postProcessing != nullptr) postProcessing->ResizeTargets();
}

// Queueing ------------------------------------------------------------------------------------

void Renderer::ReportDroppedDraw(const char* reason, int value) {
  ++droppedDraws;
  if (!reportedDrops.emplace(reason, value).second) return;
  std::printf("Renderer : draw dropped: %s %d is outside the %s\n", reason, value,
              std::string_view(reason) == "layer" ? "layers 0..8" : "cache");
}

void Renderer::QueueDraw(const DrawRequest& draw) {
  if (draw.layer < 0 || draw.layer >= LayerCount()) {
    ReportDroppedDraw("layer", draw.layer);
    return;
  }
  // A minimised window: nothing is drawn, so nothing is queued.
  if (framebuffers.size() >= 2 && (framebuffers[1].Width() <= 0 || framebuffers[1].Height() <= 0)) {
    return;
  }
  if (draw.textureA < 0 && draw.textureB < 0) return;
  if (draw.material == -1 || draw.mesh == -1) return;

  const ResourceCache& cache = ResourceCache::Instance();
  if (draw.material < 0 || static_cast<std::size_t>(draw.material) >= cache.MaterialCount()) {
    ReportDroppedDraw("material", draw.material);
    return;
  }
  if (draw.mesh < 0 || static_cast<std::size_t>(draw.mesh) >= cache.MeshCount()) {
    ReportDroppedDraw("mesh", draw.mesh);
    return;
  }
  const Material& material = cache.MaterialAt(draw.material);

  DrawRecord record;
  record.model = draw.model;
  record.depthModifier = draw.depthModifier;
  record.cellOffset = draw.cellOffset;
  record.textureA = draw.textureA;
  record.textureB = draw.textureB;
  record.ambient = draw.overrideAmbient ? draw.ambientOverride : material.ambient;
  record.diffuse = draw.overrideDiffuse ? draw.diffuseOverride : material.diffuse;
  record.specular = draw.overrideSpecular ? draw.specularOverride : material.specular;
  record.alpha = draw.overrideDiffuse ? draw.alphaOverride : material.alpha;
  record.shininess = draw.overrideShininess ? draw.shininessOverride : material.shininess;
  record.sequence = nextSequence++;
  record.scissor = draw.scissor;
  record.scissorRect = draw.scissorRect;

  const BatchKey key{draw.mesh, material.shader, draw.ordered ? uiOrder++ : 0};
  // NaN alpha compares false: opaque.
  const bool transparent = draw.forceTransparent || 1.0f > record.alpha;
  auto& queues = transparent ? transparentQueues : opaqueQueues;
  queues[static_cast<std::size_t>(draw.layer)].Add(key, record);
}

// Frame ---------------------------------------------------------------------------------------

void Renderer::Render() {
  if (framebuffers.size() < 2) return;
  const Framebuffer& reference = framebuffers[1];
  if (reference.Width() <= 0 || reference.Height() <= 0) return;

  GlobalUniforms& globals = DECS::Instance().globalUniforms;
  const FrameValueNames& names = Names();
  globals.vec2Values[names.screenDimensions] =
      glm::vec2(static_cast<float>(reference.Width()), static_cast<float>(reference.Height()));
  uiDepth = 0.0f;
  statistics = Statistics{};

  for (int layer = 1; layer < LayerCount(); ++layer) {
    const bool inUse = LayerInUse(layer);
    layersInUse[static_cast<std::size_t>(layer)] = inUse;
    BindLayer(layer);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    globals.vec3Values[names.backgroundColor] = glm::vec3(0.0f);
    if (inUse) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    DrawOpaqueQueue(layer);
    if (layer == 1) {
      for (SceneLayerDrawer* drawer : sceneLayerDrawers) drawer->DrawIntoSceneLayer();
    }
  }
  for (int layer = 1; layer < LayerCount(); ++layer) {
    SortTransparent(layer);
    DrawSortedQueue(layer);
  }
  for (LayerQueue& queue : opaqueQueues) queue.Clear();
  for (LayerQueue& queue : transparentQueues) queue.Clear();
  nextSequence = 0;

  LoadCompositeResources();
  glDisable(GL_DEPTH_TEST);
  Shader* shader = ResourceCache::Instance().GetShaderById(framebufferProgram);
  if (shader != nullptr && framebufferMesh != nullptr) {
    shader->Use();
    globals.ints[names.inTexture] = 0;
    shader->ApplyGlobalUniforms(globals);
    const bool quadBound = framebufferMesh->Bind();
    BindLayer(0);
    for (std::size_t index = 0; index < framebuffers.size(); ++index) {
      Framebuffer& framebuffer = framebuffers[index];
      if (postProcessing != nullptr) {
        postProcessing->ApplyLayerPasses(static_cast<int>(index), framebuffer, *shader);
      }
      if (framebuffer.composite && quadBound && layersInUse[index + 1] != 0) framebuffer.Draw();
    }
  } else {
    BindLayer(0);
  }
  glEnable(GL_DEPTH_TEST);
  uiOrder = 0;
}

bool Renderer::LayerInUse(int layer) const {
  const auto index = static_cast<std::size_t>(layer);
  return layer == 1 || !opaqueQueues[index].active.empty() ||
         !transparentQueues[index].active.empty() ||
         (postProcessing != nullptr && postProcessing->UsesLayer(layer));
}

void Renderer::PrepareLayer(int layer, std::vector<int>& programs) {
  GlobalUniforms& globals = DECS::Instance().globalUniforms;
  if (const auto cameras = cameraSystem.lock()) {
    cameras->UploadCameraUniforms(cameras->HasLayerCamera(layer) ? layer : 1, globals);
  } else {
    CameraSystem::UploadClipSpaceUniforms(globals);
  }
  BindLayer(layer);
  if (const auto lights = lightSystem.lock()) lights->UploadLights(layer, globals);

  std::sort(programs.begin(), programs.end());
  programs.erase(std::unique(programs.begin(), programs.end()), programs.end());
  const ResourceCache& cache = ResourceCache::Instance();
  for (const int program : programs) {
    Shader* shader = cache.GetShaderById(program);
    if (shader == nullptr) continue;
    shader->Use();
    shader->ApplyGlobalUniforms(globals);
  }
}

void Renderer::DrawOpaqueQueue(int layer) {
  LayerQueue& queue = opaqueQueues[static_cast<std::size_t>(layer)];
  layerPrograms.clear();
  for (const std::uint32_t index : queue.active)
    layerPrograms.push_back(queue.batches[index].key.program);
  PrepareLayer(layer, layerPrograms);
  for (const std::uint32_t index : queue.active) {
    const Batch& batch = queue.batches[index];
    DrawBatch(batch.key, batch.records);
  }
  if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void Renderer::SortTransparent(int layer) {
  sortEntries.clear();
  sortedBatches.clear();
  sortedRecords.clear();
  const LayerQueue& queue = transparentQueues[static_cast<std::size_t>(layer)];
  if (queue.active.empty()) return;

  glm::vec3 cameraPosition(0.0f);
  if (const auto cameras = cameraSystem.lock()) {
    if (const LayerCamera* camera = cameras->FindLayerCamera(layer))
      cameraPosition = camera->position;
  }
  for (const std::uint32_t batch : queue.active) {
    const std::vector<DrawRecord>& records = queue.batches[batch].records;
    for (std::size_t record = 0; record < records.size(); ++record) {
      const DrawRecord& draw = records[record];
      float value = draw.depthModifier - glm::distance(glm::vec3(draw.model[3]), cameraPosition);
      // A NaN would break the order; such a draw goes last.
      if (std::isnan(value)) value = -std::numeric_limits<float>::infinity();
      sortEntries.push_back({value, draw.sequence, batch, static_cast<std::uint32_t>(record)});
    }
  }
  if (layer == static_cast<int>(FramebufferLayer::MENUUI)) {
    std::sort(sortEntries.begin(), sortEntries.end(),
              [](const SortEntry& a, const SortEntry& b) { return a.sequence < b.sequence; });
  } else {
    // Highest value first; equal values in the order queued (sequences are unique).
    std::sort(sortEntries.begin(), sortEntries.end(), [](const SortEntry& a, const SortEntry& b) {
      return a.value != b.value ? a.value > b.value : a.sequence < b.sequence;
    });
  }

  for (const SortEntry& entry : sortEntries) {
    const Batch& batch = queue.batches[entry.batch];
    if (!sortedBatches.empty() && sortedBatches.back().key == batch.key) {
      ++sortedBatches.back().count;
    } else {
      sortedBatches.push_back({batch.key, static_cast<std::uint32_t>(sortedRecords.size()), 1});
    }
    sortedRecords.push_back(batch.records[entry.record]);
  }
}

void Renderer::DrawSortedQueue(int layer) {
  layerPrograms.clear();
  for (const SortedBatch& batch : sortedBatches) layerPrograms.push_back(batch.key.program);
  PrepareLayer(layer, layerPrograms);
  for (const SortedBatch& batch : sortedBatches) {
    DrawBatch(batch.key,
              std::span<const DrawRecord>(sortedRecords.data() + batch.first, batch.count));
  }
  if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// Batches ------------------------------------------------------------------------------------

void Renderer::AssignTextureUnits(std::span<const DrawRecord> records) {
  const int blockSize = maxTextureUnits - kReservedTextureUnits;
  textureTable.clear();
  subBatches.clear();
  subBatches.push_back({0, 0, 0});
  std::size_t blockStart = 0;
  int used = 0;
  // Unit of a texture in the current block, -1 when absent (or no texture).
  const auto unitInBlock = [&](int texture) {
    if (texture < 0) return -1;
    for (int unit = 0; unit < used; ++unit) {
      if (textureTable[blockStart + static_cast<std::size_t>(unit)] == texture) return unit;
    }
    return -1;
  };

  for (std::size_t index = 0; index < records.size(); ++index) {
    const DrawRecord& record = records[index];
    const int textureA = record.textureA >= 0 ? record.textureA : -1;
    const int textureB = record.textureB >= 0 ? record.textureB : -1;
    int unitA = unitInBlock(textureA);
    int unitB = unitInBlock(textureB);
    // Both slots are reserved whenever they are not found in the block, an empty slot too.
    const int missing = static_cast<int>(unitA < 0) + static_cast<int>(unitB < 0);
    if (used + missing > blockSize) {
      // The block is full: the table is padded to a whole block and this record starts the next.
      blockStart += static_cast<std::size_t>(blockSize);
      textureTable.resize(blockStart, -1);
      used = 0;
      subBatches.push_back(
          {static_cast<std::uint32_t>(index), 0, static_cast<std::uint32_t>(blockStart)});
      unitA = -1;
      unitB = -1;
    }
    if (textureA >= 0 && unitA < 0) {
      textureTable.push_back(textureA);
      unitA = used++;
    }
    // Looked up before A was added: a B equal to a new A takes a unit of its own.
    if (textureB >= 0 && unitB < 0) {
      textureTable.push_back(textureB);
      unitB = used++;
    }
    ++subBatches.back().count;

    float* out = instanceData.data() + index * kInstanceFloats;
    const float* model = glm::value_ptr(record.model);
    std::copy(model, model + 15, out);
    out[15] = record.depthModifier;
    out[16] = record.cellOffset.x;
    out[17] = record.cellOffset.y;
    out[18] = static_cast<float>(unitA);
    out[19] = static_cast<float>(unitB);
    out[20] = record.ambient.x;
    out[21] = record.ambient.y;
    out[22] = record.ambient.z;
    out[23] = record.diffuse.x;
    out[24] = record.diffuse.y;
    out[25] = record.diffuse.z;
    out[26] = record.alpha;
    out[27] = record.specular.x;
    out[28] = record.specular.y;
    out[29] = record.specular.z;
    out[30] = record.shininess;
  }
}

void Renderer::DrawBatch(const BatchKey& key, std::span<const DrawRecord> records) {
  if (key.mesh < 0 || records.empty()) return;
  ResourceCache& cache = ResourceCache::Instance();
  Shader* shader = cache.GetShaderById(key.program);
  if (shader == nullptr || !shader->IsLinked()) return;
  const Mesh& mesh = cache.MeshAt(key.mesh);
  if (mesh.IndexCount() == 0 || mesh.vertexCount == 0) return;

  shader->Use();
  shader->SetIntArray("inTextures[0]", maxTextureUnits, textureUnitList.data());
  instanceData.resize(records.size() * kInstanceFloats);
  AssignTextureUnits(records);

  // The uploaded copy of a mesh is shared by every order number: ordered draws would otherwise
  // leave one copy per mesh and draw position behind.
  const BatchKey uploadKey{key.mesh, key.program, 0};
  auto instanced = instancedMeshes.find(uploadKey);
  const DrawRecord& first = records.front();
  if (first.scissor) {
    const int height = boundLayer > 0 ? LayerFramebuffer(boundLayer).Height() : 0;
    glEnable(GL_SCISSOR_TEST);
    glScissor(first.scissorRect.x, height - (first.scissorRect.y + first.scissorRect.w),
              std::max(first.scissorRect.z, 0), std::max(first.scissorRect.w, 0));
  }
  for (const SubBatch& subBatch : subBatches) {
    const std::size_t blockEnd = std::min(
        textureTable.size(), subBatch.tableOffset + static_cast<std::size_t>(maxTextureUnits));
    for (std::size_t entry = subBatch.tableOffset; entry < blockEnd; ++entry) {
      if (textureTable[entry] < 0) continue;
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(entry - subBatch.tableOffset));
      glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textureTable[entry]));
    }

    const float* data =
        instanceData.data() + static_cast<std::size_t>(subBatch.first) * kInstanceFloats;
    const auto count = static_cast<std::int32_t>(subBatch.count);
    if (instanced == instancedMeshes.end()) {
      const std::vector<int> sizes(mesh.attributeSizes.begin(), mesh.attributeSizes.end());
      auto created = std::make_unique<InstancedMesh>(
          mesh.vertices.data(), mesh.vertexCount, mesh.stride, mesh.indices.data(),
          mesh.IndexCount(), sizes, data, count, kInstanceStride, InstanceAttributeSizes());
      instanced = instancedMeshes.emplace(uploadKey, std::move(created)).first;
    } else {
      instanced->second->UpdateInstances(data, count, kInstanceStride);
    }
    if (!instanced->second->Bind()) continue;
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(instanced->second->IndexCount()),
                            GL_UNSIGNED_INT, nullptr, count);
    ++statistics.drawCalls;
    statistics.verticesDrawn += count * mesh.vertexCount;
    statistics.trianglesDrawn += count * (mesh.IndexCount() / 3);
    statistics.instancesSaved += count - 1;
  }
  if (first.scissor) glDisable(GL_SCISSOR_TEST);
}

void Renderer::ForgetMesh(int mesh) {
  std::erase_if(instancedMeshes, [mesh](const auto& entry) { return entry.first.mesh == mesh; });
}

// Messages ------------------------------------------------------------------------------------

void Renderer::HandleMessage(const std::string& message) {
  const auto ignored = [&message](const char* why) {
    std::printf("Renderer : message ignored (%s): %s\n", why, message.c_str());
  };
  const bool setFloat = IsMessage(message, "uniform_set_float");
  const bool setInt = IsMessage(message, "uniform_set_int");
  const bool setVec2 = IsMessage(message, "uniform_set_vec2");
  const bool setVec3 = IsMessage(message, "uniform_set_vec3");
  const bool update = IsMessage(message, "shader_uniform_update");
  if (!setFloat && !setInt && !setVec2 && !setVec3 && !update) return;
  GlobalUniforms& globals = DECS::Instance().globalUniforms;

  std::string name;
  std::string x;
  std::string y;
  std::string z;
  if (setFloat || setInt) {
    float number = 0.0f;
    int integer = 0;
    if (!ParseMessageArguments(message, name, x)) return ignored("expected a name and a value");
    if (setFloat ? !ReadMessageFloat(x, number) : !ReadMessageInt(x, integer)) {
      return ignored("not a number");
    }
    if (setFloat) {
      globals.floats[name] = number;
    } else {
      globals.ints[name] = integer;
    }
  } else if (setVec2) {
    glm::vec2 value{0.0f};
    if (!ParseMessageArguments(message, name, x, y))
      return ignored("expected a name and 2 numbers");
    if (!ReadMessageFloat(x, value.x) || !ReadMessageFloat(y, value.y))
      return ignored("not a number");
    globals.vec2Values[name] = value;
  } else if (setVec3) {
    glm::vec3 value{0.0f};
    if (!ParseMessageArguments(message, name, x, y, z)) {
      return ignored("expected a name and 3 numbers");
    }
    if (!ReadMessageFloat(x, value.x) || !ReadMessageFloat(y, value.y) ||
        !ReadMessageFloat(z, value.z)) {
      return ignored("not a number");
    }
    globals.vec3Values[name] = value;
  } else {
    std::string material;
    std::string type;
    std::string value;
    if (!ParseMessageArguments(message, material, name, type, value)) {
      if (auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
        messaging->PostFormatted(
            "console_message Error: Invalid arguments for "
            "shader_uniform_update_typed",
            1);
      }
      return;
    }
    if (type == "float") {
      float number = 0.0f;
      if (ReadMessageFloat(value, number)) globals.floats[name] = number;
    } else if (type == "int") {
      int integer = 0;
      if (ReadMessageInt(value, integer)) globals.ints[name] = integer;
    } else if (type == "vec2") {
      std::array<float, 2> numbers{};
      if (ReadCommaSeparated(value, numbers)) globals.vec2Values[name] = {numbers[0], numbers[1]};
    } else if (type == "vec3") {
      std::array<float, 3> numbers{};
      if (ReadCommaSeparated(value, numbers)) {
        globals.vec3Values[name] = {numbers[0], numbers[1], numbers[2]};
      }
    }
  }
}
