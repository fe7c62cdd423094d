#include "render/gpu_mesh.h"

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "render/index_buffer.h"
#include "render/instanced_mesh.h"
#include "render/mesh.h"
#include "render/vertex_array.h"
#include "render/vertex_buffer.h"
#include "tests/support/gl_test_environment.h"

// A copy would delete the same GL buffer twice.
static_assert(!std::is_copy_constructible_v<VertexBuffer> &&
              !std::is_copy_assignable_v<VertexBuffer> &&
              std::is_nothrow_move_constructible_v<VertexBuffer>);

namespace {

// A triangle of `floatsPerVertex` floats per vertex, numbered so every float differs.
std::vector<float> Triangle(int floatsPerVertex) {
  std::vector<float> vertices(static_cast<std::size_t>(3 * floatsPerVertex));
  for (std::size_t index = 0; index < vertices.size(); ++index) {
    vertices[index] = static_cast<float>(index);
  }
  return vertices;
}

Mesh TriangleMesh(std::vector<std::int32_t> sizes) {
  Mesh mesh;
  mesh.attributeSizes = std::move(sizes);
  mesh.vertexCount = 3;
  mesh.stride = 4 * mesh.FloatsPerVertex();
  mesh.vertices = Triangle(static_cast<int>(mesh.FloatsPerVertex()));
  mesh.indices = {0, 1, 2};
  return mesh;
}

GLint VertexAttribute(GLuint index, GLenum property) {
  GLint value = -1;
  glGetVertexAttribiv(index, property, &value);
  return value;
}

void DrainGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

struct ExpectedAttribute {
  GLint size;
  GLint stride;
  std::uintptr_t offset;
  GLint divisor;
};

struct LayoutCase {
  const char* name;
  // Creates the objects, leaves their vertex array bound, and returns what keeps them alive.
  std::function<std::shared_ptr<void>()> build;
  std::vector<ExpectedAttribute> expected;  // attributes 0.. in order; the next one is disabled
  GLenum usage;                             // of the buffer behind attribute 0
};

// A VertexBuffer with a vertex array over it.
struct BufferWithArray {
  VertexBuffer buffer;
  VertexArray array;
};

std::shared_ptr<void> BufferOfSizes(const std::vector<int>& sizes) {
  int floats = 0;
  for (const int size : sizes) floats += size;
  const std::vector<float> vertices = Triangle(floats);
  auto built = std::make_shared<BufferWithArray>();
  built->buffer = VertexBuffer(3, 4 * static_cast<std::uint64_t>(floats), vertices.data());
  for (const int size : sizes) built->buffer.AddAttribute(size);
  built->array = VertexArray(built->buffer);
  EXPECT_TRUE(built->array.IsValid());
  built->array.Bind();
  return built;
}

TEST(VertexLayout, PlacesAttributesAtTheirOffsetsWithTheirDivisors) {
  const std::vector<float> instances(2 * 16, 1.0f);
  const LayoutCase cases[] = {
      {"GpuMesh with sizes 3, 2",
       [] {
         auto mesh = std::make_shared<GpuMesh>(TriangleMesh({3, 2}));
         EXPECT_TRUE(mesh->Bind());
         return mesh;
       },
       {{3, 20, 0, 0}, {2, 20, 12, 0}},
       GL_DYNAMIC_DRAW},
      {"InstancedMesh with sizes 3, 2 and instance sizes 4, 4, 4, 4",
       [&instances] {
         const std::vector<float> vertices = Triangle(5);
         const std::int32_t indices[] = {0, 1, 2};
         auto mesh = std::make_shared<InstancedMesh>(vertices.data(), 3, 20, indices, 3,
                                                     std::vector<int>{3, 2}, instances.data(), 2,
                                                     64, std::vector<int>{4, 4, 4, 4});
         EXPECT_TRUE(mesh->Bind());
         return mesh;
       },
       {{3, 20, 0, 0},
        {2, 20, 12, 0},
        {4, 64, 0, 1},
        {4, 64, 16, 1},
        {4, 64, 32, 1},
        {4, 64, 48, 1}},
       GL_DYNAMIC_DRAW},
      {"VertexBuffer with sizes 3, 2, 3",
       [] {
         return BufferOfSizes({3, 2, 3});
       },
       {{3, 32, 0, 0}, {2, 32, 12, 0}, {3, 32, 20, 0}},
       GL_STATIC_DRAW},
      {"VertexBuffer without attributes", [] { return BufferOfSizes({}); }, {}, 0},
  };
  for (const LayoutCase& test : cases) {
    SCOPED_TRACE(test.name);
    DrainGlErrors();
    const std::shared_ptr<void> keepAlive = test.build();
    std::vector<GLint> buffers;
    for (GLuint index = 0; index < test.expected.size(); ++index) {
      const ExpectedAttribute& expected = test.expected[index];
      SCOPED_TRACE("attribute " + std::to_string(index));
      EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
      EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_SIZE), expected.size);
      EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_TYPE), GL_FLOAT);
      EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_STRIDE), expected.stride);
      EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_DIVISOR), expected.divisor);
      void* offset = nullptr;
      glGetVertexAttribPointerv(index, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset), expected.offset);
      buffers.push_back(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING));
    }
    const auto nextIndex = static_cast<GLuint>(test.expected.size());
    EXPECT_EQ(VertexAttribute(nextIndex, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    if (!buffers.empty()) {
      GLint usage = 0;
      glGetNamedBufferParameteriv(static_cast<GLuint>(buffers[0]), GL_BUFFER_USAGE, &usage);
      EXPECT_EQ(static_cast<GLenum>(usage), test.usage);
    }
    // Per-instance attributes read a buffer of their own.
    for (std::size_t index = 1; index < buffers.size(); ++index) {
      const bool sameKind = test.expected[index].divisor == test.expected[0].divisor;
      EXPECT_EQ(buffers[index] == buffers[0], sameKind) << "attribute " << index;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

std::vector<std::uint8_t> BufferBytes(GLuint buffer) {
  GLint size = 0;
  glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &size);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  glGetNamedBufferSubData(buffer, 0, size, bytes.data());
  return bytes;
}

template <typename Value>
std::vector<std::uint8_t> BytesOf(const std::vector<Value>& values) {
  std::vector<std::uint8_t> bytes(values.size() * sizeof(Value));
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

TEST(GpuMesh, UploadsTheMeshVerticesAndIndices) {
  Mesh mesh = TriangleMesh({3, 3, 2});
  mesh.indices = {2, 0, 1, 1, 2, 0};
  GpuMesh gpuMesh(mesh);
  ASSERT_TRUE(gpuMesh.Bind());
  EXPECT_EQ(gpuMesh.IndexCount(), 6u);

  const auto vertexBuffer =
      static_cast<GLuint>(VertexAttribute(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING));
  GLint indexBuffer = 0;
  glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &indexBuffer);
  EXPECT_EQ(BufferBytes(vertexBuffer), BytesOf(mesh.vertices));
  EXPECT_EQ(BufferBytes(static_cast<GLuint>(indexBuffer)), BytesOf(mesh.indices));
}

TEST(GpuMesh, RefusesAMeshItCannotDrawSafely) {
  struct RefusedCase {
    const char* name;
    std::function<void(Mesh&)> spoil;
    std::string logFragment;
  };
  const RefusedCase cases[] = {
      {"fewer vertex floats than vertexCount x stride",
       [](Mesh& mesh) { mesh.vertices.resize(mesh.vertices.size() - 1); }, "vertex floats"},
      {"an index past the last vertex", [](Mesh& mesh) { mesh.indices[1] = 3; },
       "index 3 at 1 is outside the 3 vertices"},
      {"a negative index", [](Mesh& mesh) { mesh.indices[2] = -1; }, "index -1"},
      {"an attribute of five components",
       [](Mesh& mesh) {
         mesh.attributeSizes = {5};
         mesh.stride = 20;
       },
       "attribute 0 has 5 components"},
      {"a stride smaller than the attributes", [](Mesh& mesh) { mesh.stride = 16; },
       "stride 16 is smaller than the 20 bytes"},
  };
  for (const RefusedCase& test : cases) {
    SCOPED_TRACE(test.name);
    Mesh mesh = TriangleMesh({3, 2});
    test.spoil(mesh);
    DrainGlErrors();
    testing::internal::CaptureStdout();
    GpuMesh gpuMesh(mesh);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("GpuMesh : mesh refused: "), std::string::npos) << log;
    EXPECT_NE(log.find(test.logFragment), std::string::npos) << log;
    EXPECT_FALSE(gpuMesh.IsDrawable());
    EXPECT_FALSE(gpuMesh.Bind());
    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST(InstancedMesh, RefusesMoreAttributesThanTheContextHas) {
  const int maximum = MaxVertexAttributes();
  ASSERT_GE(maximum, 16);
  struct LimitCase {
    const char* name;
    int instanceAttributes;  // of 4 floats each, after 2 vertex attributes
    bool drawable;
  };
  const LimitCase cases[] = {
      {"exactly at the limit", maximum - 2, true},
      {"one over the limit", maximum - 1, false},
  };
  const std::vector<float> vertices = Triangle(5);
  const std::int32_t indices[] = {0, 1, 2};
  for (const LimitCase& test : cases) {
    SCOPED_TRACE(test.name);
    const std::vector<int> instanceSizes(static_cast<std::size_t>(test.instanceAttributes), 4);
    const std::uint64_t instanceStride = 16 * instanceSizes.size();
    const std::vector<float> instances(instanceSizes.size() * 4 * 2, 0.5f);
    DrainGlErrors();
    testing::internal::CaptureStdout();
    InstancedMesh mesh(vertices.data(), 3, 20, indices, 3, {3, 2}, instances.data(), 2,
                       instanceStride, instanceSizes);
    mesh.UpdateInstances(instances.data(), 1, instanceStride);
    const std::string log = testing::internal::GetCapturedStdout();

    EXPECT_EQ(mesh.IsDrawable(), test.drawable);
    EXPECT_EQ(mesh.Bind(), test.drawable);
    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray != 0, test.drawable);
    if (test.drawable) {
      EXPECT_EQ(log, "");
      EXPECT_EQ(mesh.InstanceCount(), 1);
      EXPECT_EQ(VertexAttribute(static_cast<GLuint>(maximum - 1), GL_VERTEX_ATTRIB_ARRAY_DIVISOR),
                1);
    } else {
      EXPECT_NE(log.find("InstancedMesh : mesh refused: " + std::to_string(maximum + 1) +
                         " vertex attributes, the context allows " + std::to_string(maximum)),
                std::string::npos)
          << log;
      EXPECT_EQ(mesh.InstanceCount(), 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST(InstancedMesh, UpdateInstancesRefillsTheInstanceBuffer) {
  const std::vector<float> vertices = Triangle(5);
  const std::int32_t indices[] = {0, 1, 2};
  const std::vector<float> first(16, 1.0f);
  InstancedMesh mesh(vertices.data(), 3, 20, indices, 3, {3, 2}, first.data(), 1, 64, {4, 4, 4, 4});
  ASSERT_TRUE(mesh.IsDrawable());

  std::vector<float> second(3 * 16);
  for (std::size_t index = 0; index < second.size(); ++index) {
    second[index] = static_cast<float>(index) * 0.5f;
  }
  mesh.UpdateInstances(second.data(), 3, 64);
  EXPECT_EQ(mesh.InstanceCount(), 3);
  ASSERT_TRUE(mesh.Bind());
  for (GLuint index = 2; index <= 5; ++index) {
    EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_DIVISOR), 1) << index;
    EXPECT_EQ(VertexAttribute(index, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 64) << index;
  }
  const auto instanceBuffer =
      static_cast<GLuint>(VertexAttribute(2, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING));
  EXPECT_EQ(BufferBytes(instanceBuffer), BytesOf(second));

  // Instances narrower than the instance attributes would be read past their end.
  testing::internal::CaptureStdout();
  mesh.UpdateInstances(second.data(), 6, 32);
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_NE(log.find("InstancedMesh : instance update refused: stride 32"), std::string::npos)
      << log;
  EXPECT_EQ(mesh.InstanceCount(), 3);
  EXPECT_EQ(BufferBytes(instanceBuffer), BytesOf(second));
}

TEST(GlBufferOwners, DeleteTheirObjectsOnceAndPassThemOnWhenMoved) {
  const std::vector<float> data(6, 1.0f);
  VertexBuffer first(3, 8, data.data());
  first.AddAttribute(2);
  const GLuint name = first.Id();
  ASSERT_TRUE(glIsBuffer(name));

  VertexBuffer second(std::move(first));
  EXPECT_EQ(first.Id(), 0u);
  EXPECT_EQ(second.Id(), name);
  EXPECT_EQ(second.Stride(), 8);
  {
    VertexBuffer third;
    third = std::move(second);
    EXPECT_EQ(second.Id(), 0u);
  }
  EXPECT_FALSE(glIsBuffer(name));

  GLuint arrayName = 0;
  GLuint indexName = 0;
  {
    GpuMesh mesh(TriangleMesh({3}));
    ASSERT_TRUE(mesh.Bind());
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    arrayName = static_cast<GLuint>(bound);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    indexName = static_cast<GLuint>(bound);
  }
  glBindVertexArray(0);
  EXPECT_FALSE(glIsVertexArray(arrayName));
  EXPECT_FALSE(glIsBuffer(indexName));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
