#pragma once
// FlorethChain: the glow pass. The parts of an image brighter than a threshold are masked,
// downsampled into a pyramid, blurred level by level back up and added onto a copy of the
// image, which is laid over the target or over the window (see Apply in the .cpp for the
// steps). Main thread, GL context current.

#include <array>
#include <optional>

#include "render/framebuffer.h"
#include "render/pass_program.h"
#include "render/post_process_pass.h"
#include "render/post_process_plan.h"
#include "render/post_process_targets.h"

class ResourceCache;
class Shader;

// The glow's pyramid: level k is (W >> k) x (H >> k) of the processed image (at least 1 x 1).
class FlorethChain {
 public:
  static constexpr int kLevels = 9;

  // Where the glowing image goes: laid over `target`, with `scratch` keeping only the copy of
  // the source; laid over `target` and kept in `scratch` (something reads it later); or, with
  // neither `scratch` nor `target` touched, what laying it over the target would leave there
  // laid over the bound window (as the renderer composites a layer).
  using Result = GlowResult;

  // Builds its programs through `cache`, which must outlive the chain.
  explicit FlorethChain(ResourceCache& cache) : cache(cache) {}

  // Adds the glow of the bright parts of `source` to it (see the .cpp for the steps). Returns
  // whether the result went over the window: OverWindow needs the combine program, without
  // which the result is laid over `target`, by way of `scratch`.
  bool Apply(const PostProcessPass& pass, const Framebuffer& source, Framebuffer& target,
             Framebuffer& scratch, Shader& restoreShader, PostProcessTargets& targets,
             Result result);
  // Level k takes the window's size divided by 2^k.
  void Resize();

 private:
  // The levels at the source's size and the blur's targets for `radius`.
  void FitTargets(int width, int height, int radius);
  // The first two of the three draws that blur level `index` onto level `index - 1`; the row
  // sums are left in `rowSums`. False when a program is missing (then that level is not
  // blurred).
  bool DrawBlurRows(int index, int radius);
  // Level 1 from the masked texels of an even-sized `image` in two draws through the taps
  // target. False when level 0 has an odd side or a program is missing (nothing usable drawn).
  bool DrawLevelOneFromCorners(const Framebuffer& image, float threshold);

  std::array<std::optional<Framebuffer>, kLevels> levels;
  // The blur's weighted taps and row sums, each big enough for level 0 grown by the radius.
  std::optional<Framebuffer> taps;
  std::optional<Framebuffer> rowSums;
  ResourceCache& cache;
  PassProgram mask{cache, PassShaders::kFlorethMask};
  PassProgram downsampling{cache, PassShaders::kFlorethDownsampling};
  PassProgram maskDownsampling{cache, PassShaders::kFlorethMaskDownsampling};
  PassProgram cornersProgram{cache, PassShaders::kFlorethMaskCorners};
  PassProgram cornersDownsampling{cache, PassShaders::kFlorethCornersDownsampling};
  PassProgram tapsProgram{cache, PassShaders::kFlorethTaps};
  PassProgram rowsProgram{cache, PassShaders::kFlorethRows};
  PassProgram blurProgram{cache, PassShaders::kFlorethBlur};
  PassProgram combine{cache, PassShaders::kFlorethCombine};
};
