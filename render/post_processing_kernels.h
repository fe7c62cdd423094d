#pragma once
// KernelPass: the post-processing passes that run a 3x3 kernel over an image: the Gaussian
// blur, the multi-scale blur (blurs of shrinking radius) and Sobel edges. Main thread, GL
// context current.

#include <array>
#include <optional>

#include "render/framebuffer.h"
#include "render/pass_program.h"
#include "render/post_process_pass.h"
#include "render/post_process_targets.h"

class ResourceCache;
class Shader;

// The 3x3 kernel passes: blur, multi-scale blur and Sobel edges.
class KernelPass {
 public:
  // Row by row, top row first.
  static constexpr std::array<float, 9> kGaussian = {0.0625f, 0.125f,  0.0625f, 0.125f, 0.25f,
                                                     0.125f,  0.0625f, 0.125f,  0.0625f};
  static constexpr std::array<float, 9> kSobelY = {1.0f, 2.0f,  1.0f,  0.0f, 0.0f,
                                                   0.0f, -1.0f, -2.0f, -1.0f};
  static constexpr std::array<float, 9> kSobelX = {1.0f,  0.0f, -1.0f, 2.0f, 0.0f,
                                                   -2.0f, 1.0f, 0.0f,  -1.0f};

  // A blur's draw count and a multi-scale blur's repeats are capped at kMaxDraws, its scale
  // count at kMaxScales (radius 2^(n-1) pixels, n x n draws per repeat).
  static constexpr int kMaxDraws = 64;
  static constexpr int kMaxScales = 8;

  // Builds its programs through `cache`, which must outlive the pass.
  explicit KernelPass(ResourceCache& cache) : cache(cache) {}

  // `readCopy` receives copies of images that are read while they are written.
  void Blur(const Framebuffer& source, Framebuffer& target, int draws, int radius,
            Shader& restoreShader, PostProcessTargets& targets,
            std::optional<Framebuffer>& readCopy);
  void MultiScaleBlur(const Framebuffer& source, Framebuffer& target, int scales, int repeats,
                      Shader& restoreShader, PostProcessTargets& targets,
                      std::optional<Framebuffer>& readCopy);
  void Edge(const PostProcessPass& pass, const Framebuffer& source, Framebuffer& target,
            Shader& restoreShader, PostProcessTargets& targets);
  // The scratch target takes the window's size.
  void ResizeToWindow();

 private:
  std::optional<Framebuffer> scratch;
  ResourceCache& cache;
  PassProgram kernel{cache, PassShaders::kKernel};
  PassProgram edge{cache, PassShaders::kEdge};
};
