#pragma once
// Mesh: the CPU-side geometry the mesh cache loads and GpuMesh uploads. Vertices are interleaved
// floats, each vertex holding its attributes in order; indices are triangle corners.

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

struct Mesh {
  Mesh() = default;

  // Copies the given arrays: `attributeCount` sizes, vertexCount x (sum of the sizes) floats and
  // `indexCount` indices. Null arrays or negative counts copy nothing.
  Mesh(const std::int32_t* sizes, std::int32_t attributeCount, const float* vertexData,
       std::int32_t vertexCount, std::uint64_t stride, const std::int32_t* indexData,
       std::int32_t indexCount)
      : vertexCount(vertexCount > 0 ? vertexCount : 0), stride(stride) {
    if (sizes != nullptr && attributeCount > 0)
      attributeSizes.assign(sizes, sizes + attributeCount);
    const std::size_t floats = static_cast<std::size_t>(this->vertexCount) * FloatsPerVertex();
    if (vertexData != nullptr) vertices.assign(vertexData, vertexData + floats);
    if (indexData != nullptr && indexCount > 0) indices.assign(indexData, indexData + indexCount);
  }

  // Component count of each vertex attribute, in attribute order.
  std::vector<std::int32_t> attributeSizes;
  // Interleaved vertex data.
  std::vector<float> vertices;
  std::int32_t vertexCount = 0;
  // Bytes per vertex: the sum of the attribute sizes times 4.
  std::uint64_t stride = 0;
  // Triangle indices.
  std::vector<std::int32_t> indices;

  std::int32_t AttributeCount() const { return static_cast<std::int32_t>(attributeSizes.size()); }
  std::int32_t IndexCount() const { return static_cast<std::int32_t>(indices.size()); }
  // Floats in one vertex: the sum of the attribute sizes (negative sizes count as 0).
  std::size_t FloatsPerVertex() const {
    return std::accumulate(attributeSizes.begin(), attributeSizes.end(), std::size_t{0},
                           [](std::size_t sum, std::int32_t size) {
                             return sum + static_cast<std::size_t>(size > 0 ? size : 0);
                           });
  }
};
