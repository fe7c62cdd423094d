#pragma once
// VertexBuffer: one GL array buffer and the layout of the float attributes its elements hold.
//
//   VertexBuffer buffer(vertexCount, sizeof(Vertex), vertices);
//   buffer.AddAttribute(3);  // position: attribute 0, offset 0
//   buffer.AddAttribute(2);  // texture coordinate: attribute 1, offset 12; stride 20
//   VertexArray vao(buffer);  // render/vertex_array.h
//
// The buffer owns its GL name and deletes it on destruction; it can be moved, not copied. A
// default-constructed (or moved-from) buffer holds no GL name. All calls need the GL context,
// except destruction once the context is gone (the name died with it and is not deleted).

#include <cstdint>
#include <string>
#include <vector>

// How a buffer's contents are expected to change (GL_STATIC_DRAW or GL_DYNAMIC_DRAW).
enum class BufferUsage { StaticDraw, DynamicDraw };

// GL enum value of a usage.
unsigned int GlBufferUsage(BufferUsage usage);

// One float attribute of a vertex: its component count and GL type (always GL_FLOAT).
struct VertexAttribute {
  int count = 0;
  unsigned int type = 0;
};

// GL_MAX_VERTEX_ATTRIBS of the current context.
int MaxVertexAttributes();

// Why attributes of these component counts, at indices 0 onwards, cannot be laid out in the
// current context (more of them than GL_MAX_VERTEX_ATTRIBS, or a count outside 1..4); an empty
// string when they can.
std::string VertexAttributeProblem(const std::vector<int>& sizes);

class VertexBuffer {
 public:
  VertexBuffer() = default;
  // Creates the buffer with count x size bytes of `data` (null: uninitialised storage).
  VertexBuffer(int count, std::uint64_t size, const void* data,
               BufferUsage usage = BufferUsage::StaticDraw);
  ~VertexBuffer();
  VertexBuffer(const VertexBuffer&) = delete;
  VertexBuffer& operator=(const VertexBuffer&) = delete;
  VertexBuffer(VertexBuffer&& other) noexcept;
  VertexBuffer& operator=(VertexBuffer&& other) noexcept;

  // Appends a float attribute of `count` components; the stride grows by 4 x count.
  void AddAttribute(int count);

  // Replaces the contents with count x size bytes of `data`, with the buffer's usage.
  void SetData(int count, std::uint64_t size, const void* data);

  void Bind() const;

  // Binds the buffer and points attributes firstIndex, firstIndex + 1, ... of the bound vertex
  // array at the layout, enabled and with the given divisor (0: per vertex, 1: per instance).
  void SetAttributePointers(unsigned int firstIndex, unsigned int divisor) const;

  unsigned int Id() const { return bufferId; }
  const std::vector<VertexAttribute>& Layout() const { return layout; }
  // Component counts of the layout, in order.
  std::vector<int> AttributeSizes() const;
  int Stride() const { return stride; }

 private:
  void Release();

  unsigned int bufferId = 0;
  std::vector<VertexAttribute> layout;
  int stride = 0;
  BufferUsage usage = BufferUsage::StaticDraw;
};
