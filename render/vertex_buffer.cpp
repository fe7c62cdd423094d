#include "render/vertex_buffer.h"

#include <glad/gl.h>

#include <utility>

namespace {

// Room reserved in every layout; layouts rarely hold more than a few attributes.
constexpr std::size_t kReservedAttributes = 64;

GLsizeiptr ByteCount(int count, std::uint64_t size) {
  return count > 0 ? static_cast<GLsizeiptr>(static_cast<std::uint64_t>(count) * size) : 0;
}

}  // namespace

unsigned int GlBufferUsage(BufferUsage usage) {
  return usage == BufferUsage::DynamicDraw ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW;
}

int MaxVertexAttributes() {
  GLint maximum = 0;
  glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &maximum);
  return maximum;
}

std::string VertexAttributeProblem(const std::vector<int>& sizes) {
  const int maximum = MaxVertexAttributes();
  if (static_cast<long long>(sizes.size()) > maximum) {
    return std::to_string(sizes.size()) + " vertex attributes, the context allows " +
           std::to_string(maximum);
  }
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    if (sizes[index] < 1 || sizes[index] > 4) {
      return "attribute " + std::to_string(index) + " has " + std::to_string(sizes[index]) +
             " components, not 1 to 4";
    }
  }
  return {};
}

VertexBuffer::VertexBuffer(int count, std::uint64_t size, const void* data, BufferUsage usage)
    : usage(usage) {
  layout.reserve(kReservedAttributes);
  glGenBuffers(1, &bufferId);
  glBindBuffer(GL_ARRAY_BUFFER, bufferId);
  glBufferData(GL_ARRAY_BUFFER, ByteCount(count, size), data, GlBufferUsage(usage));
}

VertexBuffer::~VertexBuffer() { Release(); }

VertexBuffer::VertexBuffer(VertexBuffer&& other) noexcept
    : bufferId(std::exchange(other.bufferId, 0u)),
      layout(std::move(other.layout)),
      stride(std::exchange(other.stride, 0)),
      usage(other.usage) {
  other.layout.clear();
}

VertexBuffer& VertexBuffer::operator=(VertexBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    bufferId = std::exchange(other.bufferId, 0u);
    layout = std::move(other.layout);
    other.layout.clear();
    stride = std::exchange(other.stride, 0);
    usage = other.usage;
  }
  return *this;
}

void VertexBuffer::Release() {
  if (bufferId != 0) glDeleteBuffers(1, &bufferId);
  bufferId = 0;
}

void VertexBuffer::AddAttribute(int count) {
  layout.push_back({count, GL_FLOAT});
  stride += 4 * count;
}

std::vector<int> VertexBuffer::AttributeSizes() const {
  std::vector<int> sizes;
  sizes.reserve(layout.size());
  for (const VertexAttribute& attribute : layout) sizes.push_back(attribute.count);
  return sizes;
}

void VertexBuffer::SetData(int count, std::uint64_t size, const void* data) {
  if (bufferId == 0) return;
  glBindBuffer(GL_ARRAY_BUFFER, bufferId);
  glBufferData(GL_ARRAY_BUFFER, ByteCount(count, size), data, GlBufferUsage(usage));
}

void VertexBuffer::Bind() const { glBindBuffer(GL_ARRAY_BUFFER, bufferId); }

void VertexBuffer::SetAttributePointers(unsigned int firstIndex, unsigned int divisor) const {
  glBindBuffer(GL_ARRAY_BUFFER, bufferId);
  std::uintptr_t offset = 0;
  GLuint index = firstIndex;
  for (const VertexAttribute& attribute : layout) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, attribute.count, attribute.type, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offset));
    glVertexAttribDivisor(index, divisor);
    offset += 4 * static_cast<std::uintptr_t>(attribute.count);
    ++index;
  }
}
