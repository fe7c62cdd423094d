#pragma once
// InstancedMesh: a mesh plus a buffer of per-instance data, drawn many times in one call (every
// batch of the renderer). The mesh's vertex attributes take indices 0..n-1; the instance
// attributes take the following indices with divisor 1.
//
//   InstancedMesh batch(vertices, 4, 20, indices, 6, {3, 2}, models, count, 64, {4, 4, 4, 4});
//   batch.UpdateInstances(models, count, 64);   // each frame
//   if (batch.Bind()) glDrawElementsInstanced(GL_TRIANGLES, batch.IndexCount(),
//                                             GL_UNSIGNED_INT, nullptr, batch.InstanceCount());
//
// Refusal: when the vertex attributes and instance attributes together exceed the context's
// GL_MAX_VERTEX_ATTRIBS (or a layout is otherwise unusable, see MeshLayoutProblem), the mesh is
// logged and nothing is uploaded; Bind() returns false and UpdateInstances does nothing. GL
// objects are deleted in the order vertex array, index buffer, instance buffer, vertex buffer.
// All calls need the GL context.

#include <cstdint>
#include <vector>

#include "render/gpu_mesh.h"
#include "render/index_buffer.h"
#include "render/vertex_array.h"
#include "render/vertex_buffer.h"

class InstancedMesh {
 public:
  // `vertices`: vertexCount elements of vertexStride bytes; `instances`: instanceCount elements
  // of instanceStride bytes; each sizes list gives one float attribute per entry.
  InstancedMesh(const float* vertices, std::int32_t vertexCount, std::uint64_t vertexStride,
                const std::int32_t* indices, std::int32_t indexCount,
                const std::vector<int>& attributeSizes, const void* instances,
                std::int32_t instanceCount, std::uint64_t instanceStride,
                const std::vector<int>& instanceAttributeSizes);

  // Replaces the instance data (count elements of stride bytes); the instance attributes keep
  // reading the same buffer. A stride smaller than the instance attributes is refused.
  void UpdateInstances(const void* instances, std::int32_t count, std::uint64_t stride);

  // Binds the instance buffer, the vertex array and the index buffer; false (and no vertex array
  // bound) when the mesh was refused.
  bool Bind() const;

  bool IsDrawable() const { return vertexArray.IsValid(); }
  std::int32_t InstanceCount() const { return instanceCount; }
  std::uint32_t IndexCount() const { return indexBuffer.Count(); }

 private:
  // Declared so that destruction runs vertex array, index buffer, instance buffer, vertex
  // buffer.
  VertexBuffer vertexBuffer;
  VertexBuffer instanceBuffer;
  IndexBuffer indexBuffer;
  VertexArray vertexArray;
  std::int32_t instanceCount = 0;
};
