// The chain's decisions on the pass lists alone, without GL: which passes run over a layer and
// whether its last glow goes over the window, which layers must be drawn although nothing shows
// them, which are read after their own passes, where a glow leaves its result, and which fades
// would change nothing.

#include "render/post_process_plan.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

namespace {

PostProcessPass Pass(PostProcessType type, std::vector<int> ints, std::vector<float> floats,
                     bool enabled = true) {
  return MakePostProcessPass(static_cast<int>(type), ints.data(), static_cast<int>(ints.size()),
                             floats.data(), static_cast<int>(floats.size()), enabled);
}

using Lists = std::vector<std::pair<int, std::vector<PostProcessPass>>>;

PostProcessPipeline Pipeline(const Lists& lists) {
  PostProcessPipeline pipeline;
  for (const auto& [list, passes] : lists) pipeline[static_cast<std::size_t>(list)] = passes;
  return pipeline;
}

const PostProcessPass kGlowInto7 = Pass(PostProcessType::Floreth, {5, 2, 7}, {1.0f});
const PostProcessPass kDisabledGlow = Pass(PostProcessType::Floreth, {5, 2, 7}, {1.0f}, false);
const PostProcessPass kFade = Pass(PostProcessType::Fade, {}, {0.0f, 0.0f, 0.0f, 0.0f});
const PostProcessPass kDisabledFade = Pass(PostProcessType::Fade, {}, {}, false);
const PostProcessPass kNoir = Pass(PostProcessType::Noir, {4, 4, 0}, {0.1f});
const PostProcessPass kScreentone = Pass(PostProcessType::Screentone, {}, {});
const PostProcessPass kFXAA = Pass(PostProcessType::FXAA, {}, {});
const PostProcessPass kUnknown = Pass(static_cast<PostProcessType>(42), {}, {});

TEST(PostProcessPlan, ALayerRunsItsEnabledPassesInListOrderAndALastGlowMayGoOverTheWindow) {
  const struct {
    const char* name;
    Lists lists;
    int framebufferIndex;
    bool composite;
    std::vector<std::size_t> passes;
    bool lastGlowOverWindow;
  } cases[] = {
      {"an empty list", {}, 0, true, {}, false},
      {"a list index below the lists", {{0, {kNoir}}}, -1, true, {}, false},
      {"a list index past the lists", {{7, {kNoir}}}, 8, true, {}, false},
      {"disabled passes are left out",
       {{2, {kDisabledGlow, kNoir, kDisabledFade, kFade}}},
       2,
       true,
       {1, 3},
       false},
      {"an unknown type still has its place", {{1, {kUnknown, kNoir}}}, 1, true, {0, 1}, false},
      {"a last glow over a composited layer", {{2, {kNoir, kGlowInto7}}}, 2, true, {0, 1}, true},
      {"a glow last among the enabled passes",
       {{2, {kGlowInto7, kDisabledFade}}},
       2,
       true,
       {0},
       true},
      {"a last glow over a layer that is not composited",
       {{2, {kNoir, kGlowInto7}}},
       2,
       false,
       {0, 1},
       false},
      {"a glow followed by a fade", {{2, {kGlowInto7, kFade}}}, 2, true, {0, 1}, false},
      // The screentone reads layer 5's drawing after layer 5's passes, so the glow must leave its
      // result in the layer.
      {"a last glow over the screentone's layer",
       {{0, {kScreentone}}, {4, {kGlowInto7}}},
       4,
       true,
       {0},
       false},
      {"a last glow over the FXAA's layer", {{0, {kFXAA}}, {5, {kGlowInto7}}}, 5, true, {0}, false},
      {"a last glow over the screentone's layer when it does not run",
       {{4, {kGlowInto7}}},
       4,
       true,
       {0},
       true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const LayerPassPlan plan =
        PlanLayerPasses(Pipeline(test.lists), test.framebufferIndex, test.composite);
    EXPECT_EQ(plan.passes, test.passes);
    EXPECT_EQ(plan.lastGlowOverWindow, test.lastGlowOverWindow);
  }
}

// The layers the renderer draws although nothing may show them, and those read after their
// own passes (by the screentone or FXAA) or by any pass at all.
TEST(PostProcessPlan, LayersDrawnForThePassesAndLayersReadByThem) {
  const struct {
    const char* name;
    Lists lists;
    std::vector<int> hiddenLayers;
    std::vector<int> readAfterTheirPasses;
    std::vector<int> readByOtherPasses;
  } cases[] = {
      {"no passes", {}, {}, {}, {}},
      {"a fade", {{0, {kFade}}}, {}, {}, {1}},
      {"a disabled pass", {{0, {kDisabledGlow}}}, {}, {}, {}},
      // The glow's own layer must run its passes to write the scratch layer, which it uses.
      {"the menu's glow", {{2, {kGlowInto7, kFade}}}, {3, 7}, {}, {3}},
      {"a glow into a layer with passes of its own",
       {{2, {kGlowInto7}}, {6, {kNoir}}},
       {3, 7},
       {},
       {3, 7}},
      {"screentone and FXAA", {{0, {kScreentone, kFXAA}}}, {5, 6}, {5, 6}, {1, 5, 6}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const PostProcessPipeline pipeline = Pipeline(test.lists);
    std::vector<int> hidden;
    std::vector<int> readAfter;
    std::vector<int> readByOthers;
    for (int layer = 0; layer <= 9; ++layer) {
      if (NeedsHiddenLayer(pipeline, layer)) hidden.push_back(layer);
      if (ReadAfterItsPasses(pipeline, layer)) readAfter.push_back(layer);
      if (ReadByOtherPasses(pipeline, layer)) readByOthers.push_back(layer);
    }
    EXPECT_EQ(hidden, test.hiddenLayers);
    EXPECT_EQ(readAfter, test.readAfterTheirPasses);
    EXPECT_EQ(readByOthers, test.readByOtherPasses);
  }
}

TEST(PostProcessPlan, AGlowKeepsItsResultInAScratchLayerThatIsShownOrReadAgain) {
  const struct {
    const char* name;
    Lists lists;
    bool scratchComposited;
    bool overWindow;
    GlowResult result;
  } cases[] = {
      {"nothing else reads the scratch layer",
       {{2, {kGlowInto7}}},
       false,
       false,
       GlowResult::OverTarget},
      {"over the window when asked", {{2, {kGlowInto7}}}, false, true, GlowResult::OverWindow},
      {"a composited scratch layer", {{2, {kGlowInto7}}}, true, true, GlowResult::KeptInScratch},
      {"a scratch layer with passes of its own",
       {{2, {kGlowInto7}}, {6, {kNoir}}},
       false,
       true,
       GlowResult::KeptInScratch},
      {"a scratch layer whose only pass is disabled",
       {{2, {kGlowInto7}}, {6, {kDisabledFade}}},
       false,
       true,
       GlowResult::OverWindow},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(ChooseGlowResult(Pipeline(test.lists), 7, test.scratchComposited, test.overWindow),
              test.result);
  }
  // The screentone reads layer 5 after its passes: a glow using it as scratch keeps its result.
  EXPECT_EQ(ChooseGlowResult(Pipeline({{0, {kScreentone}}}), 5, false, true),
            GlowResult::KeptInScratch);
}

TEST(PostProcessPlan, AFadeByNothingTowardsAFiniteColourIsNotDrawn) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* name;
    std::vector<float> floats;
    float sceneFade;
    bool leavesImage;
  } cases[] = {
      {"no fade", {0.0f, 0.2f, 0.4f, 0.6f}, 0.0f, true},
      {"a fade below nothing", {0.0f, 0.2f, 0.4f, 0.6f}, -0.5f, true},
      {"a colour left out is black", {}, 0.0f, true},
      {"a part of the way", {0.0f, 0.2f, 0.4f, 0.6f}, 0.25f, false},
      {"all the way", {0.0f, 0.2f, 0.4f, 0.6f}, 1.0f, false},
      // Mixing by 0 with NaN or infinity is not the image: the shader gives NaN.
      {"a colour that is not a number", {0.0f, nan, 0.0f, 0.0f}, 0.0f, false},
      {"an infinite colour", {0.0f, 0.0f, 0.0f, inf}, 0.0f, false},
      // F0 is not part of the colour.
      {"an infinite first float", {inf, 0.0f, 0.0f, 0.0f}, 0.0f, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(FadeLeavesImage(Pass(PostProcessType::Fade, {}, test.floats), test.sceneFade),
              test.leavesImage);
  }
}

}  // namespace
