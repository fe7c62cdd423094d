#include "render/pass_program.h"

#include "platform/os/file_path.h"
#include "render/resource_cache.h"
#include "render/shader.h"

PassProgram::PassProgram(ResourceCache& cache, const char* fragmentPath)
    : cache(cache),
      fragmentPath(fragmentPath),
      cacheFragmentPath(os::NormalizePath(fragmentPath)) {}

Shader* PassProgram::Use() {
  Shader* shader = cache.GetShaderById(program);
  // A cache that was cleared may have given the program's name to another program.
  if (shader == nullptr || shader->fragmentPath != cacheFragmentPath) {
    program = cache.GetShader(PassShaders::kVertex, fragmentPath);
    ++lookups;
    shader = cache.GetShaderById(program);
  }
  if (shader == nullptr || !shader->IsLinked()) return nullptr;
  shader->Use();
  return shader;
}
