#include "render/storage_buffer.h"

#include <glad/gl.h>

#include <utility>
#include <vector>

StorageBuffer::~StorageBuffer() { Release(); }

StorageBuffer::StorageBuffer(StorageBuffer&& other) noexcept
    : id(std::exchange(other.id, 0u)), elements(std::exchange(other.elements, 0u)) {}

StorageBuffer& StorageBuffer::operator=(StorageBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    id = std::exchange(other.id, 0u);
    elements = std::exchange(other.elements, 0u);
  }
  return *this;
}

bool StorageBuffer::CreateBytes(std::size_t count, const void* data) {
  Release();
  if (count == 0 || count > kMaxElements) return false;
  std::vector<std::uint32_t> zeros;
  if (data == nullptr) {
    zeros.assign(count, 0u);
    data = zeros.data();
  }
  glCreateBuffers(1, &id);
  glNamedBufferStorage(id, static_cast<GLsizeiptr>(count * 4), data, GL_DYNAMIC_STORAGE_BIT);
  elements = count;
  return true;
}

bool StorageBuffer::Create(std::size_t count) { return CreateBytes(count, nullptr); }
bool StorageBuffer::Create(std::span<const std::uint32_t> data) {
  return CreateBytes(data.size(), data.data());
}
bool StorageBuffer::Create(std::span<const float> data) {
  return CreateBytes(data.size(), data.data());
}

bool StorageBuffer::WriteBytes(std::size_t firstElement, std::size_t count, const void* data) {
  if (id == 0 || firstElement > elements || count > elements - firstElement) return false;
  if (count == 0) return true;
  glNamedBufferSubData(id, static_cast<GLintptr>(firstElement * 4),
                       static_cast<GLsizeiptr>(count * 4), data);
  return true;
}

bool StorageBuffer::Write(std::size_t firstElement, std::span<const std::uint32_t> data) {
  return WriteBytes(firstElement, data.size(), data.data());
}
bool StorageBuffer::Write(std::size_t firstElement, std::span<const float> data) {
  return WriteBytes(firstElement, data.size(), data.data());
}

bool StorageBuffer::ReadBytes(std::size_t firstElement, std::size_t count, void* out) const {
  if (id == 0 || firstElement > elements || count > elements - firstElement) return false;
  if (count == 0) return true;
  glGetNamedBufferSubData(id, static_cast<GLintptr>(firstElement * 4),
                          static_cast<GLsizeiptr>(count * 4), out);
  return true;
}

bool StorageBuffer::Read(std::size_t firstElement, std::span<std::uint32_t> out) const {
  return ReadBytes(firstElement, out.size(), out.data());
}
bool StorageBuffer::Read(std::size_t firstElement, std::span<float> out) const {
  return ReadBytes(firstElement, out.size(), out.data());
}

void StorageBuffer::BindBase(unsigned int binding) const {
  if (id != 0) glBindBufferBase(GL_SHADER_STORAGE_BUFFER, binding, id);
}

void StorageBuffer::Release() {
  if (id != 0) glDeleteBuffers(1, &id);
  id = 0;
  elements = 0;
}
