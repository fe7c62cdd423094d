#include "render/material.h"

#include <cstdio>
#include <string>

#include "render/resource_cache.h"

namespace {

using nlohmann::json;

void Report(std::string_view fileName, std::string_view key, const std::string& what) {
  std::printf("Material : %.*s: \"%.*s\" %s\n", static_cast<int>(fileName.size()), fileName.data(),
              static_cast<int>(key.size()), key.data(), what.c_str());
}

std::string Describe(const glm::vec3& value) {
  char text[96];
  std::snprintf(text, sizeof text, "(%g, %g, %g)", value.x, value.y, value.z);
  return text;
}

void ReadVector(const json& document, const char* key, glm::vec3& target,
                std::string_view fileName) {
  const auto found = document.find(key);
  if (found == document.end()) return;
  const json& value = *found;
  const auto number = [&](const char* member) {
    return value.is_object() && value.contains(member) && value[member].is_number();
  };
  if (!number("x") || !number("y") || !number("z")) {
    Report(fileName, key,
           "must be an object with numbers \"x\", \"y\" and \"z\"; keeping " + Describe(target));
    return;
  }
  target = {value["x"].get<float>(), value["y"].get<float>(), value["z"].get<float>()};
}

void ReadNumber(const json& document, const char* key, float& target, std::string_view fileName) {
  const auto found = document.find(key);
  if (found == document.end()) return;
  if (!found->is_number()) {
    char kept[32];
    std::snprintf(kept, sizeof kept, "%g", target);
    Report(fileName, key,
           std::string("is ") + found->type_name() + ", not a number; keeping " + kept);
    return;
  }
  target = found->get<float>();
}

std::string ReadPath(const json& document, const char* key, std::string_view fileName) {
  const auto found = document.find(key);
  if (found == document.end()) return {};
  if (!found->is_string()) {
    Report(fileName, key,
           std::string("is ") + found->type_name() + ", not a path; the stage is left out");
    return {};
  }
  return found->get<std::string>();
}

}  // namespace

Material ReadMaterial(const json& value, ResourceCache& cache, std::string_view fileName) {
  Material material;
  ShaderStagePaths stages;
  if (value.is_object()) {
    ReadVector(value, "_ambient", material.ambient, fileName);
    ReadVector(value, "_diffuse", material.diffuse, fileName);
    ReadVector(value, "_specular", material.specular, fileName);
    ReadNumber(value, "_alpha", material.alpha, fileName);
    ReadNumber(value, "_shininess", material.shininess, fileName);
    stages.vertex = ReadPath(value, "vertexShaderPath", fileName);
    stages.fragment = ReadPath(value, "fragmentShaderPath", fileName);
    stages.geometry = ReadPath(value, "geometryShaderPath", fileName);
    stages.compute = ReadPath(value, "computeShaderPath", fileName);
    stages.tessEvaluation = ReadPath(value, "tesselationEvaluationShaderPath", fileName);
    stages.tessControl = ReadPath(value, "tesselationControlShaderPath", fileName);
  } else {
    std::printf("Material : %.*s: the document is %s, not an object; using the defaults\n",
                static_cast<int>(fileName.size()), fileName.data(), value.type_name());
  }
  material.shader = cache.GetShader(stages);
  return material;
}
