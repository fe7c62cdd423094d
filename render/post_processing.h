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
//
// The pieces: the glow (render/post_processing_glow.h), the kernel passes
// (render/post_processing_kernels.h), the decisions that depend on the pass lists alone
// (render/post_process_plan.h), and the drawing steps the passes share (render/pass_drawing.h).

#include <functional>
#include <glm/glm.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "render/framebuffer.h"
#include "render/pass_program.h"
#include "render/post_process_pass.h"
#include "render/post_process_targets.h"
#include "render/post_processing_glow.h"
#include "render/post_processing_kernels.h"
#include "render/renderer.h"

class ResourceCache;
class Shader;

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

  // LayerPostProcessing: the passes PlanLayerPasses gives for list `framebufferIndex`, source
  // and target both `framebuffer`. A glow that is the list's last pass lays its result over the
  // window itself when the plan says so.
  bool ApplyLayerPasses(int framebufferIndex, Framebuffer& framebuffer, Shader& restoreShader,
                        bool composite) override;
  void ResizeTargets() override;
  // The layer queries of render/post_process_plan.h over the current pass lists.
  bool UsesLayer(int layer) const override;
  bool NeedsHiddenLayer(int layer) const override;
  bool NeedsHighRange(int layer) const override;
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
