#pragma once
// StorageBuffer: one GL buffer object made with immutable storage that shaders read and write
// as a shader storage buffer (compute passes, indirect draw commands), together with its size
// in 4-byte elements.
//
//   StorageBuffer grid;
//   grid.Create(count);             // zero-filled; resizing is creating anew
//   grid.Write(0, words);           // replaces elements from an offset
//   grid.BindBase(4);               // GL_SHADER_STORAGE_BUFFER binding 4
//   grid.Release();                 // while the context is current
//
// Storage is made with the dynamic-storage flag, so Write can update it. A Create whose size is
// 0 or above kMaxElements makes nothing and returns false; Write outside the buffer writes
// nothing and returns false. The buffer can be moved, not copied. All calls need the GL
// context; owners release their buffers before the context goes (RenderContext teardown).

#include <cstddef>
#include <cstdint>
#include <span>

class StorageBuffer {
 public:
  // 512 MiB of 4-byte elements: more than any caller asks for.
  static constexpr std::size_t kMaxElements = std::size_t{1} << 27;

  StorageBuffer() = default;
  ~StorageBuffer();
  StorageBuffer(StorageBuffer&& other) noexcept;
  StorageBuffer& operator=(StorageBuffer&& other) noexcept;
  StorageBuffer(const StorageBuffer&) = delete;
  StorageBuffer& operator=(const StorageBuffer&) = delete;

  // Deletes the old buffer and makes one of `elements` zero elements, or of the given data.
  bool Create(std::size_t elements);
  bool Create(std::span<const std::uint32_t> data);
  bool Create(std::span<const float> data);
  // Copies `data` to the elements from `firstElement` on.
  bool Write(std::size_t firstElement, std::span<const std::uint32_t> data);
  bool Write(std::size_t firstElement, std::span<const float> data);
  // Copies elements from `firstElement` on into `out` (tests and tools read results back).
  bool Read(std::size_t firstElement, std::span<std::uint32_t> out) const;
  bool Read(std::size_t firstElement, std::span<float> out) const;
  // glBindBufferBase(GL_SHADER_STORAGE_BUFFER, binding, ...); nothing without a buffer.
  void BindBase(unsigned int binding) const;
  void Release();

  bool IsValid() const { return id != 0; }
  unsigned int Id() const { return id; }
  std::size_t Elements() const { return elements; }

 private:
  bool CreateBytes(std::size_t count, const void* data);
  bool WriteBytes(std::size_t firstElement, std::size_t count, const void* data);
  bool ReadBytes(std::size_t firstElement, std::size_t count, void* out) const;

  unsigned int id = 0;
  std::size_t elements = 0;
};
