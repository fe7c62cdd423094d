// A small OpenGL render interface draws a sample document into the test window, and the pixels
// read back show the boxes, the clipping and the text where layout put them.

#include "rml/rml.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <map>

namespace {

constexpr const char* kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 uv;
uniform vec2 translation;
uniform vec2 viewport;
out vec4 vertex_colour;
out vec2 vertex_uv;
void main() {
  vec2 pixel = position + translation;
  gl_Position = vec4(pixel.x / viewport.x * 2.0 - 1.0, 1.0 - pixel.y / viewport.y * 2.0, 0.0, 1.0);
  vertex_colour = colour;
  vertex_uv = uv;
})";

constexpr const char* kFragmentShader = R"(#version 450 core
in vec4 vertex_colour;
in vec2 vertex_uv;
uniform sampler2D image;
uniform bool textured;
out vec4 fragment;
void main() { fragment = textured ? vertex_colour * texture(image, vertex_uv) : vertex_colour; })";

class GlRenderInterface : public Rml::RenderInterface {
 public:
  explicit GlRenderInterface(Rml::Vector2i viewport) : viewport_(viewport) {
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
  }
  ~GlRenderInterface() override { glDeleteProgram(program_); }

  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex> vertices, std::span<const int> indices) override {
    Mesh mesh;
    glCreateVertexArrays(1, &mesh.vao);
    glCreateBuffers(1, &mesh.vbo);
    glCreateBuffers(1, &mesh.ibo);
    glNamedBufferData(mesh.vbo, GLsizeiptr(vertices.size_bytes()), vertices.data(), GL_STATIC_DRAW);
    glNamedBufferData(mesh.ibo, GLsizeiptr(indices.size_bytes()), indices.data(), GL_STATIC_DRAW);
    glVertexArrayVertexBuffer(mesh.vao, 0, mesh.vbo, 0, sizeof(Rml::Vertex));
    glVertexArrayElementBuffer(mesh.vao, mesh.ibo);
    glEnableVertexArrayAttrib(mesh.vao, 0);
    glVertexArrayAttribFormat(mesh.vao, 0, 2, GL_FLOAT, GL_FALSE, offsetof(Rml::Vertex, position));
    glEnableVertexArrayAttrib(mesh.vao, 1);
    glVertexArrayAttribFormat(mesh.vao, 1, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(Rml::Vertex, colour));
    glEnableVertexArrayAttrib(mesh.vao, 2);
    glVertexArrayAttribFormat(mesh.vao, 2, 2, GL_FLOAT, GL_FALSE, offsetof(Rml::Vertex, tex_coord));
    for (GLuint attribute = 0; attribute < 3; ++attribute) glVertexArrayAttribBinding(mesh.vao, attribute, 0);
    mesh.count = GLsizei(indices.size());
    meshes_[++next_] = mesh;
    return next_;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation, Rml::TextureHandle texture) override {
    const Mesh& mesh = meshes_.at(geometry);
    glUseProgram(program_);
    glUniform2f(glGetUniformLocation(program_, "translation"), translation.x, translation.y);
    glUniform2f(glGetUniformLocation(program_, "viewport"), float(viewport_.x), float(viewport_.y));
    glUniform1i(glGetUniformLocation(program_, "textured"), texture != 0);
    glBindTextureUnit(0, GLuint(texture));
    glBindVertexArray(mesh.vao);
    glDrawElements(GL_TRIANGLES, mesh.count, GL_UNSIGNED_INT, nullptr);
  }
  void ReleaseGeometry(Rml::CompiledGeometryHandle geometry) override {
    const Mesh& mesh = meshes_.at(geometry);
    glDeleteVertexArrays(1, &mesh.vao);
    glDeleteBuffers(1, &mesh.vbo);
    glDeleteBuffers(1, &mesh.ibo);
    meshes_.erase(geometry);
  }
  Rml::TextureHandle LoadTexture(Rml::Vector2i&, const Rml::String&) override { return 0; }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte> pixels, Rml::Vector2i size) override {
    GLuint texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA8, size.x, size.y);
    glTextureSubImage2D(texture, 0, 0, 0, size.x, size.y, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
  }
  void ReleaseTexture(Rml::TextureHandle texture) override {
    const GLuint name = GLuint(texture);
    glDeleteTextures(1, &name);
  }
  void EnableScissorRegion(bool enable) override {
    if (enable)
      glEnable(GL_SCISSOR_TEST);
    else
      glDisable(GL_SCISSOR_TEST);
  }
  void SetScissorRegion(Rml::Rectanglei region) override {
    glScissor(region.position.x, viewport_.y - region.position.y - region.size.y, region.size.x, region.size.y);
  }

 private:
  struct Mesh {
    GLuint vao = 0, vbo = 0, ibo = 0;
    GLsizei count = 0;
  };
  static GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
  }
  Rml::Vector2i viewport_;
  GLuint program_ = 0;
  std::map<Rml::CompiledGeometryHandle, Mesh> meshes_;
  Rml::CompiledGeometryHandle next_ = 0;
};

TEST(RmlGlRenderTest, SampleDocumentReachesTheWindow) {
  const Rml::Vector2i size{testing_support::kTestWindowWidth, testing_support::kTestWindowHeight};
  {
    GlRenderInterface render(size);
    Rml::SetRenderInterface(&render);
    ASSERT_TRUE(Rml::Initialise());
    ASSERT_TRUE(Rml::LoadFontFace("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    Rml::Context* context = Rml::CreateContext("gl", size);
    Rml::ElementDocument* document = context->LoadDocumentFromMemory(R"(<rml><head><style>
        body { display: block; width: 64px; height: 64px; background-color: #000080; }
        div { display: block; }
        #red { position: absolute; left: 4px; top: 4px; width: 16px; height: 16px; background-color: red; }
        #frame { position: absolute; left: 32px; top: 4px; width: 20px; height: 20px; border: 2px solid #00ff00;
                 overflow: hidden; }
        #spill { width: 60px; height: 60px; background-color: yellow; }
        #text { position: absolute; left: 4px; top: 36px; font-size: 20px; color: white; }
      </style></head><body><div id='red'/><div id='frame'><div id='spill'/></div><div id='text'>HI</div></body></rml>)",
                                                                     "sample.rml");
    ASSERT_NE(document, nullptr);
    document->Show();
    context->Update();
    glViewport(0, 0, size.x, size.y);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    context->Render();
    glFinish();
    const testing_support::Image image = testing_support::ReadFramebufferPixels(0, 0, size.x, size.y);
    using Pixel = std::array<int, 4>;
    auto rgb = [&](int x, int y) {
      const Pixel p = image.At(x, y);
      return Pixel{p[0], p[1], p[2], 255};
    };
    EXPECT_EQ(rgb(12, 12), (Pixel{255, 0, 0, 255}));      // the red box
    EXPECT_EQ(rgb(2, 2), (Pixel{0, 0, 128, 255}));        // the body around it
    EXPECT_EQ(rgb(33, 5), (Pixel{0, 255, 0, 255}));       // the frame's border
    EXPECT_EQ(rgb(40, 12), (Pixel{255, 255, 0, 255}));    // the child inside the frame
    EXPECT_EQ(rgb(40, 30), (Pixel{0, 0, 128, 255}));      // clipped below the frame
    int white = 0;
    for (int y = 36; y < 60; ++y)
      for (int x = 4; x < 30; ++x) white += rgb(x, y) == Pixel{255, 255, 255, 255} ? 1 : 0;
    EXPECT_GT(white, 20);  // the glyphs of "HI"
    Rml::Shutdown();
  }
  Rml::SetRenderInterface(nullptr);
}

}  // namespace
