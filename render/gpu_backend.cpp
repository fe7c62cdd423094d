#include "render/gpu_backend.h"

#include <utility>

unsigned int RecordingGpuBackend::CreateTexture(const TextureImage& image,
                                                const TextureSampling& sampling) {
  const unsigned int texture = nextName++;
  createdTextures.push_back({texture, image.width, image.height, image.pixels, sampling});
  calls.push_back("CreateTexture " + std::to_string(texture));
  return texture;
}

void RecordingGpuBackend::DeleteTexture(unsigned int texture) {
  deletedTextures.push_back(texture);
  calls.push_back("DeleteTexture " + std::to_string(texture));
}

BuiltShader RecordingGpuBackend::BuildShader(const ShaderStagePaths& paths) {
  const int program = static_cast<int>(nextName++);
  builtShaders.push_back(paths);
  calls.push_back("BuildShader " + std::to_string(program));
  return {program, nullptr};
}

void RecordingGpuBackend::DestroyShader(BuiltShader shader) {
  destroyedShaders.push_back(shader.program);
  calls.push_back("DestroyShader " + std::to_string(shader.program));
}
