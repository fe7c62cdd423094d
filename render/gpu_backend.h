#pragma once
// GpuBackend: the few GPU operations the resource caches need (upload a texture, delete it,
// build a shader program, destroy it, ask the attribute limit), behind one small interface.
//
//   ResourceCache cache(MakeGlBackend());                       // the game: real OpenGL
//   ResourceCache cache(std::make_unique<RecordingGpuBackend>()); // tests: no context needed
//
// The GL backend needs a current OpenGL context for every call. The recording backend hands
// out increasing names and writes down what it was asked, so cache keys, file parsing and
// loading rules are tested headless.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/shader.h"

// RGBA pixels, 8 bits per channel, rows from the bottom of the image up (the order GL expects).
struct TextureImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width x height x 4 bytes
};

// Filters and wrap mode of a texture (GL enum values, as GL_NEAREST or GL_REPEAT).
struct TextureSampling {
  int minFilter = 0;
  int magFilter = 0;
  int wrap = 0;
};

// The six stage files of a program, in the argument order of Shader's constructor. An empty path
// leaves the stage out. Comparing two sets compares the six paths one by one, so no two
// different sets can be taken for each other.
struct ShaderStagePaths {
  std::string vertex{};
  std::string fragment{};
  std::string geometry{};
  std::string compute{};
  std::string tessEvaluation{};
  std::string tessControl{};

  std::array<std::string, 6> AsArray() const {
    return {vertex, fragment, geometry, compute, tessEvaluation, tessControl};
  }
  friend bool operator==(const ShaderStagePaths&, const ShaderStagePaths&) = default;
};

// A built program: its GL name, and the Shader that owns it (null under the recording backend).
struct BuiltShader {
  int program = 0;
  std::unique_ptr<Shader> shader;
};

class GpuBackend {
 public:
  virtual ~GpuBackend() = default;

  // Creates a 2D texture from `image` (16-bit float storage) and returns its GL name.
  virtual unsigned int CreateTexture(const TextureImage& image,
                                     const TextureSampling& sampling) = 0;
  virtual void DeleteTexture(unsigned int texture) = 0;

  // Compiles and links the stages; a program that fails is still returned (and was logged).
  virtual BuiltShader BuildShader(const ShaderStagePaths& paths) = 0;
  // Deletes the program (the Shader's destructor does it under GL).
  virtual void DestroyShader(BuiltShader shader) = 0;

  // GL_MAX_VERTEX_ATTRIBS of the context.
  virtual int MaxVertexAttributes() = 0;
};

// The OpenGL backend; the context must be current whenever the backend is used.
std::unique_ptr<GpuBackend> MakeGlBackend();

// A backend without GPU: names count up from 1, and every call is recorded.
class RecordingGpuBackend final : public GpuBackend {
 public:
  struct CreatedTexture {
    unsigned int texture = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    TextureSampling sampling;
  };

  unsigned int CreateTexture(const TextureImage& image, const TextureSampling& sampling) override;
  void DeleteTexture(unsigned int texture) override;
  BuiltShader BuildShader(const ShaderStagePaths& paths) override;
  void DestroyShader(BuiltShader shader) override;
  int MaxVertexAttributes() override { return maxVertexAttributes; }

  std::vector<CreatedTexture> createdTextures;
  std::vector<unsigned int> deletedTextures;
  std::vector<ShaderStagePaths> builtShaders;
  std::vector<int> destroyedShaders;
  // Every call in order, as "CreateTexture 1", "DeleteTexture 1", "BuildShader 2",
  // "DestroyShader 2".
  std::vector<std::string> calls;
  int maxVertexAttributes = 16;

 private:
  unsigned int nextName = 1;
};
