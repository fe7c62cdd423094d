#pragma once
// The decisions of the post-processing chain that depend on the pass lists alone: which passes
// run over a layer and in which order, which layers the passes reach into (so the renderer
// draws, clears and sizes them), and where a glow's result goes. Pure functions of a
// PostProcessPipeline; nothing here touches GL.
//
//   const LayerPassPlan plan = PlanLayerPasses(pipeline, framebufferIndex, composite);
//   for (std::size_t index : plan.passes) ...   // list `framebufferIndex`, in list order
//
// Layers are numbered 1..8 as the renderer numbers them; list j belongs to layer j + 1.

#include <cstddef>
#include <vector>

#include "render/post_process_pass.h"

// The layer whose drawing masks the screentone, and the one FXAA builds its result over.
inline constexpr int kScreentoneLayer = 5;
inline constexpr int kFXAALayer = 6;

// Where a glow's glowing image goes (see FlorethChain): laid over the target, with the scratch
// layer keeping only the copy of the source; laid over the target and kept in the scratch layer
// (something reads it later); or laid over the window as the renderer composites the layer.
enum class GlowResult { OverTarget, KeptInScratch, OverWindow };

// The passes one layer's list runs.
struct LayerPassPlan {
  // Indices into the list of the enabled passes, in list order.
  std::vector<std::size_t> passes;
  // The last of them is a glow that lays its result over the window itself: the layer is to be
  // composited and nothing reads it after its passes (ReadAfterItsPasses).
  bool lastGlowOverWindow = false;
};

// The plan of list `framebufferIndex` (0..7; any other index runs nothing). `composite`: the
// renderer composites the layer onto the window after its passes.
LayerPassPlan PlanLayerPasses(const PostProcessPipeline& pipeline, int framebufferIndex,
                              bool composite);

// An enabled pass of any list uses the layer's framebuffer: as the glow's scratch layer, the
// screentone's mask (5), the FXAA target (6); or a pass of its own list could draw something on
// it when nothing else was drawn (an edge outline with a negative threshold). The other passes
// leave an empty layer empty, so such a layer needs neither them nor a clear.
bool UsesLayer(const PostProcessPipeline& pipeline, int layer);
// The layer is used (UsesLayer), or its own list has an enabled glow, which writes its scratch
// layer: the layer's passes must run even when nothing shows it.
bool NeedsHiddenLayer(const PostProcessPipeline& pipeline, int layer);
// The layer's list has an enabled pass other than a fade, or the layer holds a glow's copy of
// its source, or the screentone's (FXAA's) result of such a list is built over a copy of it:
// the layer must be RGBA16F.
bool NeedsHighRange(const PostProcessPipeline& pipeline, int layer);
// An enabled pass of the layer's own list runs over it, or the screentone (FXAA) builds its
// result over a copy of it.
bool ReadByOtherPasses(const PostProcessPipeline& pipeline, int layer);
// The screentone (FXAA) reads the layer's drawing in a pass of any list.
bool ReadAfterItsPasses(const PostProcessPipeline& pipeline, int layer);
// The layer is an enabled glow's scratch layer and nothing else of the chain reads it: the glow
// copies its source over all of it before reading it, so it needs no clear.
bool OverwritesBeforeReading(const PostProcessPipeline& pipeline, int layer);

// Where the glow whose scratch layer is `scratchLayer` puts its result: kept in the scratch
// layer when that layer is composited or read by other passes (it shows what the glow leaves
// there), else over the window when the caller asks for it, else over the target.
GlowResult ChooseGlowResult(const PostProcessPipeline& pipeline, int scratchLayer,
                            bool scratchComposited, bool overWindow);

// A fade pass by `sceneFade` (0 shown .. 1 covered) would give every texel back as it was: no
// fade amount and a finite fade colour (F1..3). Such a pass is not drawn.
bool FadeLeavesImage(const PostProcessPass& pass, float sceneFade);
