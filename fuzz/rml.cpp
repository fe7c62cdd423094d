// RML documents: loaded from memory into a context, shown and laid out, with a render
// interface that draws nothing and a font so that text is shaped.
#include "rml/rml.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

class NullRenderInterface : public Rml::RenderInterface {
 public:
  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex>,
                                              std::span<const int>) override {
    return ++next;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle, Rml::Vector2f, Rml::TextureHandle) override {}
  void ReleaseGeometry(Rml::CompiledGeometryHandle) override {}
  Rml::TextureHandle LoadTexture(Rml::Vector2i& dimensions, const Rml::String&) override {
    dimensions = {16, 16};
    return ++next;
  }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte>, Rml::Vector2i) override {
    return ++next;
  }
  void ReleaseTexture(Rml::TextureHandle) override {}
  void EnableScissorRegion(bool) override {}
  void SetScissorRegion(Rml::Rectanglei) override {}

 private:
  std::uintptr_t next = 0;
};

class QuietSystemInterface : public Rml::SystemInterface {
 public:
  double GetElapsedTime() override { return 0.0; }
  bool LogMessage(Rml::Log::Type, const Rml::String&) override { return true; }
};

Rml::Context* StartLibrary() {
  static NullRenderInterface render;
  static QuietSystemInterface system;
  Rml::SetRenderInterface(&render);
  Rml::SetSystemInterface(&system);
  Rml::Initialise();
  Rml::LoadFontFace("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  return Rml::CreateContext("fuzz", {800, 600});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Rml::Context* context = StartLibrary();
  Rml::ElementDocument* document = context->LoadDocumentFromMemory(
      std::string(reinterpret_cast<const char*>(data), size), "fuzz.rml");
  if (document != nullptr) {
    document->Show();
    context->Update();
    context->Render();
    document->Close();
  }
  context->Update();
  return 0;
}
