#pragma once
// The render interface: the host's drawing backend. The library compiles geometry, loads and
// generates textures, sets scissor regions and compiles shaders through it, and draws by handle.
// Handles are opaque unsigned integers; 0 means failure. Operations beyond the first eight have
// default implementations that do nothing (or report failure), so a backend only implements what
// it supports.

#include <span>

#include "rml/types.h"
#include "rml/variant.h"

namespace Rml {

class RenderInterface {
 public:
  virtual ~RenderInterface();

  virtual CompiledGeometryHandle CompileGeometry(std::span<const Vertex> vertices,
                                                 std::span<const int> indices) = 0;
  // Draws compiled geometry moved by translation (pixels), with a texture (0: untextured).
  virtual void RenderGeometry(CompiledGeometryHandle geometry, Vector2f translation,
                              TextureHandle texture) = 0;
  virtual void ReleaseGeometry(CompiledGeometryHandle geometry) = 0;
  // Loads a texture from a file path; writes its size in pixels into texture_dimensions.
  virtual TextureHandle LoadTexture(Vector2i& texture_dimensions, const String& source) = 0;
  // Makes a texture of premultiplied RGBA bytes, 4 per pixel, rows top to bottom.
  virtual TextureHandle GenerateTexture(std::span<const byte> source,
                                        Vector2i source_dimensions) = 0;
  virtual void ReleaseTexture(TextureHandle texture) = 0;
  virtual void EnableScissorRegion(bool enable) = 0;
  // Region in pixels of the context, origin top-left.
  virtual void SetScissorRegion(Rectanglei region) = 0;

  // A transform applied to every following draw, after its translation: it maps context pixels
  // to context pixels (an element's transform about its origin, times its ancestors'); null
  // means identity. Scissor regions stay in untransformed context pixels.
  virtual void SetTransform(const Matrix4f* transform);
  virtual CompiledShaderHandle CompileShader(const String& name, const Dictionary& parameters);
  virtual void RenderShader(CompiledShaderHandle shader, CompiledGeometryHandle geometry,
                            Vector2f translation, TextureHandle texture);
  virtual void ReleaseShader(CompiledShaderHandle shader);
};

}  // namespace Rml
