#include "render/post_processing_glow.h"

#include <glad/gl.h>

#include <algorithm>
#include <cstdlib>

#include "render/gl_context.h"
#include "render/pass_drawing.h"
#include "render/shader.h"

using namespace pass_drawing;

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
