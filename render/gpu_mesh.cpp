#include "render/gpu_mesh.h"

#include <glad/gl.h>

#include <cstdio>
#include <numeric>

std::string MeshLayoutProblem(const std::vector<int>& attributeSizes, std::uint64_t stride,
                              const std::int32_t* indices, std::int32_t indexCount,
                              std::int32_t vertexCount) {
  if (std::string problem = VertexAttributeProblem(attributeSizes); !problem.empty()) {
    return problem;
  }
  const std::uint64_t attributeBytes = 4 * static_cast<std::uint64_t>(std::accumulate(
                                               attributeSizes.begin(), attributeSizes.end(), 0));
  if (stride < attributeBytes) {
    return "stride " + std::to_string(stride) + " is smaller than the " +
           std::to_string(attributeBytes) + " bytes of the attributes";
  }
  if (indexCount > 0 && indices == nullptr) return "no index data";
  for (std::int32_t at = 0; at < indexCount; ++at) {
    if (indices[at] < 0 || indices[at] >= vertexCount) {
      return "index " + std::to_string(indices[at]) + " at " + std::to_string(at) +
             " is outside the " + std::to_string(vertexCount) + " vertices";
    }
  }
  return {};
}

GpuMesh::GpuMesh(const Mesh& mesh) {
  std::vector<int> sizes(mesh.attributeSizes.begin(), mesh.attributeSizes.end());
  const std::int32_t vertexCount = mesh.vertexCount > 0 ? mesh.vertexCount : 0;
  std::string problem =
      MeshLayoutProblem(sizes, mesh.stride, mesh.indices.data(), mesh.IndexCount(), vertexCount);
  if (problem.empty() && mesh.vertices.size() * 4 < vertexCount * mesh.stride) {
    problem = std::to_string(mesh.vertices.size()) + " vertex floats for " +
              std::to_string(vertexCount) + " vertices of " + std::to_string(mesh.stride) +
              " bytes";
  }
  if (!problem.empty()) {
    std::printf("GpuMesh : mesh refused: %s\n", problem.c_str());
    return;
  }
  vertexBuffer =
      VertexBuffer(vertexCount, mesh.stride, mesh.vertices.data(), BufferUsage::DynamicDraw);
  for (const int size : sizes) vertexBuffer.AddAttribute(size);
  vertexArray = VertexArray(vertexBuffer);
  indexBuffer = IndexBuffer(static_cast<std::uint32_t>(mesh.IndexCount()), mesh.indices.data(),
                            BufferUsage::DynamicDraw);
}

bool GpuMesh::Bind() const {
  if (!IsDrawable()) {
    glBindVertexArray(0);
    return false;
  }
  vertexBuffer.Bind();
  vertexArray.Bind();
  indexBuffer.Bind();
  return true;
}
