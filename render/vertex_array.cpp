#include "render/vertex_array.h"

#include <glad/gl.h>

#include <cstdio>
#include <utility>

VertexArray::VertexArray(const VertexBuffer& vertices) { Create(vertices, nullptr); }

VertexArray::VertexArray(const VertexBuffer& vertices, const VertexBuffer& instances) {
  Create(vertices, &instances);
}

void VertexArray::Create(const VertexBuffer& vertices, const VertexBuffer* instances) {
  std::vector<int> sizes = vertices.AttributeSizes();
  if (instances != nullptr) {
    const std::vector<int> instanceSizes = instances->AttributeSizes();
    sizes.insert(sizes.end(), instanceSizes.begin(), instanceSizes.end());
  }
  if (const std::string problem = VertexAttributeProblem(sizes); !problem.empty()) {
    std::printf("VertexArray : not created: %s\n", problem.c_str());
    return;
  }
  vertexAttributeCount = static_cast<std::uint32_t>(vertices.Layout().size());
  glGenVertexArrays(1, &arrayId);
  glBindVertexArray(arrayId);
  vertices.SetAttributePointers(0, 0);
  if (instances != nullptr) instances->SetAttributePointers(vertexAttributeCount, 1);
}

VertexArray::~VertexArray() { Release(); }

VertexArray::VertexArray(VertexArray&& other) noexcept
    : arrayId(std::exchange(other.arrayId, 0u)),
      vertexAttributeCount(std::exchange(other.vertexAttributeCount, 0u)) {}

VertexArray& VertexArray::operator=(VertexArray&& other) noexcept {
  if (this != &other) {
    Release();
    arrayId = std::exchange(other.arrayId, 0u);
    vertexAttributeCount = std::exchange(other.vertexAttributeCount, 0u);
  }
  return *this;
}

void VertexArray::Release() {
  if (arrayId != 0) glDeleteVertexArrays(1, &arrayId);
  arrayId = 0;
}

// An invalid array binds none, so a draw that follows cannot use another mesh's attributes.
void VertexArray::Bind() const { glBindVertexArray(arrayId); }
