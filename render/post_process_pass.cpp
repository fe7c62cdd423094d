#include "render/post_process_pass.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

using nlohmann::json;

namespace {

constexpr const char* kPipelineKey = "PostProcessingPipeline";

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw PipelineReadError(path + ": " + what);
}

// The JSON type of a value, for error texts.
std::string TypeOf(const json& value) { return value.type_name(); }

const json& Member(const json& object, const char* key, const std::string& path) {
  const auto found = object.find(key);
  if (found == object.end()) Fail(path, std::string("no \"") + key + "\"");
  return *found;
}

// A number truncated toward zero; false when it does not fit an int.
bool TruncateToInt(double number, int& value) {
  const double truncated = std::trunc(number);
  if (!std::isfinite(truncated) ||
      truncated < static_cast<double>(std::numeric_limits<int>::min()) ||
      truncated > static_cast<double>(std::numeric_limits<int>::max())) {
    return false;
  }
  value = static_cast<int>(truncated);
  return true;
}

// The entries of an array member, at most kPostProcessValueCount of them (more are cut with a
// log line); `read` turns one entry into a value and throws on a bad one.
template <typename Value, typename Read>
int ReadValues(const json& pass, const char* key, const std::string& path,
               std::array<Value, kPostProcessValueCount>& values, Read read) {
  const json& array = Member(pass, key, path);
  const std::string arrayPath = path + "." + key;
  if (!array.is_array()) Fail(arrayPath, "is " + TypeOf(array) + ", not an array");
  const std::size_t count = std::min<std::size_t>(array.size(), kPostProcessValueCount);
  if (array.size() > count) {
    std::printf("PostProcessing : %s: %zu values, the first %d are kept\n", arrayPath.c_str(),
                array.size(), kPostProcessValueCount);
  }
  for (std::size_t index = 0; index < count; ++index) {
    const json& entry = array[index];
    const std::string entryPath = arrayPath + "[" + std::to_string(index) + "]";
    if (!entry.is_number()) Fail(entryPath, "is " + TypeOf(entry) + ", not a number");
    values[index] = read(entry.get<double>(), entryPath);
  }
  return static_cast<int>(count);
}

}  // namespace

PostProcessPass MakePostProcessPass(int type, const int* ints, int intCount, const float* floats,
                                    int floatCount, bool enabled) {
  PostProcessPass pass;
  pass.type = type;
  pass.intCount = ints != nullptr ? std::clamp(intCount, 0, kPostProcessValueCount) : 0;
  pass.floatCount = floats != nullptr ? std::clamp(floatCount, 0, kPostProcessValueCount) : 0;
  std::copy_n(ints != nullptr ? ints : pass.intData.data(), pass.intCount, pass.intData.begin());
  std::copy_n(floats != nullptr ? floats : pass.floatData.data(), pass.floatCount,
              pass.floatData.begin());
  pass.enabled = enabled;
  return pass;
}

PostProcessPass ReadPostProcessPass(const json& pass, const std::string& path) {
  if (!pass.is_object()) Fail(path, "is " + TypeOf(pass) + ", not an object");

  const json& typeValue = Member(pass, "Type", path);
  if (!typeValue.is_number()) Fail(path + ".Type", "is " + TypeOf(typeValue) + ", not a number");
  int type = -1;
  if (!TruncateToInt(typeValue.get<double>(), type)) type = -1;

  std::array<int, kPostProcessValueCount> ints{};
  const int intCount =
      ReadValues(pass, "IntData", path, ints, [](double number, const std::string& entryPath) {
        int value = 0;
        if (!TruncateToInt(number, value)) Fail(entryPath, "does not fit an int");
        return value;
      });
  std::array<float, kPostProcessValueCount> floats{};
  const int floatCount =
      ReadValues(pass, "FloatData", path, floats, [](double number, const std::string&) {
        constexpr double kLargest = std::numeric_limits<float>::max();
        return static_cast<float>(std::clamp(number, -kLargest, kLargest));
      });

  const json& enabled = Member(pass, "Enabled", path);
  if (!enabled.is_boolean()) Fail(path + ".Enabled", "is " + TypeOf(enabled) + ", not a bool");

  return MakePostProcessPass(type, ints.data(), intCount, floats.data(), floatCount,
                             enabled.get<bool>());
}

void ReadPostProcessingPipeline(const json& settings, PostProcessPipeline& lists) {
  for (auto& list : lists) list.clear();
  if (!settings.is_object()) Fail("settings", "is " + TypeOf(settings) + ", not an object");
  const json& pipeline = Member(settings, kPipelineKey, "settings");
  if (!pipeline.is_array()) Fail(kPipelineKey, "is " + TypeOf(pipeline) + ", not an array");

  const std::size_t listCount = std::min<std::size_t>(pipeline.size(), kPostProcessListCount);
  if (pipeline.size() > listCount) {
    std::printf("PostProcessing : %s: %zu lists, the first %d are kept\n", kPipelineKey,
                pipeline.size(), kPostProcessListCount);
  }
  for (std::size_t list = 0; list < listCount; ++list) {
    const json& passes = pipeline[list];
    const std::string listPath = std::string(kPipelineKey) + "[" + std::to_string(list) + "]";
    if (!passes.is_array()) Fail(listPath, "is " + TypeOf(passes) + ", not an array");
    lists[list].reserve(passes.size());
    for (std::size_t index = 0; index < passes.size(); ++index) {
      lists[list].push_back(
          ReadPostProcessPass(passes[index], listPath + "[" + std::to_string(index) + "]"));
    }
  }
}
