#pragma once
// VertexArray: one GL vertex array object over a vertex buffer and, for instanced drawing, an
// instance buffer. The vertex buffer's attributes take indices 0..n-1; the instance buffer's
// take the following indices with divisor 1 (one value per instance).
//
// A layout the context cannot hold (more attributes than GL_MAX_VERTEX_ATTRIBS, or a component
// count outside 1..4) is logged and no vertex array is created: IsValid() is false and Bind()
// unbinds every vertex array. Owns its GL name (moved, never copied). All calls need the GL
// context, except destruction once the context is gone (the name died with it).

#include <cstdint>

#include "render/vertex_buffer.h"

class VertexArray {
 public:
  VertexArray() = default;
  explicit VertexArray(const VertexBuffer& vertices);
  VertexArray(const VertexBuffer& vertices, const VertexBuffer& instances);
  ~VertexArray();
  VertexArray(const VertexArray&) = delete;
  VertexArray& operator=(const VertexArray&) = delete;
  VertexArray(VertexArray&& other) noexcept;
  VertexArray& operator=(VertexArray&& other) noexcept;

  void Bind() const;

  bool IsValid() const { return arrayId != 0; }
  unsigned int Id() const { return arrayId; }
  // Number of per-vertex attributes; the instance attributes start at this index.
  std::uint32_t VertexAttributeCount() const { return vertexAttributeCount; }

 private:
  void Create(const VertexBuffer& vertices, const VertexBuffer* instances);
  void Release();

  unsigned int arrayId = 0;
  std::uint32_t vertexAttributeCount = 0;
};
