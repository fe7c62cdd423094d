// Pass lists from scene settings, without a GL context: the reader's table of shapes and
// limits, and how the chain takes new settings and the main-menu fade.

#include "render/post_processing.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "render/gpu_backend.h"
#include "render/post_process_pass.h"
#include "render/resource_cache.h"

namespace {

using nlohmann::json;

PostProcessPass Pass(int type, std::vector<int> ints, std::vector<float> floats, bool enabled) {
  return MakePostProcessPass(type, ints.data(), static_cast<int>(ints.size()), floats.data(),
                             static_cast<int>(floats.size()), enabled);
}

json PassJson(json type, json ints, json floats, json enabled) {
  return {{"Type", type}, {"IntData", ints}, {"FloatData", floats}, {"Enabled", enabled}};
}

json Settings(json lists) { return {{"PostProcessingPipeline", lists}}; }

// The lists a reader should produce: list index and its passes; unnamed lists are empty.
using ExpectedLists = std::vector<std::pair<int, std::vector<PostProcessPass>>>;

TEST(PostProcessPipelineReader, ReadsListsPassesAndCutsWhatDoesNotFit) {
  const json sample = PassJson(4, {6, 4, 4}, {0.25}, true);
  const PostProcessPass samplePass = Pass(4, {6, 4, 4}, {0.25f}, true);
  std::vector<json> elevenInts(11, 1);
  std::vector<json> twelveFloats(12, 0.5);
  std::vector<json> nineLists(9, json::array());
  nineLists[8] = json::array({sample});

  const struct {
    const char* name;
    json settings;
    ExpectedLists expected;
    const char* log;  // a line the read must print, or "" for none
  } cases[] = {
      {"an empty inner list leaves that list empty",
       Settings({json::array(), json::array({sample})}),
       {{1, {samplePass}}},
       ""},
      {"passes keep their order",
       Settings({json::array({sample, PassJson(6, json::array(), json::array(), true)})}),
       {{0, {samplePass, Pass(6, {}, {}, true)}}},
       ""},
      {"a disabled pass is read with its flag off",
       Settings({json::array({PassJson(5, json::array(), json::array(), false)})}),
       {{0, {Pass(5, {}, {}, false)}}},
       ""},
      {"no lists at all", Settings(json::array()), {}, ""},
      {"a fractional type and fractional ints are truncated toward zero",
       Settings({json::array({PassJson(4.9, {2.7, -1.5}, json::array(), true)})}),
       {{0, {Pass(4, {2, -1}, {}, true)}}},
       ""},
      {"a type beyond the int range is a type that does nothing",
       Settings({json::array({PassJson(1e12, json::array(), json::array(), true)})}),
       {{0, {Pass(-1, {}, {}, true)}}},
       ""},
      {"more than 10 ints: the first 10 are kept",
       Settings({json::array({PassJson(1, elevenInts, json::array(), true)})}),
       {{0, {Pass(1, std::vector<int>(10, 1), {}, true)}}},
       "PostProcessing : PostProcessingPipeline[0][0].IntData: 11 values, the first 10 are kept"},
      {"more than 10 floats: the first 10 are kept",
       Settings({json::array(), json::array({PassJson(3, json::array(), twelveFloats, true)})}),
       {{1, {Pass(3, {}, std::vector<float>(10, 0.5f), true)}}},
       "PostProcessing : PostProcessingPipeline[1][0].FloatData: 12 values, the first 10 are "
       "kept"},
      {"more than 8 lists: the ninth is dropped",
       Settings(nineLists),
       {},
       "PostProcessing : PostProcessingPipeline: 9 lists, the first 8 are kept"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    PostProcessPipeline lists;
    lists[7].push_back(samplePass);  // what an earlier read left: replaced
    testing::internal::CaptureStdout();
    ASSERT_NO_THROW(ReadPostProcessingPipeline(test.settings, lists));
    const std::string log = testing::internal::GetCapturedStdout();
    if (*test.log == '\0') {
      EXPECT_EQ(log, "");
    } else {
      EXPECT_NE(log.find(test.log), std::string::npos) << log;
    }
    PostProcessPipeline expected;
    for (const auto& [index, passes] : test.expected)
      expected[static_cast<std::size_t>(index)] = passes;
    EXPECT_EQ(lists, expected);
  }
}

TEST(PostProcessPipelineReader, WrongShapesThrowNamingTheJsonPath) {
  const json good = PassJson(4, {1}, {0.5}, true);
  const auto inFirstList = [](json pass) { return Settings({json::array({pass})}); };
  json noEnabled = good;
  noEnabled.erase("Enabled");
  json noType = good;
  noType.erase("Type");

  const struct {
    const char* name;
    json settings;
    const char* error;
  } cases[] = {
      {"settings that are not an object", json::array({1}), "settings: is array, not an object"},
      {"no pipeline", json::object(), "settings: no \"PostProcessingPipeline\""},
      {"a pipeline that is not an array", Settings(json::object()),
       "PostProcessingPipeline: is object, not an array"},
      {"a list that is not an array", Settings({json::array(), 3}),
       "PostProcessingPipeline[1]: is number, not an array"},
      {"a pass that is not an object", inFirstList("fade"),
       "PostProcessingPipeline[0][0]: is string, not an object"},
      {"a type that is not a number",
       inFirstList(PassJson("Fade", json::array(), json::array(), true)),
       "PostProcessingPipeline[0][0].Type: is string, not a number"},
      {"no type", inFirstList(noType), "PostProcessingPipeline[0][0]: no \"Type\""},
      {"ints that are not an array", inFirstList(PassJson(1, 3, json::array(), true)),
       "PostProcessingPipeline[0][0].IntData: is number, not an array"},
      {"an int that is not a number", inFirstList(PassJson(1, {1, "2"}, json::array(), true)),
       "PostProcessingPipeline[0][0].IntData[1]: is string, not a number"},
      {"an int beyond the int range", inFirstList(PassJson(1, {1e10}, json::array(), true)),
       "PostProcessingPipeline[0][0].IntData[0]: does not fit an int"},
      {"a float that is not a number", inFirstList(PassJson(1, json::array(), {json()}, true)),
       "PostProcessingPipeline[0][0].FloatData[0]: is null, not a number"},
      {"an enabled flag that is not a bool",
       inFirstList(PassJson(1, json::array(), json::array(), 1)),
       "PostProcessingPipeline[0][0].Enabled: is number, not a bool"},
      {"no enabled flag", inFirstList(noEnabled), "PostProcessingPipeline[0][0]: no \"Enabled\""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    PostProcessPipeline lists;
    try {
      ReadPostProcessingPipeline(test.settings, lists);
      ADD_FAILURE() << "no error";
    } catch (const PipelineReadError& error) {
      EXPECT_STREQ(error.what(), test.error);
    }
  }
}

TEST(PostProcessPass, CountsAreClampedAndValuesBeyondThemAreZero) {
  const int ints[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const float floats[2] = {0.5f, 0.25f};
  const PostProcessPass many = MakePostProcessPass(2, ints, 12, floats, 1, true);
  EXPECT_EQ(many.intCount, 10);
  EXPECT_EQ(many.intData[9], 10);
  EXPECT_EQ(many.floatCount, 1);
  EXPECT_EQ(many.floatData[1], 0.0f);

  const PostProcessPass none = MakePostProcessPass(2, nullptr, 5, floats, -3, false);
  EXPECT_EQ(none.intCount, 0);
  EXPECT_EQ(none.floatCount, 0);
  EXPECT_EQ(none.intData, (std::array<int, 10>{}));
  EXPECT_EQ(none.floatData, (std::array<float, 10>{}));
}

// Targets for a chain that never draws here.
class NoTargets final : public PostProcessTargets {
 public:
  Framebuffer* LayerFramebuffer(int) override { return nullptr; }
  void BindLayer(int) override {}
  void SetBlendFunc(unsigned int, unsigned int) override {}
  unsigned int BlendSource() const override { return 0; }
  unsigned int BlendDestination() const override { return 0; }
};

TEST(PostProcessingChain, NewSettingsReplaceTheListsOnlyWhenTheyReadWhole) {
  NoTargets targets;
  ResourceCache cache(std::make_unique<RecordingGpuBackend>());
  PostProcessingChain chain(targets, cache);
  const json glowInMenuList =
      Settings({json::array(), json::array(), json::array({PassJson(0, {5, 2, 7}, {1.0}, true)})});
  chain.ApplySceneSettings(glowInMenuList);
  ASSERT_EQ(chain.Pipeline()[2].size(), 1u);

  testing::internal::CaptureStdout();
  chain.ApplySceneSettings(
      Settings({json::array({PassJson(6, json::array(), json::array(), "yes")})}));
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_NE(log.find("PostProcessing : scene settings not used, the current passes stay: "
                     "PostProcessingPipeline[0][0].Enabled: is string, not a bool"),
            std::string::npos)
      << log;
  EXPECT_EQ(chain.Pipeline()[2].size(), 1u);
  EXPECT_TRUE(chain.Pipeline()[0].empty());
}

TEST(PostProcessingChain, MainMenuFadeWritesTheFirstFloatOfTheFirstPassOfList2) {
  NoTargets targets;
  ResourceCache cache(std::make_unique<RecordingGpuBackend>());
  PostProcessingChain chain(targets, cache);
  chain.ApplySceneSettings(Settings({json::array(), json::array(),
                                     json::array({PassJson(0, {5, 2, 7}, {1.0, 0.3}, true),
                                                  PassJson(6, json::array(), {1.0}, true)})}));
  chain.SetMainMenuFade(0.25f);
  EXPECT_EQ(chain.Pipeline()[2][0].floatData[0], 0.25f);
  EXPECT_EQ(chain.Pipeline()[2][0].floatData[1], 0.3f);
  EXPECT_EQ(chain.Pipeline()[2][1].floatData[0], 1.0f);

  // Settings read later replace the lists; the fade then writes into the new ones, and into
  // nothing when list 2 is empty.
  chain.ApplySceneSettings(Settings({json::array({PassJson(6, json::array(), {0.9}, true)})}));
  chain.SetMainMenuFade(0.5f);
  EXPECT_TRUE(chain.Pipeline()[2].empty());
  EXPECT_EQ(chain.Pipeline()[0][0].floatData[0], 0.9f);
}

// Which layers the renderer must clear for the passes, which must be RGBA16F, and which only
// hold a glow's copy (overwritten whole before anything reads them), for the pass lists of the
// game's modes and the passes that reach into other layers.
TEST(PostProcessingChain, LayersThePassesUseAndTheirColourRange) {
  const PostProcessPass fade = Pass(6, {}, {0.0f, 0.0f, 0.0f, 0.0f}, true);
  const PostProcessPass noir = Pass(9, {4, 4, 0}, {0.1f}, true);
  const PostProcessPass glowInto7 = Pass(0, {5, 2, 7}, {1.0f}, true);
  const PostProcessPass edge = Pass(3, {0}, {0.25f, 1.0f, 3.0f}, true);
  const PostProcessPass edgeBelowZero = Pass(3, {0}, {-0.1f, 1.0f, 3.0f}, true);
  const PostProcessPass screentone = Pass(7, {}, {}, true);
  const PostProcessPass fxaa = Pass(8, {}, {}, true);
  const PostProcessPass glowInto5 = Pass(0, {5, 2, 5}, {1.0f}, true);
  const PostProcessPass disabledGlow = Pass(0, {5, 2, 7}, {1.0f}, false);
  const struct {
    const char* name;
    std::vector<std::pair<int, std::vector<PostProcessPass>>> lists;
    std::vector<int> usedLayers;
    std::vector<int> highRangeLayers;
    std::vector<int> overwrittenLayers;
  } cases[] = {
      {"no passes", {}, {}, {}, {}},
      // Passes over a layer that holds nothing leave it so; a fade is as good in 8 bits.
      {"fades", {{0, {fade}}, {1, {fade}}}, {}, {}, {}},
      {"noir and a fade", {{0, {noir, fade}}, {1, {fade}}}, {}, {1}, {}},
      {"an edge outline", {{0, {edge}}}, {}, {1}, {}},
      {"an edge outline below zero outlines a flat layer", {{1, {edgeBelowZero}}}, {2}, {2}, {}},
      {"the menu's glow", {{2, {glowInto7, fade}}}, {7}, {3, 7}, {7}},
      {"a disabled glow", {{2, {disabledGlow}}}, {}, {}, {}},
      // What the glow leaves in its scratch layer is read again there.
      {"a glow into a layer with passes of its own",
       {{2, {glowInto7}}, {6, {noir}}},
       {7},
       {3, 7},
       {}},
      {"a glow into the screentone's layer", {{0, {glowInto5, screentone}}}, {5}, {1, 5}, {}},
      {"screentone and FXAA build over copies of their layers",
       {{0, {screentone, fxaa}}},
       {5, 6},
       {1, 5, 6},
       {}},
      {"FXAA of the second layer", {{0, {fade}}, {1, {fxaa}}}, {6}, {2, 6}, {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    NoTargets targets;
    ResourceCache cache(std::make_unique<RecordingGpuBackend>());
    PostProcessingChain chain(targets, cache);
    PostProcessPipeline lists;
    for (const auto& [list, passes] : test.lists) lists[static_cast<std::size_t>(list)] = passes;
    chain.SetPipeline(lists);
    std::vector<int> used;
    std::vector<int> highRange;
    std::vector<int> overwritten;
    for (int layer = 1; layer <= 8; ++layer) {
      if (chain.UsesLayer(layer)) used.push_back(layer);
      if (chain.NeedsHighRange(layer)) highRange.push_back(layer);
      if (chain.OverwritesBeforeReading(layer)) overwritten.push_back(layer);
    }
    EXPECT_EQ(used, test.usedLayers);
    EXPECT_EQ(highRange, test.highRangeLayers);
    EXPECT_EQ(overwritten, test.overwrittenLayers);
  }
}

}  // namespace
