#include "render/post_process_plan.h"

#include <algorithm>
#include <cmath>

namespace {

PostProcessType TypeOf(const PostProcessPass& pass) {
  return static_cast<PostProcessType>(pass.type);
}

bool IsEnabledGlow(const PostProcessPass& pass) {
  return pass.enabled && TypeOf(pass) == PostProcessType::Floreth;
}

// The list of layer 1..8; null for any other number.
const std::vector<PostProcessPass>* OwnList(const PostProcessPipeline& pipeline, int layer) {
  if (layer < 1 || layer > static_cast<int>(pipeline.size())) return nullptr;
  return &pipeline[static_cast<std::size_t>(layer - 1)];
}

// Whether the pass can leave something in a layer that holds nothing (transparent black). Every
// pass keeps the alpha of what it reads, or draws nothing where its source is empty, except an
// edge outline with a negative threshold, which outlines even a flat image.
bool CanDrawOnEmptyLayer(const PostProcessPass& pass) {
  return TypeOf(pass) == PostProcessType::Edge && !(pass.floatData[0] >= 0.0f);
}

// Whether the pass needs the image in RGBA16F. Every pass but the fade does: the glow and tone
// mapping look at light brighter than white, and the others turn small differences of colour
// into steps (bands, dots, edges, FXAA's contrast test) or repeat their rounding (blurs), so the
// 8-bit rounding of their input would move what they draw. A fade is a mix towards a colour,
// whose 8-bit result is within a rounding of the RGBA16F one.
bool NeedsHighRangeImage(const PostProcessPass& pass) {
  return pass.enabled && TypeOf(pass) != PostProcessType::Fade;
}

// The enabled screentone (FXAA) pass reads this layer's drawing.
bool ReadsLayerDrawing(const PostProcessPass& pass, int layer) {
  const PostProcessType type = TypeOf(pass);
  return pass.enabled && ((type == PostProcessType::Screentone && layer == kScreentoneLayer) ||
                          (type == PostProcessType::FXAA && layer == kFXAALayer));
}

}  // namespace

LayerPassPlan PlanLayerPasses(const PostProcessPipeline& pipeline, int framebufferIndex,
                              bool composite) {
  LayerPassPlan plan;
  if (framebufferIndex < 0 || framebufferIndex >= kPostProcessListCount) return plan;
  const auto& list = pipeline[static_cast<std::size_t>(framebufferIndex)];
  for (std::size_t index = 0; index < list.size(); ++index) {
    if (list[index].enabled) plan.passes.push_back(index);
  }
  plan.lastGlowOverWindow = composite && !plan.passes.empty() &&
                            TypeOf(list[plan.passes.back()]) == PostProcessType::Floreth &&
                            !ReadAfterItsPasses(pipeline, framebufferIndex + 1);
  return plan;
}

bool UsesLayer(const PostProcessPipeline& pipeline, int layer) {
  for (std::size_t list = 0; list < pipeline.size(); ++list) {
    for (const PostProcessPass& pass : pipeline[list]) {
      if (!pass.enabled) continue;
      if (static_cast<int>(list) + 1 == layer && CanDrawOnEmptyLayer(pass)) return true;
      if (TypeOf(pass) == PostProcessType::Floreth && pass.intData[2] == layer) return true;
      if (ReadsLayerDrawing(pass, layer)) return true;
    }
  }
  return false;
}

bool NeedsHiddenLayer(const PostProcessPipeline& pipeline, int layer) {
  if (UsesLayer(pipeline, layer)) return true;
  const auto* own = OwnList(pipeline, layer);
  return own != nullptr && std::any_of(own->begin(), own->end(), IsEnabledGlow);
}

bool NeedsHighRange(const PostProcessPipeline& pipeline, int layer) {
  for (std::size_t list = 0; list < pipeline.size(); ++list) {
    const bool highList =
        std::any_of(pipeline[list].begin(), pipeline[list].end(), NeedsHighRangeImage);
    if (highList && static_cast<int>(list) + 1 == layer) return true;
    for (const PostProcessPass& pass : pipeline[list]) {
      // The glow's copy of its source.
      if (IsEnabledGlow(pass) && pass.intData[2] == layer) return true;
      // The result of a high-range list is built over a copy of this layer.
      if (highList && ReadsLayerDrawing(pass, layer)) return true;
    }
  }
  return false;
}

bool ReadByOtherPasses(const PostProcessPipeline& pipeline, int layer) {
  const auto* own = OwnList(pipeline, layer);
  if (own != nullptr && std::any_of(own->begin(), own->end(),
                                    [](const PostProcessPass& pass) { return pass.enabled; })) {
    return true;
  }
  return ReadAfterItsPasses(pipeline, layer);
}

bool ReadAfterItsPasses(const PostProcessPipeline& pipeline, int layer) {
  return std::any_of(pipeline.begin(), pipeline.end(), [layer](const auto& list) {
    return std::any_of(list.begin(), list.end(), [layer](const PostProcessPass& pass) {
      return ReadsLayerDrawing(pass, layer);
    });
  });
}

bool OverwritesBeforeReading(const PostProcessPipeline& pipeline, int layer) {
  const bool glowScratch = std::any_of(pipeline.begin(), pipeline.end(), [layer](const auto& list) {
    return std::any_of(list.begin(), list.end(), [layer](const PostProcessPass& pass) {
      return IsEnabledGlow(pass) && pass.intData[2] == layer;
    });
  });
  return glowScratch && !ReadByOtherPasses(pipeline, layer);
}

GlowResult ChooseGlowResult(const PostProcessPipeline& pipeline, int scratchLayer,
                            bool scratchComposited, bool overWindow) {
  if (scratchComposited || ReadByOtherPasses(pipeline, scratchLayer)) {
    return GlowResult::KeptInScratch;
  }
  return overWindow ? GlowResult::OverWindow : GlowResult::OverTarget;
}

// A fade by nothing towards a finite colour gives every texel back as it was, and laying a texel
// over itself leaves it: the pass would draw the image it has.
bool FadeLeavesImage(const PostProcessPass& pass, float sceneFade) {
  const bool finiteColour = std::all_of(pass.floatData.begin() + 1, pass.floatData.begin() + 4,
                                        [](float value) { return std::isfinite(value); });
  return sceneFade <= 0.0f && finiteColour;
}
