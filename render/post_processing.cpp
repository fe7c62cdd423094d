#include "render/post_processing.h"

#include <glad/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/decs.h"
#include "platform/os/file_path.h"
#include "render/gl_context.h"
#include "render/render_context.h"
#include "render/resource_cache.h"
#include "render/shader.h"

namespace {

const std::string& WeightsName() {
  static const std::string name = "weights";
  return name;
}

// The kernel the next ApplyGlobalUniforms hands to "weights[0]" .. "weights[8]".
void SetWeights(const std::array<float, 9>& kernel) {
  SetGlobalFloatArray(DECS::Instance().globalUniforms.floats, WeightsName(), kernel.data(),
                      static_cast<int>(kernel.size()));
}

glm::vec2 SizeOf(const Framebuffer& framebuffer) {
  return {static_cast<float>(framebuffer.Width()), static_cast<float>(framebuffer.Height())};
}

// Binds `target`, lets the viewport cover it and draws `source`'s colour (or depth) texture
// through the bound quad and program.
void DrawInto(const Framebuffer& target, const Framebuffer& source, bool depth = false) {
  target.Bind();
  glViewport(0, 0, target.Width(), target.Height());
  source.Draw(depth);
}

// A fixed-size scratch target of this size and colour range, made or changed as needed; no pass
// tests depth in one, so it has none. Creating a framebuffer unbinds the bound one, so this
// comes before a target is bound.
Framebuffer& FitScratch(std::optional<Framebuffer>& slot, int width, int height,
                        ColorRange range) {
  if (!slot) {
    slot.emplace(width, height, range, Framebuffer::kNoDepth);
  } else if (slot->Width() != width || slot->Height() != height) {
    slot->SetSize(width, height);
  }
  slot->SetColorRange(range);
  return *slot;
}

// Copies the colour texels `from` and `to` have in common, exactly (no drawing, no blending).
// Both are in one colour range.
void CopyColour(const Framebuffer& from, const Framebuffer& to) {
  glCopyImageSubData(from.ColorTexture(), GL_TEXTURE_2D, 0, 0, 0, 0, to.ColorTexture(),
                     GL_TEXTURE_2D, 0, 0, 0, 0, std::min(from.Width(), to.Width()),
                     std::min(from.Height(), to.Height()), 1);
}

// `to` becomes a copy of `from`'s colour at its size and in its range.
void CopyColour(const Framebuffer& from, std::optional<Framebuffer>& to) {
  CopyColour(from, FitScratch(to, from.Width(), from.Height(), from.Range()));
}

// What a pass reads as `image` while drawing into `target`: the image itself, or a copy taken
// now when it is the target.
const Framebuffer& Readable(const Framebuffer& image, const Framebuffer& target,
                            std::optional<Framebuffer>& copySlot) {
  if (&image != &target) return image;
  CopyColour(image, copySlot);
  return *copySlot;
}

// The state a pass changes and gives back: the renderer's blend factors and the viewport.
class PassState {
 public:
  explicit PassState(PostProcessTargets& targets)
      : targets(targets),
        blendSource(targets.BlendSource()),
        blendDestination(targets.BlendDestination()) {
    glGetIntegerv(GL_VIEWPORT, viewport.data());
  }
  PassState(const PassState&) = delete;
  PassState& operator=(const PassState&) = delete;

  void AlphaBlend() { targets.SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); }
  // Light is added; coverage is laid over (a + d(1 - a)), so it never passes 1. Added coverage
  // would grow past 1 in a half-float target, and the final blend of the glowing copy, which
  // weighs its colour by that alpha, would multiply the image several times over, to white.
  void AdditiveBlend() {
    targets.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }

  // The end of every pass: the restore program in use, the blend factors as they were, the
  // window's framebuffer bound, the viewport as it was.
  void Finish(Shader& restoreShader) {
    restoreShader.Use();
    targets.SetBlendFunc(blendSource, blendDestination);
    targets.BindLayer(0);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  }

 private:
  PostProcessTargets& targets;
  unsigned int blendSource;
  unsigned int blendDestination;
  std::array<GLint, 4> viewport{};
};

constexpr int kScreentoneLayer = 5;
constexpr int kFXAALayer = 6;
// The screentone's dot cell is the image height divided by this, in whole pixels.
constexpr int kScreentoneRowsOfDots = 200;

}  // namespace

// Targets and programs ---------------------------------------------------------------------

Framebuffer* RendererTargets::LayerFramebuffer(int layer) {
  if (layer < 1 || layer >= renderer.LayerCount()) return nullptr;
  return &renderer.LayerFramebuffer(layer);
}

PassProgram::PassProgram(ResourceCache& cache, const char* fragmentPath)
    : cache(cache),
      fragmentPath(fragmentPath),
      cacheFragmentPath(os::NormalizePath(fragmentPath)) {}

Shader* PassProgram::Use() {
  Shader* shader = cache.GetShaderById(program);
  // A cache that was cleared may have given the program's name to another program.
  if (shader == nullptr || shader->fragmentPath != cacheFragmentPath) {
    program = cache.GetShader(PassShaders::kVertex, fragmentPath);
    ++lookups;
    shader = cache.GetShaderById(program);
  }
  if (shader == nullptr || !shader->IsLinked()) return nullptr;
  shader->Use();
  return shader;
}

// Glow ----------------------------------------------------------------------------------------

void FlorethChain::FitTargets(int width, int height, int radius) {
  for (int level = 0; level < kLevels; ++level) {
    // The glow's levels hold light brighter than white.
    FitScratch(levels[static_cast<std::size_t>(level)], std::max(width >> level, 1),
               std::max(height >> level, 1), ColorRange::High);
  }
  FitScratch(taps, width + 2 * radius, height + 2 * radius, ColorRange::High);
  FitScratch(rowSums, width, height + 2 * radius, ColorRange::High);
}

void FlorethChain::Resize() {
  int width = 0;
  int height = 0;
  CurrentWindowFramebufferSize(width, height);
  for (int level = 0; level < kLevels; ++level) {
    auto& slot = levels[static_cast<std::size_t>(level)];
    if (slot) slot->SetSize(std::max(width >> level, 1), std::max(height >> level, 1));
  }
}

bool FlorethChain::DrawBlurRows(int index, int radius) {
  const Framebuffer& below = *levels[static_cast<std::size_t>(index)];
  const Framebuffer& above = *levels[static_cast<std::size_t>(index - 1)];
  const int grownHeight = above.Height() + 2 * radius;
  Shader* shader = tapsProgram.Use();
  if (shader == nullptr) return false;
  shader->SetInt("inTexture", 0);
  shader->SetVec2("levelSize", SizeOf(above));
  shader->SetFloat("radius", static_cast<float>(radius));
  taps->Bind();
  glViewport(0, 0, above.Width() + 2 * radius, grownHeight);
  below.Draw();

  shader = rowsProgram.Use();
  if (shader == nullptr) return false;
  shader->SetInt("inTexture", 0);
  shader->SetInt("radius", radius);
  rowSums->Bind();
  glViewport(0, 0, above.Width(), grownHeight);
  taps->Draw();
  return true;
}

bool FlorethChain::DrawLevelOneFromCorners(const Framebuffer& image, float threshold) {
  const Framebuffer& levelZero = *levels[0];
  if (levelZero.Width() % 2 != 0 || levelZero.Height() % 2 != 0) return false;
  Shader* shader = cornersProgram.Use();
  if (shader == nullptr) return false;
  shader->ApplyGlobalUniforms();
  shader->SetInt("inTexture", 0);
  shader->SetVec2("layerSize", SizeOf(levelZero));
  shader->SetFloat("intensityThreshold", threshold);
  // The taps target is free until the blurs, and at least (W / 2 + 1) x (H / 2 + 1).
  const Framebuffer& levelOne = *levels[1];
  taps->Bind();
  glViewport(0, 0, levelOne.Width() + 1, levelOne.Height() + 1);
  image.Draw();

  shader = cornersDownsampling.Use();
  if (shader == nullptr) return false;
  shader->SetInt("inTexture", 0);
  DrawInto(levelOne, *taps);
  return true;
}

// Steps: the source is copied into `scratch` (texel for texel, so nothing an earlier glow left
// there shows through); level 0 gets the parts brighter than the threshold; each level
// k = 1 .. L-2 is a half-size copy of level k-1; then from level L-2 down to 1 each level is
// blurred and added onto the level above it; level 0, now the glow, is added onto the copy in
// `scratch`, which is laid over the target. L = min(levels, 9); with L <= 2 only the masked
// full-size level is added. The mask and downsampling programs write every texel of their
// level with blending off, so no level needs a clear (one whose program is missing is cleared
// instead). A blur is the 3x3 Gaussian of taps `radius` pixels of the larger level apart, drawn
// in three steps (DrawBlurRows, then the sums down columns), which read whole texels except for
// one filtered read per pixel. Unless the result is kept in `scratch`, the last blur and the
// last two steps are one draw of the combine program, which adds the glow to the copy as it
// lays it over the target; `scratch` then keeps only the copy. The combine masks each texel
// itself, so then level 0 is not drawn at all: level 1 is downsampled straight from the masked
// texels of the copy, over an even-sized image in two draws (DrawLevelOneFromCorners: each
// filtered tap of the downsampling is worked out once, then four of them make a pixel), else in
// one. Over the window, nothing is copied: the downsampling to level 1 and the combine read the
// source, which nothing writes, and the combine lays what the target would hold over the window.
bool FlorethChain::Apply(const PostProcessPass& pass, const Framebuffer& source,
                         Framebuffer& target, Framebuffer& scratch, Shader& restoreShader,
                         PostProcessTargets& targets, Result result) {
  // Without the combine program the glowing image is built in `scratch` and laid over the
  // target from there.
  if (result != Result::KeptInScratch && combine.Use() == nullptr) result = Result::KeptInScratch;
  const int levelCount = std::min(pass.intData[0], kLevels);
  // The kernel is symmetric, so a negative radius blurs as its size does. Past the image's size
  // every outer tap lies beyond the edge, where the edge texel repeats, as it does for any
  // larger radius.
  const int radiusLimit = std::max(source.Width(), source.Height());
  const int radius = std::abs(std::clamp(pass.intData[1], -radiusLimit, radiusLimit));
  FitTargets(source.Width(), source.Height(), radius);
  PassState state(targets);
  state.AlphaBlend();
  const auto level = [this](int index) -> Framebuffer& {
    return *levels[static_cast<std::size_t>(index)];
  };
  const auto clear = [](Framebuffer& framebuffer) {
    framebuffer.Bind();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  };

  const bool overWindow = result == Result::OverWindow;
  const Framebuffer& image = overWindow ? source : scratch;
  if (overWindow) {
    // The source is read as it is.
  } else if (source.Range() == scratch.Range()) {
    CopyColour(source, scratch);
  } else {
    // Texels do not copy between ranges: drawn across without blending, which converts them.
    restoreShader.Use();
    glDisable(GL_BLEND);
    DrawInto(scratch, source);
    glEnable(GL_BLEND);
  }

  // In the combined paths the combine takes each texel's bright part itself, so level 0 would
  // be read only by the downsampling to level 1, which then masks the texels it reads instead.
  const bool combined = result != Result::KeptInScratch;
  glDisable(GL_BLEND);
  Shader* shader = nullptr;
  if (!combined) {
    shader = mask.Use();
    if (shader != nullptr) {
      shader->SetFloat("intensityThreshold", pass.floatData[0]);
      shader->ApplyGlobalUniforms();
      DrawInto(level(0), image);
    } else {
      clear(level(0));
    }
  }

  for (int index = 1; index <= levelCount - 2; ++index) {
    const bool fromImage = combined && index == 1;
    if (fromImage && DrawLevelOneFromCorners(image, pass.floatData[0])) continue;
    shader = fromImage ? maskDownsampling.Use() : downsampling.Use();
    if (shader == nullptr) {
      clear(level(index));
      continue;
    }
    shader->ApplyGlobalUniforms();
    shader->SetInt("inTexture", 0);
    shader->SetVec2("viewPortDimensions", SizeOf(level(index)));
    if (fromImage) {
      shader->SetFloat("intensityThreshold", pass.floatData[0]);
      shader->SetVec2("layerSize", SizeOf(level(0)));
    }
    DrawInto(level(index), fromImage ? image : level(index - 1));
  }

  bool levelOneBlurred = false;
  for (int index = levelCount - 2; index >= 1; --index) {
    glDisable(GL_BLEND);
    if (!DrawBlurRows(index, radius)) break;
    if (index == 1 && combined) {
      levelOneBlurred = true;
      break;
    }
    shader = blurProgram.Use();
    if (shader == nullptr) break;
    glEnable(GL_BLEND);
    state.AdditiveBlend();
    shader->SetInt("inTexture", 0);
    shader->SetInt("radius", radius);
    DrawInto(level(index - 1), *rowSums);
  }
  glEnable(GL_BLEND);

  state.AlphaBlend();
  shader = combined ? combine.Use() : nullptr;
  if (shader != nullptr) {
    static constexpr int kUnits[] = {0, 1};
    shader->SetIntArray("inTextures[0]", 2, kUnits);
    shader->SetFloat("intensityThreshold", pass.floatData[0]);
    shader->SetInt("blurred", levelOneBlurred ? 1 : 0);
    shader->SetInt("radius", radius);
    shader->SetInt("overWindow", overWindow ? 1 : 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, rowSums->ColorTexture());
    if (overWindow) {
      targets.SetBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      targets.BindLayer(0);
      glViewport(0, 0, source.Width(), source.Height());
      source.Draw();
    } else {
      DrawInto(target, scratch);
    }
    // Nothing of the pass stays bound where later draws could sample it.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
  } else {
    restoreShader.Use();
    state.AdditiveBlend();
    DrawInto(scratch, level(0));
    state.AlphaBlend();
    DrawInto(target, scratch);
  }
  state.Finish(restoreShader);
  return overWindow;
}

// Kernel passes ------------------------------------------------------------------------------

void KernelPass::Blur(const Framebuffer& source, Framebuffer& target, int draws, int radius,
                      Shader& restoreShader, PostProcessTargets& targets,
                      std::optional<Framebuffer>& readCopy) {
  SetWeights(kGaussian);
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = kernel.Use();
  if (shader != nullptr) {
    shader->ApplyGlobalUniforms();
    shader->SetVec2("viewPortDimensions", SizeOf(source));
    shader->SetFloat("radius", static_cast<float>(radius));
    shader->SetInt("inTexture", 0);
    target.Bind();
    // Every draw after the first blurs the result of the one before.
    const int drawCount = std::min(draws, kMaxDraws);
    for (int draw = 0; draw < drawCount; ++draw) {
      DrawInto(target, Readable(draw == 0 ? source : target, target, readCopy));
    }
  }
  state.Finish(restoreShader);
}

void KernelPass::MultiScaleBlur(const Framebuffer& source, Framebuffer& target, int scales,
                                int repeats, Shader& restoreShader, PostProcessTargets& targets,
                                std::optional<Framebuffer>& readCopy) {
  if (scales <= 0) return;
  const int scaleCount = std::min(scales, kMaxScales);
  const int repeatCount = std::min(repeats, kMaxDraws);
  // Largest radius first, 1 last.
  for (int scale = 0; scale < scaleCount; ++scale) {
    const int radius = 1 << (scaleCount - 1 - scale);
    for (int repeat = 0; repeat < repeatCount; ++repeat) {
      Blur(source, target, scaleCount, radius, restoreShader, targets, readCopy);
    }
  }
}

// The horizontal Sobel result goes into the cleared scratch target, the vertical one is
// blended over it, and the edges are laid over the target.
void KernelPass::Edge(const PostProcessPass& pass, const Framebuffer& source, Framebuffer& target,
                      Shader& restoreShader, PostProcessTargets& targets) {
  SetWeights(kSobelX);
  Framebuffer& edges = FitScratch(scratch, source.Width(), source.Height(), source.Range());
  PassState state(targets);
  state.AlphaBlend();
  Shader* shader = edge.Use();
  if (shader != nullptr) {
    const auto& floats = pass.floatData;
    shader->ApplyGlobalUniforms();
    shader->SetVec2("viewPortDimensions", SizeOf(source));
    shader->SetInt("inTexture", 0);
    shader->SetFloat("radius", 1.0f);
    shader->SetFloat("threshold", floats[0]);
    shader->SetFloat("edgeThickness", floats[1]);
    shader->SetFloat("contrast", floats[2]);
    shader->SetVec3("edgeColor", glm::vec3(floats[3], floats[4], floats[5]));

    edges.Bind();
    glViewport(0, 0, edges.Width(), edges.Height());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const bool depth = pass.intData[0] != 0;
    source.Draw(depth);
    SetWeights(kSobelY);
    shader->ApplyGlobalUniforms();
    source.Draw(depth);

    restoreShader.Use();
    DrawInto(target, edges);
  }
  state.Finish(restoreShader);
}

void KernelPass::ResizeToWindow() {
  if (!scratch) return;
  int width = 0;
  int height = 0;
  CurrentWindowFramebufferSize(width, height);
  scratch->SetSize(std::max(width, 1), std::max(height, 1));
}

// Chain -------------------------------------------------------------------------------------

PostProcessingChain::PostProcessingChain(PostProcessTargets& targets, ResourceCache& cache)
    : targets(targets), cache(cache) {}

PostProcessingChain::~PostProcessingChain() = default;

PostProcessingChain* PostProcessingChain::FindInstance() {
  RenderContext* context = RenderContext::Current();
  return context != nullptr ? &context->PostProcessing() : nullptr;
}

bool PostProcessingChain::ApplyLayerPasses(int framebufferIndex, Framebuffer& framebuffer,
                                           Shader& restoreShader, bool composite) {
  if (framebufferIndex < 0 || framebufferIndex >= kPostProcessListCount) return false;
  const auto& list = pipeline[static_cast<std::size_t>(framebufferIndex)];
  const auto last = std::find_if(list.rbegin(), list.rend(),
                                 [](const PostProcessPass& pass) { return pass.enabled; });
  if (last == list.rend()) return false;
  for (auto pass = list.begin(); pass != last.base() - 1; ++pass) {
    if (pass->enabled) ApplyPostProcessPass(*pass, framebuffer, framebuffer, restoreShader);
  }
  if (composite && static_cast<PostProcessType>(last->type) == PostProcessType::Floreth &&
      !ReadAfterItsPasses(framebufferIndex + 1)) {
    return ApplyFloreth(*last, framebuffer, framebuffer, restoreShader, true);
  }
  ApplyPostProcessPass(*last, framebuffer, framebuffer, restoreShader);
  return false;
}

namespace {

// Whether the pass can leave something in a layer that holds nothing (transparent black). Every
// pass keeps the alpha of what it reads, or draws nothing where its source is empty, except an
// edge outline with a negative threshold, which outlines even a flat image.
bool CanDrawOnEmptyLayer(const PostProcessPass& pass) {
  return static_cast<PostProcessType>(pass.type) == PostProcessType::Edge &&
         !(pass.floatData[0] >= 0.0f);
}

// Whether the pass needs the image in RGBA16F. Every pass but the fade does: the glow and tone
// mapping look at light brighter than white, and the others turn small differences of colour
// into steps (bands, dots, edges, FXAA's contrast test) or repeat their rounding (blurs), so the
// 8-bit rounding of their input would move what they draw. A fade is a mix towards a colour,
// whose 8-bit result is within a rounding of the RGBA16F one.
bool NeedsHighRangeImage(const PostProcessPass& pass) {
  return pass.enabled && static_cast<PostProcessType>(pass.type) != PostProcessType::Fade;
}

}  // namespace

bool PostProcessingChain::UsesLayer(int layer) const {
  for (std::size_t list = 0; list < pipeline.size(); ++list) {
    for (const PostProcessPass& pass : pipeline[list]) {
      if (!pass.enabled) continue;
      if (static_cast<int>(list) + 1 == layer && CanDrawOnEmptyLayer(pass)) return true;
      switch (static_cast<PostProcessType>(pass.type)) {
        case PostProcessType::Floreth:
          if (pass.intData[2] == layer) return true;
          break;
        case PostProcessType::Screentone:
          if (layer == kScreentoneLayer) return true;
          break;
        case PostProcessType::FXAA:
          if (layer == kFXAALayer) return true;
          break;
        default:
          break;
      }
    }
  }
  return false;
}

bool PostProcessingChain::NeedsHiddenLayer(int layer) const {
  if (UsesLayer(layer)) return true;
  if (layer < 1 || layer > static_cast<int>(pipeline.size())) return false;
  const auto& own = pipeline[static_cast<std::size_t>(layer - 1)];
  return std::any_of(own.begin(), own.end(), [](const PostProcessPass& pass) {
    return pass.enabled && static_cast<PostProcessType>(pass.type) == PostProcessType::Floreth;
  });
}

bool PostProcessingChain::NeedsHighRange(int layer) const {
  const auto listNeedsHighRange = [this](std::size_t list) {
    return std::any_of(pipeline[list].begin(), pipeline[list].end(), NeedsHighRangeImage);
  };
  for (std::size_t list = 0; list < pipeline.size(); ++list) {
    const bool highList = listNeedsHighRange(list);
    if (highList && static_cast<int>(list) + 1 == layer) return true;
    for (const PostProcessPass& pass : pipeline[list]) {
      if (!pass.enabled) continue;
      switch (static_cast<PostProcessType>(pass.type)) {
        case PostProcessType::Floreth:
          // The glow's copy of its source.
          if (pass.intData[2] == layer) return true;
          break;
        case PostProcessType::Screentone:
          // The result of a high-range list is built over a copy of this layer.
          if (highList && layer == kScreentoneLayer) return true;
          break;
        case PostProcessType::FXAA:
          if (highList && layer == kFXAALayer) return true;
          break;
        default:
          break;
      }
    }
  }
  return false;
}

bool PostProcessingChain::ReadByOtherPasses(int layer) const {
  if (layer >= 1 && layer <= static_cast<int>(pipeline.size())) {
    const auto& own = pipeline[static_cast<std::size_t>(layer - 1)];
    if (std::any_of(own.begin(), own.end(),
                    [](const PostProcessPass& pass) { return pass.enabled; })) {
      return true;
    }
  }
  return ReadAfterItsPasses(layer);
}

bool PostProcessingChain::ReadAfterItsPasses(int layer) const {
  return std::any_of(pipeline.begin(), pipeline.end(), [layer](const auto& list) {
    return std::any_of(list.begin(), list.end(), [layer](const PostProcessPass& pass) {
      const auto type = static_cast<PostProcessType>(pass.type);
      return pass.enabled && ((type == PostProcessType::Screentone && layer == kScreentoneLayer) ||
                              (type == PostProcessType::FXAA && layer == kFXAALayer));
    });
  });
}

bool PostProcessingChain::OverwritesBeforeReading(int layer) const {
  const bool glowScratch = std::any_of(pipeline.begin(), pipeline.end(), [layer](const auto& list) {
    return std::any_of(list.begin(), list.end(), [layer](const PostProcessPass& pass) {
      return pass.enabled && static_cast<PostProcessType>(pass.type) == PostProcessType::Floreth &&
             pass.intData[2] == layer;
    });
  });
  return glowScratch && !ReadByOtherPasses(layer);
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

// A fade by nothing towards a finite colour gives every texel back as it was, and laying a texel
// over itself leaves it: the pass would draw the image it has.
bool PostProcessingChain::IsNoFade(const PostProcessPass& pass) const {
  const bool finiteColour = std::all_of(pass.floatData.begin() + 1, pass.floatData.begin() + 4,
                                        [](float value) { return std::isfinite(value); });
  return SceneFade() <= 0.0f && finiteColour;
}

void PostProcessingChain::ApplySinglePass(PassProgram& program, const PostProcessPass& pass,
                                          const Framebuffer& source, Framebuffer& target,
                                          Shader& restoreShader) {
  const auto type = static_cast<PostProcessType>(pass.type);
  if (type == PostProcessType::Fade && IsNoFade(pass)) return;
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
  using Result = FlorethChain::Result;
  // A scratch layer that is composited or processed later shows what the glow leaves in it.
  const Result result = scratch->composite || ReadByOtherPasses(layer) ? Result::KeptInScratch
                        : overWindow                                  ? Result::OverWindow
                                                                      : Result::OverTarget;
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
