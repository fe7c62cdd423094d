#pragma once
// IndexBuffer: one GL element array buffer of 32-bit triangle indices. Owns its GL name (moved,
// never copied); a default-constructed buffer holds none. All calls need the GL context, except
// destruction once the context is gone (the name died with it and is not deleted).

#include <cstdint>

#include "render/vertex_buffer.h"

class IndexBuffer {
 public:
  IndexBuffer() = default;
  // Uploads `count` indices (4 bytes each).
  IndexBuffer(std::uint32_t count, const std::int32_t* indices,
              BufferUsage usage = BufferUsage::DynamicDraw);
  IndexBuffer(std::uint32_t count, const std::uint32_t* indices,
              BufferUsage usage = BufferUsage::DynamicDraw);
  ~IndexBuffer();
  IndexBuffer(const IndexBuffer&) = delete;
  IndexBuffer& operator=(const IndexBuffer&) = delete;
  IndexBuffer(IndexBuffer&& other) noexcept;
  IndexBuffer& operator=(IndexBuffer&& other) noexcept;

  // Binds the buffer as GL_ELEMENT_ARRAY_BUFFER (recorded by the bound vertex array).
  void Bind() const;

  unsigned int Id() const { return bufferId; }
  std::uint32_t Count() const { return count; }

 private:
  void Create(std::uint32_t indexCount, const void* indices, BufferUsage usage);
  void Release();

  unsigned int bufferId = 0;
  std::uint32_t count = 0;
};
