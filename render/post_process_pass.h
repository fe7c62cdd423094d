#pragma once
// Post-processing passes as data: the record of one full-screen pass and the reader of the
// "PostProcessingPipeline" entry of a scene settings document.
//
//   PostProcessPipeline lists;                        // eight lists, one per layer framebuffer
//   ReadPostProcessingPipeline(settings, lists);      // throws PipelineReadError on bad shapes
//   for (const PostProcessPass& pass : lists[0]) ...  // framebuffer 0 draws layer 1
//
// A settings document looks like
//   { "PostProcessingPipeline": [ [ {"Type": 4, "IntData": [6, 4, 4], "FloatData": [0.0],
//                                    "Enabled": true} ], [], ... ] }
// Outer entry j is the list of the renderer's framebuffer j, which draws layer j + 1. The passes
// of a list run in the order written; there is no built-in order per graphics mode.
//
// Limits: at most kPostProcessListCount lists and kPostProcessValueCount ints and floats per
// pass. Longer arrays are cut to the limit with a log line "PostProcessing : <path>: ...".
// Shape errors (the settings not an object, a list or "IntData" not an array, "Type" not a
// number, "Enabled" not a bool, a value not a number, a missing key) throw PipelineReadError
// naming the JSON path; the lists are then left as the reader found them half-way, so callers
// read into fresh lists and keep their old ones on failure.

#include <array>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

// The pass kinds, by their code in the settings files.
enum class PostProcessType : int {
  Floreth = 0,  // glow: threshold mask, downsampled pyramid, blurred and added back
  Blur = 1,
  MultiScaleBlur = 2,
  Edge = 3,
  Posterization = 4,
  ToneMapping = 5,
  Fade = 6,
  Screentone = 7,
  FXAA = 8,
  Noir = 9,
};

inline constexpr int kPostProcessListCount = 8;
inline constexpr int kPostProcessValueCount = 10;

// One pass. Parameters beyond the counts are zero.
struct PostProcessPass {
  int type = -1;  // a PostProcessType code; other codes do nothing
  std::array<int, kPostProcessValueCount> intData{};
  int intCount = 0;
  std::array<float, kPostProcessValueCount> floatData{};
  int floatCount = 0;
  bool enabled = false;

  friend bool operator==(const PostProcessPass&, const PostProcessPass&) = default;
};

// The pass lists of the layer framebuffers, list j for framebuffer j.
using PostProcessPipeline = std::array<std::vector<PostProcessPass>, kPostProcessListCount>;

// A settings document of the wrong shape; what() names the JSON path and what is wrong.
class PipelineReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A pass with the first `intCount` of `ints` and `floatCount` of `floats` (counts clamped to
// 0..kPostProcessValueCount; null arrays count as empty).
PostProcessPass MakePostProcessPass(int type, const int* ints, int intCount, const float* floats,
                                    int floatCount, bool enabled);

// Reads one pass object ("Type", "IntData", "FloatData", "Enabled"). "Type" is truncated toward
// zero (a value outside the int range gives -1, a pass that does nothing); "IntData" entries are
// truncated likewise and must fit an int. `path` names the object in errors and log lines.
PostProcessPass ReadPostProcessPass(const nlohmann::json& pass, const std::string& path = "pass");

// Empties the eight lists, then appends the passes of outer entry j to list j.
void ReadPostProcessingPipeline(const nlohmann::json& settings, PostProcessPipeline& lists);
