// The OpenGL side of GpuBackend.

#include <glad/gl.h>

#include <utility>

#include "render/gl_context.h"
#include "render/gpu_backend.h"
#include "render/vertex_buffer.h"

namespace {

bool IsMipmapFilter(int filter) {
  return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST ||
         filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

class GlGpuBackend final : public GpuBackend {
 public:
  unsigned int CreateTexture(const TextureImage& image, const TextureSampling& sampling) override {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sampling.minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampling.magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, sampling.wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, sampling.wrap);
    // Rows of RGBA bytes are always 4-byte aligned, whatever the unpack state says.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    // A mipmap filter without mipmaps would leave the texture incomplete (it samples black).
    if (IsMipmapFilter(sampling.minFilter)) glGenerateMipmap(GL_TEXTURE_2D);
    return texture;
  }

  void DeleteTexture(unsigned int texture) override { glDeleteTextures(1, &texture); }

  BuiltShader BuildShader(const ShaderStagePaths& paths) override {
    auto shader = std::make_unique<Shader>(paths.vertex, paths.fragment, paths.geometry,
                                           paths.compute, paths.tessEvaluation, paths.tessControl);
    const int program = static_cast<int>(shader->program);
    return {program, std::move(shader)};
  }

  // The Shader deletes its program when it goes.
  void DestroyShader(BuiltShader shader) override { shader.shader.reset(); }

  int MaxVertexAttributes() override { return ::MaxVertexAttributes(); }
};

}  // namespace

std::unique_ptr<GpuBackend> MakeGlBackend() { return std::make_unique<GlGpuBackend>(); }
