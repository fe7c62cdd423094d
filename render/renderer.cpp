#include "render/renderer.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <cstdio>
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

constexpr std::uint64_t kInstanceStride = sizeof(InstanceRecord);

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
  static const std::vector<int> sizes(kInstanceAttributeSizes.begin(),
                                      kInstanceAttributeSizes.end());
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

Renderer::Renderer(ResourceCache& cache) : cache(cache) {
  level = 3;

  if (gladLoadGL(glfwGetProcAddress) == 0) {
    throw std::runtime_error("the OpenGL entry points could not be loaded");
  }

  glEnable(GL_BLEND);
  SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetCulling(true, GL_CCW, GL_BACK);
  // A forward-compatible context refuses lines wider than 1 whatever range it reports.
  GLint contextFlags = 0;
  glGetIntegerv(GL_CONTEXT_FLAGS, &contextFlags);
  float lineWidths[2] = {1.0f, 1.0f};
  glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, lineWidths);
  widestLine = (contextFlags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT) != 0
                   ? 1.0f
                   : std::max(1.0f, lineWidths[1]);
  glEnable(GL_DEPTH_TEST);
  GLint units = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
  // The data shaders sample through a fixed array of kSamplerUnits; units beyond it would bind
  // textures no shader reads.
  maxTextureUnits = std::clamp(static_cast<int>(units), kReservedTextureUnits + 2, kSamplerUnits);
  batchBuilder.SetUnitsPerSubBatch(maxTextureUnits - kReservedTextureUnits);
  for (int unit = 0; unit < kSamplerUnits; ++unit)
    textureUnitList[static_cast<std::size_t>(unit)] = unit;

  LoadCompositeResources();

  framebuffers.reserve(kLayerCount - 1);
  for (int layer = 1; layer < kLayerCount; ++layer) AddFramebufferLayer(layer <= kCompositedLayers);

  PrintRenderingInfo();
}

Renderer::~Renderer() = default;

Renderer& Renderer::Instance() {
  RenderContext* context = RenderContext::Current();
  if (context == nullptr) FailWithoutRenderContext("Renderer");
  return context->GetRenderer();
}

bool Renderer::HasInstance() { return RenderContext::Current() != nullptr; }

void Renderer::UseSystems(std::weak_ptr<CameraSystem> cameras, std::weak_ptr<LightSystem> lights) {
  cameraSystem = std::move(cameras);
  lightSystem = std::move(lights);
}

void Renderer::AddSceneLayerDrawer(SceneLayerDrawer* drawer) {
  if (drawer != nullptr) sceneLayerDrawers.push_back(drawer);
}

void Renderer::LoadCompositeResources() {
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
  batchBuilder.AddLayer();
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

void Renderer::SetLineWidth(float width) {
  lineWidth = std::clamp(width, 1.0f, widestLine);
  glLineWidth(lineWidth);
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

  if (draw.material < 0 || static_cast<std::size_t>(draw.material) >= cache.MaterialCount()) {
    ReportDroppedDraw("material", draw.material);
    return;
  }
  if (draw.mesh < 0 || static_cast<std::size_t>(draw.mesh) >= cache.MeshCount()) {
    ReportDroppedDraw("mesh", draw.mesh);
    return;
  }
  const Material& material = cache.MaterialAt(draw.material);
  batchBuilder.Queue(draw, material, draw.ordered ? uiOrder++ : 0);
}

// Frame ---------------------------------------------------------------------------------------

void Renderer::DiscardQueuedDraws() { batchBuilder.Clear(); }

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

  // Colour is laid over by the source alpha; coverage as a + d(1 - a). A layer then holds its
  // colours already weighted by their coverage, and its true coverage: blending alpha by itself
  // would square it, and a see-through draw over nothing, or over an opaque part of the layer,
  // would leave the layer too thin where it lies.
  glBlendFuncSeparate(blendSource, blendDestination, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  const int coveringLayer = CoveringLayer();
  for (int layer = 1; layer < LayerCount(); ++layer) {
    const bool hidden = HiddenBeneath(layer, coveringLayer);
    const bool inUse = !hidden && LayerInUse(layer);
    layersInUse[static_cast<std::size_t>(layer)] = inUse;
    // A change of range happens with a scene's passes; the layer is cleared below when in use.
    LayerFramebuffer(layer).SetColorRange(
        postProcessing != nullptr && postProcessing->NeedsHighRange(layer) ? ColorRange::High
                                                                           : ColorRange::Low);
    BindLayer(layer);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    globals.vec3Values[names.backgroundColor] = glm::vec3(0.0f);
    if (inUse && !OverwrittenBeforeRead(layer)) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A hidden layer's draws are dropped with the rest of the queues after the frame.
    if (hidden) continue;
    if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    DrawOpaqueQueue(layer);
    if (layer == 1) {
      for (SceneLayerDrawer* drawer : sceneLayerDrawers) drawer->DrawIntoSceneLayer(*this);
    }
  }
  for (int layer = 1; layer < LayerCount(); ++layer) {
    if (HiddenBeneath(layer, coveringLayer)) continue;
    SortTransparent(layer);
    DrawSortedQueue(layer);
  }
  DiscardQueuedDraws();

  LoadCompositeResources();
  glDisable(GL_DEPTH_TEST);
  Shader* shader = cache.GetShaderById(framebufferProgram);
  if (shader != nullptr && framebufferMesh != nullptr) {
    shader->Use();
    globals.ints[names.inTexture] = 0;
    shader->ApplyGlobalUniforms(globals);
    const bool quadBound = framebufferMesh->Bind();
    BindLayer(0);
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    for (std::size_t index = 0; index < framebuffers.size(); ++index) {
      // A layer not in use holds nothing this frame (its passes would leave it so), or what an
      // earlier frame left, which nothing reads.
      if (layersInUse[index + 1] == 0) continue;
      Framebuffer& framebuffer = framebuffers[index];
      const bool windowSize = viewport[0] == 0 && viewport[1] == 0 &&
                              framebuffer.Width() == viewport[2] &&
                              framebuffer.Height() == viewport[3];
      const bool composite = framebuffer.composite && quadBound;
      const bool composited = postProcessing != nullptr &&
                              postProcessing->ApplyLayerPasses(static_cast<int>(index), framebuffer,
                                                               *shader, composite && windowSize);
      if (composite && !composited) {
        // The layer's colours are weighted by coverage already.
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        if (windowSize) {
          framebuffer.DrawTexelForTexel();
        } else {
          framebuffer.Draw();
        }
      }
    }
  } else {
    BindLayer(0);
  }
  SetBlendFunc(blendSource, blendDestination);
  glEnable(GL_DEPTH_TEST);
  uiOrder = 0;
}

bool Renderer::LayerInUse(int layer) const {
  return layer == 1 || batchBuilder.LayerHasDraws(layer) ||
         (postProcessing != nullptr && postProcessing->UsesLayer(layer));
}

TransparentOrder Renderer::TransparentOrderOf(int layer) const {
  return layer == static_cast<int>(FramebufferLayer::MENUUI) ? TransparentOrder::kQueued
                                                             : TransparentOrder::kSorted;
}

int Renderer::CoveringLayer() const {
  for (int layer = LayerCount() - 1; layer >= 1; --layer) {
    const Framebuffer& framebuffer = framebuffers[static_cast<std::size_t>(layer - 1)];
    if (!framebuffer.composite) continue;
    const glm::ivec2 fill = batchBuilder.FirstDrawFill(layer, TransparentOrderOf(layer));
    if (fill == glm::ivec2(framebuffer.Width(), framebuffer.Height())) return layer;
  }
  return 0;
}

bool Renderer::HiddenBeneath(int layer, int coveringLayer) const {
  return layer < coveringLayer && framebuffers[static_cast<std::size_t>(layer - 1)].composite &&
         (postProcessing == nullptr || !postProcessing->NeedsHiddenLayer(layer));
}

bool Renderer::OverwrittenBeforeRead(int layer) const {
  return postProcessing != nullptr && !batchBuilder.LayerHasDraws(layer) &&
         !framebuffers[static_cast<std::size_t>(layer - 1)].composite &&
         postProcessing->OverwritesBeforeReading(layer);
}

void Renderer::PrepareLayer(int layer, std::span<const int> programs) {
  GlobalUniforms& globals = DECS::Instance().globalUniforms;
  if (const auto cameras = cameraSystem.lock()) {
    cameras->UploadCameraUniforms(cameras->HasLayerCamera(layer) ? layer : 1, globals);
  } else {
    CameraSystem::UploadClipSpaceUniforms(globals);
  }
  BindLayer(layer);
  if (const auto lights = lightSystem.lock()) lights->UploadLights(layer, globals);

  for (const int program : programs) {
    Shader* shader = cache.GetShaderById(program);
    if (shader == nullptr) continue;
    shader->Use();
    shader->ApplyGlobalUniforms(globals);
  }
}

void Renderer::DrawOpaqueQueue(int layer) {
  const BuiltBatches& built = batchBuilder.BuildOpaque(layer);
  PrepareLayer(layer, built.programs);
  DrawBuiltBatches(built);
  if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void Renderer::SortTransparent(int layer) {
  glm::vec3 cameraPosition(0.0f);
  if (const auto cameras = cameraSystem.lock()) {
    if (const LayerCamera* camera = cameras->FindLayerCamera(layer))
      cameraPosition = camera->position;
  }
  batchBuilder.BuildTransparent(layer, cameraPosition, TransparentOrderOf(layer));
}

void Renderer::DrawSortedQueue(int layer) {
  const BuiltBatches& built = batchBuilder.Built();
  PrepareLayer(layer, built.programs);
  // Draws kept in the order queued paint over each other in that order, whatever depth the
  // layer's camera gives them: the depth test would let a projection's rounding decide.
  const bool inQueuedOrder = TransparentOrderOf(layer) == TransparentOrder::kQueued;
  const bool depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
  if (inQueuedOrder && depthTest) glDisable(GL_DEPTH_TEST);
  DrawBuiltBatches(built);
  if (inQueuedOrder && depthTest) glEnable(GL_DEPTH_TEST);
  if (layer == 1 && wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// Batches ------------------------------------------------------------------------------------

void Renderer::DrawBuiltBatches(const BuiltBatches& built) {
  for (const BuiltBatch& batch : built.batches) DrawBatch(batch);
}

void Renderer::DrawBatch(const BuiltBatch& batch) {
  const BatchKey& key = batch.key;
  if (key.mesh < 0 || batch.subBatches.empty()) return;
  Shader* shader = cache.GetShaderById(key.program);
  if (shader == nullptr || !shader->IsLinked()) return;
  const Mesh& mesh = cache.MeshAt(key.mesh);
  if (mesh.IndexCount() == 0 || mesh.vertexCount == 0) return;

  shader->Use();
  shader->SetIntArray("inTextures[0]", maxTextureUnits, textureUnitList.data());

  // The uploaded copy of a mesh is shared by every order number: ordered draws would otherwise
  // leave one copy per mesh and draw position behind.
  const BatchKey uploadKey{key.mesh, key.program, 0};
  auto instanced = instancedMeshes.find(uploadKey);
  if (batch.scissor) {
    const int height = boundLayer > 0 ? LayerFramebuffer(boundLayer).Height() : 0;
    glEnable(GL_SCISSOR_TEST);
    glScissor(batch.scissorRect.x, height - (batch.scissorRect.y + batch.scissorRect.w),
              std::max(batch.scissorRect.z, 0), std::max(batch.scissorRect.w, 0));
  }
  for (const SubBatch& subBatch : batch.subBatches) {
    ++statistics.subBatches;
    const std::span<const int> textures = batch.TexturesOf(subBatch);
    for (std::size_t unit = 0; unit < textures.size(); ++unit) {
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
      glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures[unit]));
    }

    const InstanceRecord* data = batch.InstancesOf(subBatch).data();
    const auto count = static_cast<std::int32_t>(subBatch.instanceCount);
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
  if (batch.scissor) glDisable(GL_SCISSOR_TEST);
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
