#include "render/index_buffer.h"

#include <glad/gl.h>

#include <utility>

IndexBuffer::IndexBuffer(std::uint32_t count, const std::int32_t* indices, BufferUsage usage) {
  Create(count, indices, usage);
}

IndexBuffer::IndexBuffer(std::uint32_t count, const std::uint32_t* indices, BufferUsage usage) {
  Create(count, indices, usage);
}

void IndexBuffer::Create(std::uint32_t indexCount, const void* indices, BufferUsage usage) {
  count = indexCount;
  glGenBuffers(1, &bufferId);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, bufferId);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * 4, indices,
               GlBufferUsage(usage));
}

IndexBuffer::~IndexBuffer() { Release(); }

IndexBuffer::IndexBuffer(IndexBuffer&& other) noexcept
    : bufferId(std::exchange(other.bufferId, 0u)), count(std::exchange(other.count, 0u)) {}

IndexBuffer& IndexBuffer::operator=(IndexBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    bufferId = std::exchange(other.bufferId, 0u);
    count = std::exchange(other.count, 0u);
  }
  return *this;
}

void IndexBuffer::Release() {
  if (bufferId != 0) glDeleteBuffers(1, &bufferId);
  bufferId = 0;
}

void IndexBuffer::Bind() const { glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, bufferId); }
