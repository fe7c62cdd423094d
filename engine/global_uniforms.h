#pragma once
// Global shader values: one table per kind, from a uniform's full name ("time", "lights[2]") to
// its current value. Any part writes a value by name; every shader program that declares a
// uniform of that name and kind receives it when the renderer applies the globals.
// The tables belong to DECS and live as long as the engine.

#include <glm/glm.hpp>
#include <string>
#include <unordered_map>

struct UniversalLightData {
  glm::vec3 color{0.0f};
  float strength = 0.0f;
  glm::vec3 direction{0.0f};
};

struct AmbientLightData {
  glm::vec3 color{0.0f};
  float strength = 0.0f;
};

struct PointLightData {
  glm::vec3 position{0.0f};
  glm::vec3 color{0.0f};
  float strength = 0.0f;
  glm::vec2 radii{0.0f};
};

struct ConeLightData {
  glm::vec3 position{0.0f};
  glm::vec3 color{0.0f};
  float strength = 0.0f;
  glm::vec2 radii{0.0f};
  glm::vec3 direction{0.0f};
  float angle = 0.0f;
};

struct WaveData {
  glm::vec2 origin{0.0f};
  float time = 0.0f;
  float dist = 0.0f;
  float height = 0.0f;
  float width = 0.0f;
  float speed = 0.0f;
};

struct GlobalUniforms {
  template <typename Value>
  using Table = std::unordered_map<std::string, Value>;

  Table<float> floats;
  Table<glm::vec2> vec2Values;
  Table<glm::vec3> vec3Values;
  Table<glm::vec4> vec4Values;
  Table<glm::mat4> mat4Values;
  Table<int> ints;  // plain ints and the texture units of samplers and images
  Table<UniversalLightData> universalLights;
  Table<AmbientLightData> ambientLights;
  Table<PointLightData> pointLights;
  Table<ConeLightData> coneLights;
  Table<WaveData> waves;
};
