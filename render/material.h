#pragma once
// Material: the shader program that draws a surface and its lighting colours, read from a JSON
// file under GAME/Assets/Materials/ through the material cache.
//
//   {
//     "_ambient": {"x": 1, "y": 1, "z": 1}, "_diffuse": {...}, "_specular": {...},
//     "_alpha": 1.0, "_shininess": 32.0,
//     "vertexShaderPath": "./GAME/Shaders/Vertex/UnlitVertexShader.glsl",
//     "fragmentShaderPath": "./GAME/Shaders/Fragment/UnlitFragmentShader.glsl",
//     "geometryShaderPath": "", "computeShaderPath": "",
//     "tesselationEvaluationShaderPath": "", "tesselationControlShaderPath": ""
//   }
//
// Every key is optional and other keys are ignored; the two tessellation keys are spelled with
// one "l", exactly as above. A missing path leaves that stage out. Reading a material builds (or
// finds) its program in the shader cache, so two materials naming the same stages share one
// program while keeping their own colours.
//
// Errors: a value of the wrong JSON type (a string for "_alpha", a vector without numeric "x",
// "y", "z") keeps that field's default and logs "Material : <file>: <key> ...". A document that
// is not an object gives all defaults. Nothing here throws except std::bad_alloc.

#include <cstdint>
#include <glm/glm.hpp>
#include <nlohmann/json.hpp>
#include <string_view>

class ResourceCache;

struct Material {
  glm::vec3 ambient{1.0f};
  glm::vec3 diffuse{1.0f};
  glm::vec3 specular{1.0f};
  float alpha = 1.0f;
  float shininess = 32.0f;
  // GL program name from the shader cache; -1 until the material is read.
  std::int32_t shader = -1;
};

// Reads a material document; `fileName` names it in log lines. The program comes from `cache`.
Material ReadMaterial(const nlohmann::json& value, ResourceCache& cache,
                      std::string_view fileName = "<material>");
