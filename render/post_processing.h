#pragma once
// PostProcessingChain: the full-screen passes the renderer runs over each layer framebuffer
// after the layer is drawn and before it is composited onto the window.
//
//   PostProcessingChain chain(targets);   // targets: the renderer's layers (RendererTargets)
//   renderer.SetPostProcessing(&chain);   // Render calls ApplyLayerPasses per framebuffer
//   sceneSystem.SetSettingsSink(&chain);  // each scene's settings replace the pass lists
//
// The pass lists come from the scene settings (render/post_process_pass.h): list j belongs to
// framebuffer j, which draws layer j + 1. The enabled passes of a list run in list order. Each
// pass draws full-screen quads through framebuffers with a program of FramebufferVertexShader
// and a fragment shader of GAME/Shaders/Fragment/ (see PassShaders below), alpha-blended over
// what the target holds, and ends with the restore program in use, the caller's blend factors
// and viewport back and the window's framebuffer bound. The caller binds the full-screen quad
// (the renderer's FramebufferMesh) and disables the depth test before the first pass.
//
// Parameters (I[n] int, F[n] float of the pass):
//   Floreth        I0 levels (at most 9), F0 intensity threshold, I1 blur radius,
//                  I2 layer (1..8) whose framebuffer holds the copy the glow is added to
//   Blur           I0 draws (each blurs the last result again; at most KernelPass::kMaxDraws),
//                  I1 radius in pixels between taps
//   MultiScaleBlur I0 scales (at most KernelPass::kMaxScales): radii 2^(I0-1) ... 1, each
//                  with I0 draws, I1 times (at most KernelPass::kMaxDraws)
//   Edge           I0 non-zero: edges of the depth texture, else of the colour; F0 threshold,
//                  F1 thickness, F2 contrast, F3..5 edge colour
//   Posterization  I0 hue count, I1 saturation count, I2 lightness count, F0 hue shift (turns)
//   Noir           as Posterization, plus the engine's global shader values
//   ToneMapping    none
//   Fade           F1..3 fade colour; the amount is the scene fade (SetSceneFadeSource); with
//                  no amount nothing is drawn, as the image would stay as it is
//   Screentone     none; layer 5's drawing is the mask, GAME/Assets/Textures/Particles/
//                  particle.png the dot, the scene camera's position anchors the pattern
//   FXAA           none; layer 6's framebuffer holds the result before it is copied back
// Sizes given to the shaders ("viewPortDimensions", "screenDimensions", the screentone's cell
// of height / 200 pixels) are those of the framebuffer being processed, which is the window's
// size for the renderer's layers.
//
// No pass samples a texture it is drawing into. When the source is the target (always so in
// the renderer), the pass reads a copy of the source taken just before the draw, which gives
// exactly what reading the untouched image would give; a blur's later draws read a copy of the
// last result. The screentone and FXAA results are built in a scratch target that starts as a
// copy of layer 5's (6's) drawing, so those layers keep what was drawn into them; the glow
// refuses a scratch layer that is the layer being processed, and its copy of the source there
// is texel-exact, so a glow earlier in the frame that used the same layer leaves no trace.
//
// Errors: a glow scratch layer outside 1..8 (or the processed layer itself) skips the pass
// with one log line per value; missing shader or texture files follow the resource cache
// (an empty stage, a placeholder texture). Settings of the wrong shape are reported and the
// current lists stay. Programs, the particle texture and the scratch targets are made on first
// use and kept; programs and textures belong to the resource cache and are looked up again
// after it has been cleared. Main thread, GL context current.

#include <array>
#include <functional>
#include <glm/glm.hpp>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>
#include "render/framebuffer.h"
#include "render/post_process_pass.h"
#include "render/renderer.h"

class ResourceCache;
class Shader;

// What the passes need from the renderer: its layer framebuffers and the blend state it keeps.
class PostProcessTargets {
 public:
  virtual ~PostProcessTargets() = default;
  // The framebuffer of layer 1..8, or null for any other number.
  virtual Framebuffer* LayerFramebuffer(int layer) = 0;
  // Binds a layer's framebuffer; 0 binds the window's.
  virtual void BindLayer(int layer) = 0;
  virtual void SetBlendFunc(unsigned int source, unsigned int destination) = 0;
  virtual unsigned int BlendSource() const = 0;
  virtual unsigned int BlendDestination() const = 0;
};

// The renderer's layers as PostProcessTargets.
class RendererTargets final : public PostProcessTargets {
 public:
  explicit RendererTargets(Renderer& renderer) : renderer(renderer) {}
  Framebuffer* LayerFramebuffer(int layer) override;
  void BindLayer(int layer) override { renderer.BindLayer(layer); }
  void SetBlendFunc(unsigned int source, unsigned int destination) override {
    renderer.SetBlendFunc(source, destination);
  }
  unsigned int BlendSource() const override { return renderer.BlendSource(); }
  unsigned int BlendDestination() const override { return renderer.BlendDestination(); }

 private:
  Renderer& renderer;
};

// The fragment shaders of the passes.
namespace PassShaders {
inline constexpr const char* kVertex = "./GAME/Shaders/Vertex/FramebufferVertexShader.glsl";
inline constexpr const char* kFlorethMask = "./GAME/Shaders/Fragment/FlorethMaskShader.glsl";
inline constexpr const char* kFlorethDownsampling =
    "./GAME/Shaders/Fragment/FlorethDownsamplingShader.glsl";
inline constexpr const char* kFlorethMaskDownsampling =
    "./GAME/Shaders/Fragment/FlorethMaskDownsamplingShader.glsl";
inline constexpr const char* kFlorethMaskCorners =
    "./GAME/Shaders/Fragment/FlorethMaskCornersShader.glsl";
inline constexpr const char* kFlorethCornersDownsampling =
    "./GAME/Shaders/Fragment/FlorethCornersDownsamplingShader.glsl";
inline constexpr const char* kFlorethTaps = "./GAME/Shaders/Fragment/FlorethTapsShader.glsl";
inline constexpr const char* kFlorethRows = "./GAME/Shaders/Fragment/FlorethRowsShader.glsl";
inline constexpr const char* kFlorethBlur = "./GAME/Shaders/Fragment/FlorethBlurShader.glsl";
inline constexpr const char* kFlorethCombine = "./GAME/Shaders/Fragment/FlorethCombineShader.glsl";
inline constexpr const char* kKernel = "./GAME/Shaders/Fragment/KernelShader.glsl";
inline constexpr const char* kEdge = "./GAME/Shaders/Fragment/KernelShaderEdge.glsl";
inline constexpr const char* kPosterization = "./GAME/Shaders/Fragment/PosterizationShader.glsl";
inline constexpr const char* kToneMapping = "./GAME/Shaders/Fragment/ToneMappingShader.glsl";
inline constexpr const char* kFade = "./GAME/Shaders/Fragment/FadeShader.glsl";
inline constexpr const char* kScreentone = "./GAME/Shaders/Fragment/ScreentoneShader.glsl";
inline constexpr const char* kFXAA = "./GAME/Shaders/Fragment/FXAAShader.glsl";
inline constexpr const char* kNoir = "./GAME/Shaders/Fragment/NoirShader.glsl";
inline constexpr const char* kParticleTexture = "./GAME/Assets/Textures/Particles/particle.png";
}  // namespace PassShaders

// A pass program, built through the resource cache on first use.
class PassProgram {
 public:
  // `cache` must outlive the program.
  PassProgram(ResourceCache& cache, const char* fragmentPath);
  // The program, made current; null when it cannot be built (then nothing is drawn with it).
  Shader* Use();
  // How often the program was looked up anew (first use, or a cache that was cleared).
  int Lookups() const { return lookups; }

 private:
  ResourceCache& cache;
  const char* fragmentPath;
  std::string cacheFragmentPath;  // the path as the cache records it
  int program = -1;
  int lookups = 0;
};

// The glow's pyramid: level k is (W >> k) x (H >> k) of the processed image (at least 1 x 1).
class FlorethChain {
 public:
  static constexpr int kLevels = 9;

  // Where the glowing image goes: laid over `target`, with `scratch` keeping only the copy of
  // the source; laid over `target` and kept in `scratch` (something reads it later); or, with
  // neither `scratch` nor `target` touched, what laying it over the target would leave there
  // laid over the bound window (as the renderer composites a layer).
  enum class Result { OverTarget, KeptInScratch, OverWindow };

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

class PostProcessingChain final : public LayerPostProcessing {
 public:
  // `targets` and `cache` (which builds the passes' programs and textures) must outlive the
  // chain.
  PostProcessingChain(PostProcessTargets& targets, ResourceCache& cache);
  ~PostProcessingChain() override;
  PostProcessingChain(const PostProcessingChain&) = delete;
  PostProcessingChain& operator=(const PostProcessingChain&) = delete;

  // The chain of the living render context, or null when there is none.
  static PostProcessingChain* FindInstance();

  // Runs the pass of the record's type over `source` into `target` (they may be one
  // framebuffer). A disabled pass or an unknown type does nothing.
  void ApplyPostProcessPass(const PostProcessPass& pass, const Framebuffer& source,
                            Framebuffer& target, Shader& restoreShader);

  // LayerPostProcessing: the enabled passes of list `framebufferIndex`, source and target
  // both `framebuffer`.
  // A glow that is the list's last pass lays its result over the window itself when the layer
  // is to be composited and nothing reads the layer later (see ReadAfterItsPasses).
  bool ApplyLayerPasses(int framebufferIndex, Framebuffer& framebuffer, Shader& restoreShader,
                        bool composite) override;
  void ResizeTargets() override;
  // An enabled pass of any list uses the layer's framebuffer: as the glow's scratch layer, the
  // screentone's mask (5), the FXAA target (6); or a pass of its own list could draw something
  // on it when nothing else was drawn (an edge outline with a negative threshold). The other
  // passes leave an empty layer empty, so such a layer needs neither them nor a clear.
  bool UsesLayer(int layer) const override;
  // A pass uses the layer (UsesLayer), or its own list has an enabled glow, which writes its
  // scratch layer.
  bool NeedsHiddenLayer(int layer) const override;
  // The layer's list has an enabled pass other than a fade (see NeedsHighRangeImage in the
  // .cpp), or the layer holds the glow's copy of its source, or the screentone's (FXAA's)
  // result of such a list is built over a copy of it.
  bool NeedsHighRange(int layer) const override;
  // The layer is an enabled glow's scratch layer and nothing else of the chain reads it (see
  // ReadByOtherPasses): the glow copies its source over all of it before reading it.
  bool OverwritesBeforeReading(int layer) const override;

  // Replaces the pass lists with those of a scene settings document (its
  // "PostProcessingPipeline" member), only when the whole document reads.
  void ApplySceneSettings(const nlohmann::json& settings);
  // F0 of the first pass of list 2, when there is one.
  void SetMainMenuFade(float value);

  const PostProcessPipeline& Pipeline() const { return pipeline; }
  void SetPipeline(PostProcessPipeline lists) { pipeline = std::move(lists); }

  // The scene fade (0 shown .. 1 covered) the Fade pass uses; unset: 0.
  void SetSceneFadeSource(std::function<float()> source) { sceneFade = std::move(source); }
  // The scene camera's position the screentone pattern follows; unset: the origin.
  void SetCameraPositionSource(std::function<glm::vec3()> source) {
    cameraPosition = std::move(source);
  }

 private:
  // Colour-only passes that draw the source once through their program.
  void ApplySinglePass(PassProgram& program, const PostProcessPass& pass, const Framebuffer& source,
                       Framebuffer& target, Shader& restoreShader);
  // Screentone and FXAA: the result is built over a copy of `layer`'s drawing.
  void ApplyLayerTexturePass(PassProgram& program, int layer, const Framebuffer& source,
                             Framebuffer& target, Shader& restoreShader);
  // False when the glow was skipped.
  bool ApplyFloreth(const PostProcessPass& pass, const Framebuffer& source, Framebuffer& target,
                    Shader& restoreShader, bool overWindow);
  int ParticleTexture();
  float SceneFade() const;
  // A Fade pass that would leave the image as it is (no fade amount, a finite colour).
  bool IsNoFade(const PostProcessPass& pass) const;
  // An enabled pass of the layer's own list runs over it, or the screentone (FXAA) builds its
  // result over a copy of it.
  bool ReadByOtherPasses(int layer) const;
  // The screentone (FXAA) reads the layer's drawing in a pass of any list.
  bool ReadAfterItsPasses(int layer) const;
  // Logs a refused glow scratch layer once per value.
  void ReportGlowLayer(int layer, const char* why);

  PostProcessTargets& targets;
  ResourceCache& cache;
  PostProcessPipeline pipeline;
  std::function<float()> sceneFade;
  std::function<glm::vec3()> cameraPosition;

  FlorethChain floreth{cache};
  KernelPass kernelPass{cache};
  PassProgram posterization{cache, PassShaders::kPosterization};
  PassProgram toneMapping{cache, PassShaders::kToneMapping};
  PassProgram fade{cache, PassShaders::kFade};
  PassProgram screentone{cache, PassShaders::kScreentone};
  PassProgram fxaa{cache, PassShaders::kFXAA};
  PassProgram noir{cache, PassShaders::kNoir};
  int particleTexture = -1;
  int particleTextureLookup = -1;  // the screentone program lookup the texture was found with

  // A copy of the image a pass reads while it writes it, and the screentone/FXAA result.
  std::optional<Framebuffer> readCopy;
  std::optional<Framebuffer> layerWork;
  std::set<int> reportedGlowLayers;
};
