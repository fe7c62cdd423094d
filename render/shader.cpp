#include "render/shader.h"

#include <glad/gl.h>

#include <array>
#include <cstdio>
#include <glm/gtc/type_ptr.hpp>
#include <utility>
#include <vector>

#include "engine/decs.h"
#include "render/gl_context.h"

namespace {

// The driver's info log of a shader or program object.
template <typename GetLength, typename GetLog>
std::string InfoLog(GLuint object, GetLength getLength, GetLog getLog) {
  GLint length = 0;
  getLength(object, GL_INFO_LOG_LENGTH, &length);
  if (length <= 1) return "(the driver gave no log)";
  std::string log(static_cast<std::size_t>(length), '\0');
  GLsizei written = 0;
  getLog(object, length, &written, log.data());
  log.resize(static_cast<std::size_t>(written));
  while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.pop_back();
  return log;
}

// "<name>.<member>", built in a buffer kept across calls: struct uniforms are set on every
// frame, and building their member names must not allocate each time.
const char* MemberName(const std::string& name, const char* member) {
  thread_local std::string buffer;
  buffer.assign(name).append(1, '.').append(member);
  return buffer.c_str();
}

// Looks `name` up in `table` and hands the value to `set` when present.
template <typename Value, typename Set>
void ApplyIfPresent(const GlobalUniforms::Table<Value>& table, const std::string& name, Set set) {
  const auto found = table.find(name);
  if (found != table.end()) set(found->second);
}

}  // namespace

unsigned int LoadShaderSource(const std::string& path, unsigned int stageType,
                              UniformDeclarations& declarations) {
  if (path.empty()) return 0;
  std::vector<std::string> sourceFiles;
  const std::string text = PrepareShaderStage(path, declarations, ReadShaderFile, &sourceFiles);
  const GLuint shader = glCreateShader(stageType);
  const GLchar* source = text.c_str();
  const GLint length = static_cast<GLint>(text.size());
  glShaderSource(shader, 1, &source, &length);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    std::printf("Shader : %s: compile failed:\n%s\n", path.c_str(),
                InfoLog(shader, glGetShaderiv, glGetShaderInfoLog).c_str());
    // The log's lines read "<source>:<line>(...)": which file each source number is.
    for (std::size_t source = 1; source < sourceFiles.size(); ++source) {
      std::printf("Shader : %s: source %zu is %s\n", path.c_str(), source,
                  sourceFiles[source].c_str());
    }
  }
  return shader;
}

Shader::Shader(std::string vertexPath, std::string fragmentPath, std::string geometryPath,
               std::string computePath, std::string tessEvaluationPath, std::string tessControlPath)
    : vertexPath(std::move(vertexPath)),
      geometryPath(std::move(geometryPath)),
      fragmentPath(std::move(fragmentPath)),
      computePath(std::move(computePath)),
      tessEvaluationPath(std::move(tessEvaluationPath)),
      tessControlPath(std::move(tessControlPath)) {
  // Stages in attach order.
  const std::array<std::pair<const std::string*, GLenum>, 6> stages{{
      {&this->vertexPath, GL_VERTEX_SHADER},
      {&this->fragmentPath, GL_FRAGMENT_SHADER},
      {&this->geometryPath, GL_GEOMETRY_SHADER},
      {&this->computePath, GL_COMPUTE_SHADER},
      {&this->tessEvaluationPath, GL_TESS_EVALUATION_SHADER},
      {&this->tessControlPath, GL_TESS_CONTROL_SHADER},
  }};
  std::array<GLuint, 6> shaders{};
  bool compiled = true;
  for (std::size_t stage = 0; stage < stages.size(); ++stage) {
    shaders[stage] = LoadShaderSource(*stages[stage].first, stages[stage].second, declarations);
    GLint status = GL_TRUE;
    if (shaders[stage] != 0) glGetShaderiv(shaders[stage], GL_COMPILE_STATUS, &status);
    compiled = compiled && status == GL_TRUE;
  }

  program = glCreateProgram();
  for (const GLuint shader : shaders) {
    if (shader != 0) glAttachShader(program, shader);
  }
  glLinkProgram(program);
  GLint status = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  linked = compiled && status == GL_TRUE;
  if (status != GL_TRUE) {
    std::string files;
    for (const auto& [path, type] : stages) {
      if (path->empty()) continue;
      files += files.empty() ? "" : ", ";
      files += *path;
    }
    if (files.empty()) files = "no stage files";
    std::printf("Shader : program of %s: link failed:\n%s\n", files.c_str(),
                InfoLog(program, glGetProgramiv, glGetProgramInfoLog).c_str());
  }
  for (const GLuint shader : shaders) {
    if (shader != 0) glDeleteShader(shader);
  }
}

Shader::~Shader() { glDeleteProgram(program); }

void Shader::Use() const { glUseProgram(linked ? program : 0); }

int Shader::Location(const char* name) {
  if (!linked) return -1;
  // The key is built in a buffer kept across calls, so finding a cached name allocates nothing.
  thread_local std::string key;
  key.assign(name);
  if (const auto found = locations.find(key); found != locations.end()) return found->second;
  const int location = glGetUniformLocation(program, name);
  locations.emplace(key, location);
  return location;
}

void Shader::SetFloat(const char* name, float value) {
  if (const int location = Location(name); location >= 0) glUniform1f(location, value);
}

void Shader::SetInt(const char* name, int value) {
  if (const int location = Location(name); location >= 0) glUniform1i(location, value);
}

void Shader::SetIntArray(const char* name, int count, const int* values) {
  if (const int location = Location(name); location >= 0 && count > 0) {
    glUniform1iv(location, count, values);
  }
}

void Shader::SetVec2(const char* name, const glm::vec2& value) {
  if (const int location = Location(name); location >= 0) glUniform2f(location, value.x, value.y);
}

void Shader::SetVec3(const char* name, const glm::vec3& value) {
  if (const int location = Location(name); location >= 0) {
    glUniform3f(location, value.x, value.y, value.z);
  }
}

void Shader::SetVec4(const char* name, const glm::vec4& value) {
  if (const int location = Location(name); location >= 0) {
    glUniform4f(location, value.x, value.y, value.z, value.w);
  }
}

void Shader::SetMat4(const char* name, const float* values) {
  if (const int location = Location(name); location >= 0) {
    glUniformMatrix4fv(location, 1, GL_FALSE, values);
  }
}

void Shader::SetUniversalLight(const std::string& name, const UniversalLightData& light) {
  SetVec3(MemberName(name, "color"), light.color);
  SetFloat(MemberName(name, "strength"), light.strength);
  SetVec3(MemberName(name, "direction"), light.direction);
}

void Shader::SetAmbientLight(const std::string& name, const AmbientLightData& light) {
  SetVec3(MemberName(name, "color"), light.color);
  SetFloat(MemberName(name, "strength"), light.strength);
}

void Shader::SetPointLight(const std::string& name, const PointLightData& light) {
  SetVec3(MemberName(name, "color"), light.color);
  SetFloat(MemberName(name, "strength"), light.strength);
  SetVec3(MemberName(name, "position"), light.position);
  SetVec2(MemberName(name, "radii"), light.radii);
}

void Shader::SetConeLight(const std::string& name, const ConeLightData& light) {
  SetVec3(MemberName(name, "color"), light.color);
  SetFloat(MemberName(name, "strength"), light.strength);
  SetVec3(MemberName(name, "direction"), light.direction);
  SetVec3(MemberName(name, "position"), light.position);
  SetVec2(MemberName(name, "radii"), light.radii);
  SetFloat(MemberName(name, "angle"), light.angle);
}

void Shader::SetWave(const std::string& name, const WaveData& wave) {
  SetVec2(MemberName(name, "origin"), wave.origin);
  SetFloat(MemberName(name, "time"), wave.time);
  SetFloat(MemberName(name, "dist"), wave.dist);
  SetFloat(MemberName(name, "height"), wave.height);
  SetFloat(MemberName(name, "width"), wave.width);
  SetFloat(MemberName(name, "speed"), wave.speed);
}

void Shader::ApplyGlobalUniforms(const GlobalUniforms& globals) {
  for (const auto& [name, type] : declarations) ApplyGlobalUniform(name, type, globals);
}

void Shader::ApplyGlobalUniforms() { ApplyGlobalUniforms(DECS::Instance().globalUniforms); }

void Shader::ApplyGlobalUniform(const std::string& name, UniformType type) {
  ApplyGlobalUniform(name, type, DECS::Instance().globalUniforms);
}

void Shader::ApplyGlobalUniform(const std::string& name, UniformType type,
                                const GlobalUniforms& globals) {
  const char* const uniform = name.c_str();
  switch (type) {
    case UniformType::Float:
      ApplyIfPresent(globals.floats, name, [&](float value) { SetFloat(uniform, value); });
      break;
    case UniformType::Vec2:
      ApplyIfPresent(globals.vec2Values, name, [&](const glm::vec2& v) { SetVec2(uniform, v); });
      break;
    case UniformType::Vec3:
      ApplyIfPresent(globals.vec3Values, name, [&](const glm::vec3& v) { SetVec3(uniform, v); });
      break;
    case UniformType::Vec4:
      ApplyIfPresent(globals.vec4Values, name, [&](const glm::vec4& v) { SetVec4(uniform, v); });
      break;
    case UniformType::Mat4:
      ApplyIfPresent(globals.mat4Values, name,
                     [&](const glm::mat4& m) { SetMat4(uniform, glm::value_ptr(m)); });
      break;
    case UniformType::Sampler2D:
    case UniformType::Int:
    case UniformType::Image2D:
      ApplyIfPresent(globals.ints, name, [&](int value) { SetInt(uniform, value); });
      break;
    case UniformType::UniversalLight:
      ApplyIfPresent(globals.universalLights, name,
                     [&](const UniversalLightData& light) { SetUniversalLight(name, light); });
      break;
    case UniformType::AmbientLight:
      ApplyIfPresent(globals.ambientLights, name,
                     [&](const AmbientLightData& light) { SetAmbientLight(name, light); });
      break;
    case UniformType::PointLight:
      ApplyIfPresent(globals.pointLights, name,
                     [&](const PointLightData& light) { SetPointLight(name, light); });
      break;
    case UniformType::ConeLight:
      ApplyIfPresent(globals.coneLights, name,
                     [&](const ConeLightData& light) { SetConeLight(name, light); });
      break;
    case UniformType::Wave:
      ApplyIfPresent(globals.waves, name, [&](const WaveData& wave) { SetWave(name, wave); });
      break;
    case UniformType::Unrecognised:
      break;
  }
}

void SetGlobalFloatArray(GlobalUniforms::Table<float>& table, const std::string& baseName,
                         const float* values, int count) {
  for (int index = 0; index < count; ++index) {
    table[baseName + "[" + std::to_string(index) + "]"] = values[index];
  }
}
