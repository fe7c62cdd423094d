#pragma once
// Type codes of the uniforms a shader declares. Each code names the global table a uniform of
// that type reads when the globals are applied to a program (see Shader::ApplyGlobalUniform).

#include <cstdint>
#include <string_view>

enum class UniformType : std::int32_t {
  Float = 0,           // "float"     -> floats
  Vec2 = 1,            // "vec2"      -> vec2Values
  Vec3 = 2,            // "vec3"      -> vec3Values
  Vec4 = 3,            // "vec4"      -> vec4Values
  Mat4 = 4,            // "mat4"      -> mat4Values
  Sampler2D = 5,       // "sampler2D" -> ints (texture unit)
  Int = 6,             // "int"       -> ints
  Image2D = 7,         // "image2D"   -> ints (image unit)
  UniversalLight = 8,  // "UniversalLightData" -> universalLights
  AmbientLight = 9,    // "AmbientLightData"   -> ambientLights
  PointLight = 10,     // "PointLightData"     -> pointLights
  ConeLight = 11,      // "ConeLightData"      -> coneLights
  Wave = 12,           // "WaveData"           -> waves
  Unrecognised = -1,   // any other type: recorded, never given a global value
};

// The code of a GLSL type name, compared case-sensitively as the whole word.
UniformType UniformTypeFromName(std::string_view typeName);
