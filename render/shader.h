#pragma once
// Shader: one linked OpenGL program built from up to six GLSL stage files.
//
// Use:
//   Shader shader("GAME/Shaders/a.vert", "GAME/Shaders/a.frag");   // other stages optional
//   shader.Use();                  // the setters act on the current program
//   shader.ApplyGlobalUniforms();  // every declared uniform that has a global value gets it
//   shader.SetFloat("alpha", 0.5f);
//
// Each stage file goes through the preprocessor of render/shader_source.h (includes, debug
// blocks) and its uniform declarations are recorded, shared by all stages of the program. The
// recorded names let ApplyGlobalUniforms copy values from the global tables (GlobalUniforms,
// owned by DECS) into the program. Setters cache uniform locations by name.
//
// Errors: a missing file compiles as empty text; compile and link failures are printed with the
// stage file names and the driver's log. A program that failed to link is kept (its name stays
// valid for the shader cache) but IsLinked() is false: Use() then unbinds every program and the
// setters do nothing, so callers skip drawing with it.
//
// The GL context must be current on the calling thread for every call; a shader destroyed after
// its context is gone deletes nothing (the program went with the context).

#include <string>
#include <unordered_map>

#include "engine/global_uniforms.h"
#include "render/shader_source.h"
#include "render/uniform_type.h"

class Shader {
 public:
  // Builds the program from the stage files, given in this order; an empty path leaves that
  // stage out.
  Shader(std::string vertexPath, std::string fragmentPath, std::string geometryPath = {},
         std::string computePath = {}, std::string tessEvaluationPath = {},
         std::string tessControlPath = {});
  ~Shader();
  Shader(const Shader&) = delete;
  Shader& operator=(const Shader&) = delete;

  // True when every stage compiled and the program linked.
  bool IsLinked() const { return linked; }

  // Makes the program current (a program that failed to link: no program at all).
  void Use() const;

  // Typed setters: act on the current program (call Use first). A name the program does not
  // have is ignored.
  void SetFloat(const char* name, float value);
  void SetInt(const char* name, int value);
  void SetIntArray(const char* name, int count, const int* values);
  void SetVec2(const char* name, const glm::vec2& value);
  void SetVec3(const char* name, const glm::vec3& value);
  void SetVec4(const char* name, const glm::vec4& value);
  // `values`: 16 floats, column-major.
  void SetMat4(const char* name, const float* values);

  // Struct uniforms: each member is set as `name` + "." + member.
  void SetUniversalLight(const std::string& name, const UniversalLightData& light);
  void SetAmbientLight(const std::string& name, const AmbientLightData& light);
  void SetPointLight(const std::string& name, const PointLightData& light);
  void SetConeLight(const std::string& name, const ConeLightData& light);
  void SetWave(const std::string& name, const WaveData& wave);

  // Copies into the program every declared uniform that has a value in the global table of its
  // type: from the given tables, or from the engine's (DECS::Instance().globalUniforms).
  void ApplyGlobalUniforms(const GlobalUniforms& globals);
  void ApplyGlobalUniforms();

  // One declared uniform: sets it when the table of `type` holds `name`; never adds entries.
  void ApplyGlobalUniform(const std::string& name, UniformType type, const GlobalUniforms& globals);
  void ApplyGlobalUniform(const std::string& name, UniformType type);

  unsigned int program = 0;
  // Location of each name a setter has used (-1 for names the program lacks).
  std::unordered_map<std::string, int> locations;
  // Every uniform the stage texts declare, array elements one by one.
  UniformDeclarations declarations;
  std::string vertexPath;
  std::string geometryPath;
  std::string fragmentPath;
  std::string computePath;
  std::string tessEvaluationPath;
  std::string tessControlPath;

 private:
  // The cached location of `name`, looked up on first use.
  int Location(const char* name);

  bool linked = false;
};

// Reads, preprocesses and compiles one stage file, recording its uniforms into `declarations`.
// Returns the GL shader name, or 0 when `path` is empty. A failed compile is printed with the
// path and the driver's log; the name is returned all the same.
unsigned int LoadShaderSource(const std::string& path, unsigned int stageType,
                              UniformDeclarations& declarations);

// Sets table["<baseName>[i]"] = values[i] for i in 0..count-1 (count <= 0 writes nothing).
void SetGlobalFloatArray(GlobalUniforms::Table<float>& table, const std::string& baseName,
                         const float* values, int count);
