// A small OpenGL render interface draws sample documents into the test window, and the pixels
// read back show the boxes, the clipping and the text where layout put them, and an animated,
// transformed, decorated document at two times.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "rml/rml.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

constexpr const char* kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 uv;
uniform vec2 translation;
uniform vec2 viewport;
uniform mat4 transform;
out vec4 vertex_colour;
out vec2 vertex_uv;
void main() {
  vec2 pixel = (transform * vec4(position + translation, 0.0, 1.0)).xy;
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

  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex> vertices,
                                              std::span<const int> indices) override {
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
    glVertexArrayAttribFormat(mesh.vao, 1, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                              offsetof(Rml::Vertex, colour));
    glEnableVertexArrayAttrib(mesh.vao, 2);
    glVertexArrayAttribFormat(mesh.vao, 2, 2, GL_FLOAT, GL_FALSE, offsetof(Rml::Vertex, tex_coord));
    for (GLuint attribute = 0; attribute < 3; ++attribute)
      glVertexArrayAttribBinding(mesh.vao, attribute, 0);
    mesh.count = GLsizei(indices.size());
    meshes_[++next_] = mesh;
    return next_;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                      Rml::TextureHandle texture) override {
    const Mesh& mesh = meshes_.at(geometry);
    glUseProgram(program_);
    glUniform2f(glGetUniformLocation(program_, "translation"), translation.x, translation.y);
    glUniform2f(glGetUniformLocation(program_, "viewport"), float(viewport_.x), float(viewport_.y));
    glUniform1i(glGetUniformLocation(program_, "textured"), texture != 0);
    glUniformMatrix4fv(glGetUniformLocation(program_, "transform"), 1, GL_FALSE, &transform_[0][0]);
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
  // Every file is a 2 x 2 magenta swatch.
  Rml::TextureHandle LoadTexture(Rml::Vector2i& dimensions, const Rml::String&) override {
    const std::array<Rml::byte, 16> magenta{255, 0, 255, 255, 255, 0, 255, 255,
                                            255, 0, 255, 255, 255, 0, 255, 255};
    dimensions = {2, 2};
    return GenerateTexture(magenta, dimensions);
  }
  void SetTransform(const Rml::Matrix4f* transform) override {
    transform_ = transform != nullptr ? *transform : Rml::Matrix4f(1.f);
  }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte> pixels,
                                     Rml::Vector2i size) override {
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
    glScissor(region.position.x, viewport_.y - region.position.y - region.size.y, region.size.x,
              region.size.y);
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
  Rml::Matrix4f transform_{1.f};
  GLuint program_ = 0;
  std::map<Rml::CompiledGeometryHandle, Mesh> meshes_;
  Rml::CompiledGeometryHandle next_ = 0;
};

// Updates the context, draws it over black with premultiplied blending and reads the pixels.
testing_support::Image UpdateAndDraw(Rml::Context& context, Rml::Vector2i size) {
  context.Update();
  glViewport(0, 0, size.x, size.y);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  context.Render();
  glFinish();
  return testing_support::ReadFramebufferPixels(0, 0, size.x, size.y);
}

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
    const testing_support::Image image = UpdateAndDraw(*context, size);
    using Pixel = std::array<int, 4>;
    auto rgb = [&](int x, int y) {
      const Pixel p = image.At(x, y);
      return Pixel{p[0], p[1], p[2], 255};
    };
    EXPECT_EQ(rgb(12, 12), (Pixel{255, 0, 0, 255}));    // the red box
    EXPECT_EQ(rgb(2, 2), (Pixel{0, 0, 128, 255}));      // the body around it
    EXPECT_EQ(rgb(33, 5), (Pixel{0, 255, 0, 255}));     // the frame's border
    EXPECT_EQ(rgb(40, 12), (Pixel{255, 255, 0, 255}));  // the child inside the frame
    EXPECT_EQ(rgb(40, 30), (Pixel{0, 0, 128, 255}));    // clipped below the frame
    int white = 0;
    for (int y = 36; y < 60; ++y)
      for (int x = 4; x < 30; ++x) white += rgb(x, y) == Pixel{255, 255, 255, 255} ? 1 : 0;
    EXPECT_GT(white, 20);  // the glyphs of "HI"
    Rml::Shutdown();
  }
  Rml::SetRenderInterface(nullptr);
}

class SteppedClock : public Rml::SystemInterface {
 public:
  double GetElapsedTime() override { return time; }
  double time = 0.0;
};

TEST(RmlGlRenderTest, AnimatedTransformedDecoratedDocumentAtTwoTimes) {
  const Rml::Vector2i size{testing_support::kTestWindowWidth, testing_support::kTestWindowHeight};
  SteppedClock clock;
  {
    GlRenderInterface render(size);
    Rml::SetRenderInterface(&render);
    Rml::SetSystemInterface(&clock);
    ASSERT_TRUE(Rml::Initialise());
    Rml::Context* context = Rml::CreateContext("gl", size);
    Rml::ElementDocument* document = context->LoadDocumentFromMemory(R"(<rml><head><style>
        body { display: block; width: 64px; height: 64px; background-color: #000080; }
        div { display: block; position: absolute; }
        #swatch { left: 8px; top: 8px; width: 16px; height: 16px; decorator: image(swatch.png);
                  animation: grow 1s linear forwards; }
        #block { left: 40px; top: 8px; width: 8px; height: 8px; background-color: red;
                 animation: drop 1s linear forwards; }
        @keyframes grow { from { transform: scale(1); opacity: 1; } to { transform: scale(2); opacity: 0.5; } }
        @keyframes drop { to { transform: translateY(30px) rotate(45deg); } }
      </style></head><body><div id='swatch'/><div id='block'/></body></rml>)",
                                                                     "animated.rml");
    ASSERT_NE(document, nullptr);
    document->Show();
    using Pixel = std::array<int, 4>;
    auto draw_at = [&](double time) {
      clock.time = time;
      return UpdateAndDraw(*context, size);
    };
    auto near = [](const Pixel& a, const Pixel& b) {
      for (int i = 0; i < 3; ++i)
        if (std::abs(a[size_t(i)] - b[size_t(i)]) > 3) return false;
      return true;
    };
    const Pixel navy{0, 0, 128, 255}, magenta{255, 0, 255, 255}, half_magenta{128, 0, 191, 255},
        red{255, 0, 0, 255};

    const testing_support::Image start = draw_at(0.0);
    EXPECT_TRUE(near(start.At(16, 16), magenta));  // the swatch at its own size
    EXPECT_TRUE(near(start.At(5, 5), navy));
    EXPECT_TRUE(near(start.At(44, 12), red));  // the block where layout put it
    EXPECT_TRUE(near(start.At(44, 42), navy));

    const testing_support::Image end = draw_at(1.0);
    EXPECT_TRUE(near(end.At(16, 16), half_magenta));  // half transparent over the body
    EXPECT_TRUE(near(end.At(3, 3), half_magenta));    // scaled twice about its centre: 0..32
    EXPECT_TRUE(near(end.At(44, 12), navy));          // the block moved down...
    EXPECT_TRUE(near(end.At(44, 42), red));
    EXPECT_TRUE(near(end.At(44, 37), red));   // ...turned on its corner: its top point
    EXPECT_TRUE(near(end.At(40, 39), navy));  // and not its old top-left corner
    Rml::Shutdown();
  }
  Rml::SetRenderInterface(nullptr);
  Rml::SetSystemInterface(nullptr);
}

}  // namespace
