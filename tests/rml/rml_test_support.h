#pragma once
// Test fixtures of the document UI library: a render interface that records every call, a
// system interface that keeps log messages and a settable clock, and a fixture that starts the
// library with DejaVu Sans loaded and an 800 x 600 context.

#include <gtest/gtest.h>

#include <map>

#include "rml/rml.h"

namespace rml_test {

class RecordingRenderInterface : public Rml::RenderInterface {
 public:
  struct Draw {
    Rml::CompiledGeometryHandle geometry;
    Rml::Vector2f translation;
    Rml::TextureHandle texture;
    Rml::CompiledShaderHandle shader = 0;
    Rml::Matrix4f transform{1.f};  // the transform in force when it was drawn
  };
  struct Shader {
    Rml::String name;
    Rml::Dictionary parameters;
  };

  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex> vertices,
                                              std::span<const int> indices) override {
    const Rml::CompiledGeometryHandle handle = ++next_geometry;
    meshes[handle] =
        Rml::Mesh{{vertices.begin(), vertices.end()}, {indices.begin(), indices.end()}};
    return handle;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                      Rml::TextureHandle texture) override {
    draws.push_back({geometry, translation, texture, 0, transform});
  }
  void ReleaseGeometry(Rml::CompiledGeometryHandle geometry) override { meshes.erase(geometry); }
  Rml::TextureHandle LoadTexture(Rml::Vector2i& dimensions, const Rml::String& source) override {
    loaded_textures.push_back(source);
    if (source.find("missing") != Rml::String::npos) return 0;
    dimensions = {64, 32};
    return ++next_texture;
  }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte>, Rml::Vector2i) override {
    ++generated_textures;
    return ++next_texture;
  }
  void ReleaseTexture(Rml::TextureHandle) override { ++released_textures; }
  Rml::CompiledShaderHandle CompileShader(const Rml::String& name,
                                          const Rml::Dictionary& parameters) override {
    shaders.push_back({name, parameters});
    return shaders.size();
  }
  void RenderShader(Rml::CompiledShaderHandle shader, Rml::CompiledGeometryHandle geometry,
                    Rml::Vector2f translation, Rml::TextureHandle texture) override {
    draws.push_back({geometry, translation, texture, shader, transform});
  }
  void SetTransform(const Rml::Matrix4f* matrix) override {
    transform = matrix != nullptr ? *matrix : Rml::Matrix4f(1.f);
    ++transform_calls;
  }
  void EnableScissorRegion(bool enable) override { scissor_enabled = enable; }
  void SetScissorRegion(Rml::Rectanglei region) override { scissors.push_back(region); }

  std::map<Rml::CompiledGeometryHandle, Rml::Mesh> meshes;
  std::vector<Draw> draws;
  std::vector<Rml::String> loaded_textures;
  std::vector<Shader> shaders;  // handle i + 1 is shaders[i]
  std::vector<Rml::Rectanglei> scissors;
  Rml::Matrix4f transform{1.f};
  int transform_calls = 0;
  int generated_textures = 0;
  int released_textures = 0;
  bool scissor_enabled = false;
  Rml::CompiledGeometryHandle next_geometry = 0;
  Rml::TextureHandle next_texture = 0;
};

class RecordingSystemInterface : public Rml::SystemInterface {
 public:
  double GetElapsedTime() override { return time; }
  bool LogMessage(Rml::Log::Type type, const Rml::String& message) override {
    messages.push_back({type, message});
    return true;
  }
  // How many messages contain text.
  int Count(const Rml::String& text) const {
    int count = 0;
    for (const auto& [type, message] : messages)
      count += message.find(text) != Rml::String::npos ? 1 : 0;
    return count;
  }
  double time = 0.0;
  std::vector<std::pair<Rml::Log::Type, Rml::String>> messages;
};

inline constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class RmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rml::SetRenderInterface(&render);
    Rml::SetSystemInterface(&system);
    ASSERT_TRUE(Rml::Initialise());
    ASSERT_TRUE(Rml::LoadFontFace(kFontPath));
    context = Rml::CreateContext("test", {800, 600});
    ASSERT_NE(context, nullptr);
  }
  void TearDown() override {
    Rml::Shutdown();
    Rml::SetRenderInterface(nullptr);
    Rml::SetSystemInterface(nullptr);
  }

  // Loads, shows and lays out a document.
  Rml::ElementDocument* Show(const Rml::String& rml, const Rml::String& url = "[test]") {
    Rml::ElementDocument* document = context->LoadDocumentFromMemory(rml, url);
    if (document != nullptr) document->Show();
    context->Update();
    return document;
  }

  // The border box of the element with an id, in context pixels.
  Rml::Rectanglef BorderBox(Rml::ElementDocument* document, const Rml::String& id) {
    Rml::Element* element = document->GetElementById(id);
    if (element == nullptr) {
      ADD_FAILURE() << "no element #" << id;
      return {};
    }
    return {element->GetAbsoluteOffset(Rml::BoxArea::Border),
            element->GetBox().GetSize(Rml::BoxArea::Border)};
  }

  RecordingRenderInterface render;
  RecordingSystemInterface system;
  Rml::Context* context = nullptr;
};

}  // namespace rml_test
