#pragma once
// GpuMesh: a Mesh uploaded for drawing (the renderer's full-screen quad, grass blades): a vertex
// buffer with one float attribute per entry of the mesh's attribute sizes, a vertex array over
// it and an index buffer.
//
//   GpuMesh quad(mesh);
//   if (quad.Bind()) glDrawElements(GL_TRIANGLES, quad.IndexCount(), GL_UNSIGNED_INT, nullptr);
//
// A mesh that cannot be drawn safely (too many attributes for the context, a component count
// outside 1..4, a stride smaller than its attributes, fewer vertex floats than vertexCount x
// stride, an index outside the vertices) is logged and nothing is uploaded: Bind() then returns
// false and binds no vertex array. GL objects are deleted in the order vertex array, index
// buffer, vertex buffer. All calls need the GL context.

#include <cstdint>
#include <string>
#include <vector>

#include "render/index_buffer.h"
#include "render/mesh.h"
#include "render/vertex_array.h"
#include "render/vertex_buffer.h"

// Why vertices of these attribute sizes and stride, indexed by these indices, cannot be drawn
// from `vertexCount` vertices; an empty string when they can.
std::string MeshLayoutProblem(const std::vector<int>& attributeSizes, std::uint64_t stride,
                              const std::int32_t* indices, std::int32_t indexCount,
                              std::int32_t vertexCount);

class GpuMesh {
 public:
  explicit GpuMesh(const Mesh& mesh);

  // Binds the vertex buffer, the vertex array and the index buffer; false (and no vertex array
  // bound) when the mesh was refused.
  bool Bind() const;

  bool IsDrawable() const { return vertexArray.IsValid(); }
  std::uint32_t IndexCount() const { return indexBuffer.Count(); }

 private:
  // Declared so that destruction runs vertex array, index buffer, vertex buffer.
  VertexBuffer vertexBuffer;
  IndexBuffer indexBuffer;
  VertexArray vertexArray;
};
