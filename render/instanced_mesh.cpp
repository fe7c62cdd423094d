#include "render/instanced_mesh.h"

#include <glad/gl.h>

#include <cstdio>

InstancedMesh::InstancedMesh(const float* vertices, std::int32_t vertexCount,
                             std::uint64_t vertexStride, const std::int32_t* indices,
                             std::int32_t indexCount, const std::vector<int>& attributeSizes,
                             const void* instances, std::int32_t instanceCount,
                             std::uint64_t instanceStride,
                             const std::vector<int>& instanceAttributeSizes) {
  // Both layouts share the attribute indices of one vertex array, so they are checked together.
  std::vector<int> allSizes = attributeSizes;
  allSizes.insert(allSizes.end(), instanceAttributeSizes.begin(), instanceAttributeSizes.end());
  std::string problem = VertexAttributeProblem(allSizes);
  if (problem.empty()) {
    problem = MeshLayoutProblem(attributeSizes, vertexStride, indices, indexCount, vertexCount);
  }
  if (problem.empty()) {
    problem = MeshLayoutProblem(instanceAttributeSizes, instanceStride, nullptr, 0, 0);
  }
  if (!problem.empty()) {
    std::printf("InstancedMesh : mesh refused: %s\n", problem.c_str());
    return;
  }
  vertexBuffer = VertexBuffer(vertexCount, vertexStride, vertices, BufferUsage::DynamicDraw);
  for (const int size : attributeSizes) vertexBuffer.AddAttribute(size);
  indexBuffer = IndexBuffer(static_cast<std::uint32_t>(indexCount > 0 ? indexCount : 0), indices,
                            BufferUsage::DynamicDraw);
  this->instanceCount = instanceCount > 0 ? instanceCount : 0;
  instanceBuffer =
      VertexBuffer(this->instanceCount, instanceStride, instances, BufferUsage::DynamicDraw);
  for (const int size : instanceAttributeSizes) instanceBuffer.AddAttribute(size);
  vertexArray = VertexArray(vertexBuffer, instanceBuffer);
}

void InstancedMesh::UpdateInstances(const void* instances, std::int32_t count,
                                    std::uint64_t stride) {
  if (!IsDrawable()) return;
  if (stride < static_cast<std::uint64_t>(instanceBuffer.Stride())) {
    std::printf(
        "InstancedMesh : instance update refused: stride %llu is smaller than the %d "
        "bytes of the instance attributes\n",
        static_cast<unsigned long long>(stride), instanceBuffer.Stride());
    return;
  }
  instanceCount = count > 0 ? count : 0;
  // New storage under the same buffer name: the vertex array's attribute pointers still refer
  // to it, so nothing needs pointing again (and a steady frame allocates nothing here).
  instanceBuffer.SetData(instanceCount, stride, instances);
}

bool InstancedMesh::Bind() const {
  if (!IsDrawable()) {
    glBindVertexArray(0);
    return false;
  }
  instanceBuffer.Bind();
  vertexArray.Bind();
  indexBuffer.Bind();
  return true;
}
