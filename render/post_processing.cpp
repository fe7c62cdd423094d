#include "render/post_processing.h"

#include <glad/gl.h>

#include <cstdio>
#include <utility>

#include "render/pass_drawing.h"
#include "render/post_process_plan.h"
#include "render/render_context.h"
#include "render/resource_cache.h"
#include "render/shader.h"

using namespace pass_drawing;

namespace {

// The screentone's dot cell is the image height divided by this, in whole pixels.
constexpr int kScreentoneRowsOfDots = 200;

}  // namespace

PostProcessingChain::PostProcessingChain(PostProcessTargets& targets, ResourceCache& cache)
    : targets(targets), cache(cache) {}

PostProcessingChain::~PostProcessingChain() = default;

PostProcessingChain* PostProcessingChain::FindInstance() {
  RenderContext* context = RenderContext::Current();
  return context != nullptr ? &context->PostProcessing() : nullptr;
}

bool PostProcessingChain::ApplyLayerPasses(int framebufferIndex, Framebuffer& framebuffer,
                                           Shader& restoreShader, bool composite) {
  const LayerPassPlan plan = PlanLayerPasses(pipeline, framebufferIndex, composite);
  if (plan.passes.empty()) return false;
  const auto& list = pipeline[static_cast<std::size_t>(framebufferIndex)];
  for (std::size_t step = 0; step + 1 < plan.passes.size(); ++step) {
    ApplyPostProcessPass(list[plan.passes[step]], framebuffer, framebuffer, restoreShader);
  }
  const PostProcessPass& last = list[plan.passes.back()];
  if (plan.lastGlowOverWindow) {
    return ApplyFloreth(last, framebuffer, framebuffer, restoreShader, true);
  }
  ApplyPostProcessPass(last, framebuffer, framebuffer, restoreShader);
  return false;
}

bool PostProcessingChain::UsesLayer(int layer) const { return ::UsesLayer(pipeline, layer); }

bool PostProcessingChain::NeedsHiddenLayer(int layer) const {
  return ::NeedsHiddenLayer(pipeline, layer);
}

bool PostProcessingChain::NeedsHighRange(int layer) const {
  return ::NeedsHighRange(pipeline, layer);
}

bool PostProcessingChain::OverwritesBeforeReading(int layer) const {
  return ::OverwritesBeforeReading(pipeline, layer);
}

void PostProcessingChain::ApplyPostProcessPass(const PostProcessPass& pass,
                                               const Framebuffer& source, Framebuffer& target,
                                               Shader& restoreShader) {
  if (!pass.enabled) return;
  switch (static_cast<PostProcessType>(pass.type)) {
    case PostProcessType::Floreth:
      ApplyFloreth(pass, source, target, restoreShader, false);
      break;
    case PostProcessType::Blur:
      kernelPass.Blur(source, target, pass.intData[0], pass.intData[1], restoreShader, targets,
                      readCopy);
      break;
    case PostProcessType::MultiScaleBlur:
      kernelPass.MultiScaleBlur(source, target, pass.intData[0], pass.intData[1], restoreShader,
                                targets, readCopy);
      break;
    case PostProcessType::Edge:
      kernelPass.Edge(pass, source, target, restoreShader, targets);
      break;
    case PostProcessType::Posterization:
      ApplySinglePass(posterization, pass, source, target, restoreShader);
      break;
    case PostProcessType::ToneMapping:
      ApplySinglePass(toneMapping, pass, source, target, restoreShader);
      break;
    case PostProcessType::Fade:
      ApplySinglePass(fade, pass, source, target, restoreShader);
      break;
    case PostProcessType::Screentone:
      ApplyLayerTexturePass(screentone, kScreentoneLayer, source, target, restoreShader);
      break;
    case PostProcessType::FXAA:
      ApplyLayerTexturePass(fxaa, kFXAALayer, source, target, restoreShader);
      break;
    case PostProcessType::Noir:
      ApplySinglePass(noir, pass, source, target, restoreShader);
      break;
    default:
      break;
  }
}

float PostProcessingChain::SceneFade() const { return sceneFade ? sceneFade() : 0.0f; }

void PostProcessingChain::ApplySinglePass(PassProgram& program, const PostProcessPass& pass,
                                          const Framebuffer& source, Framebuffer& target,
                                          Shader& restoreShader) {
  const auto type = static_cast<PostProcessType>(pass.type);
  if (type == PostProcessType::Fade && FadeLeavesImage(pass, SceneFade())) return;
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = program.Use();
  if (shader != nullptr) {
    if (type == PostProcessType::Noir) shader->ApplyGlobalUniforms();
    shader->SetInt("inTexture", 0);
    if (type == PostProcessType::Posterization || type == PostProcessType::Noir) {
      shader->SetInt("colorCount", pass.intData[0]);
      shader->SetInt("saturationCount", pass.intData[1]);
      shader->SetInt("lightnessCount", pass.intData[2]);
      shader->SetFloat("hueShift", pass.floatData[0]);
    } else if (type == PostProcessType::Fade) {
      shader->SetFloat("fadePercentage", SceneFade());
      shader->SetVec3("fadeColor",
                      glm::vec3(pass.floatData[1], pass.floatData[2], pass.floatData[3]));
    }
    DrawInto(target, Readable(source, target, readCopy));
  }
  state.Finish(restoreShader);
}

// The result is built in a scratch target holding a copy of the layer's drawing, so that the
// layer keeps what was drawn into it, and is then laid over the target.
void PostProcessingChain::ApplyLayerTexturePass(PassProgram& program, int layer,
                                                const Framebuffer& source, Framebuffer& target,
                                                Shader& restoreShader) {
  const Framebuffer* layerFramebuffer = targets.LayerFramebuffer(layer);
  if (layerFramebuffer == nullptr) return;
  CopyColour(*layerFramebuffer, layerWork);
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = program.Use();
  if (shader != nullptr) {
    static constexpr int kUnits[] = {0, 1, 2};
    // Loading the texture binds it, so it comes before the units are set.
    const int particle = layer == kScreentoneLayer ? ParticleTexture() : -1;
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, layerFramebuffer->ColorTexture());
    if (layer == kScreentoneLayer) {
      shader->SetVec2("screenDimensions", SizeOf(source));
      shader->SetFloat("fTexSampleSize",
                       static_cast<float>(source.Height() / kScreentoneRowsOfDots));
      shader->SetVec3("cameraPos", cameraPosition ? cameraPosition() : glm::vec3(0.0f));
      glActiveTexture(GL_TEXTURE2);
      glBindTexture(GL_TEXTURE_2D, particle >= 0 ? static_cast<GLuint>(particle) : 0u);
      shader->SetIntArray("inTextures[0]", 3, kUnits);
    } else {
      shader->SetVec2("viewPortDimensions", SizeOf(source));
      shader->SetIntArray("inTextures[0]", 2, kUnits);
    }
    DrawInto(*layerWork, source);

    restoreShader.Use();
    DrawInto(target, *layerWork);
    // Nothing of the pass stays bound where later draws could sample it.
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
  }
  state.Finish(restoreShader);
}

bool PostProcessingChain::ApplyFloreth(const PostProcessPass& pass, const Framebuffer& source,
                                       Framebuffer& target, Shader& restoreShader,
                                       bool overWindow) {
  const int layer = pass.intData[2];
  Framebuffer* scratch = targets.LayerFramebuffer(layer);
  if (scratch == nullptr) {
    ReportGlowLayer(layer, "has no framebuffer (layers 1..8)");
    return false;
  }
  if (scratch == &source || scratch == &target) {
    ReportGlowLayer(layer, "is the layer the glow is drawn over");
    return false;
  }
  // A scratch layer that is composited or processed later shows what the glow leaves in it.
  const GlowResult result = ChooseGlowResult(pipeline, layer, scratch->composite, overWindow);
  return floreth.Apply(pass, source, target, *scratch, restoreShader, targets, result);
}

void PostProcessingChain::ReportGlowLayer(int layer, const char* why) {
  if (!reportedGlowLayers.insert(layer).second) return;
  std::printf("PostProcessing : glow pass skipped: its scratch layer %d %s\n", layer, why);
}

int PostProcessingChain::ParticleTexture() {
  // Found again whenever the screentone program was, which is the case after a cache clear.
  if (particleTexture < 0 || particleTextureLookup != screentone.Lookups()) {
    particleTexture =
        cache.GetTexture(PassShaders::kParticleTexture, GL_NEAREST, GL_NEAREST, GL_REPEAT);
    particleTextureLookup = screentone.Lookups();
  }
  return particleTexture;
}

void PostProcessingChain::ResizeTargets() {
  floreth.Resize();
  kernelPass.ResizeToWindow();
}

void PostProcessingChain::ApplySceneSettings(const nlohmann::json& settings) {
  PostProcessPipeline lists;
  try {
    ReadPostProcessingPipeline(settings, lists);
  } catch (const PipelineReadError& error) {
    std::printf("PostProcessing : scene settings not used, the current passes stay: %s\n",
                error.what());
    return;
  }
  pipeline = std::move(lists);
}

void PostProcessingChain::SetMainMenuFade(float value) {
  auto& menuList = pipeline[2];
  if (!menuList.empty()) menuList.front().floatData[0] = value;
}
