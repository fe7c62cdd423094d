// rml_layout_dump: lays out an RML document with the document UI library and prints every
// element's tag, id, classes and border box as JSON, for comparing layouts with a browser.
//
//   rml_layout_dump [--size WIDTHxHEIGHT] [--font FILE]... DOCUMENT.rml
//
// The default size is 800x600 and the default font DejaVu Sans. Log messages go to stderr.

#include <cstdio>
#include <cstring>
#include <string>

#include "rml/rml.h"

namespace {

// A render interface that draws nothing: layout needs none, but images ask for their size.
class NullRenderInterface : public Rml::RenderInterface {
 public:
  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex>,
                                              std::span<const int>) override {
    return 1;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle, Rml::Vector2f, Rml::TextureHandle) override {}
  void ReleaseGeometry(Rml::CompiledGeometryHandle) override {}
  Rml::TextureHandle LoadTexture(Rml::Vector2i&, const Rml::String&) override { return 0; }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte>, Rml::Vector2i) override {
    return 1;
  }
  void ReleaseTexture(Rml::TextureHandle) override {}
  void EnableScissorRegion(bool) override {}
  void SetScissorRegion(Rml::Rectanglei) override {}
};

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out;
}

void Dump(const Rml::Element& element, bool& first) {
  if (element.GetTagName() == "#text") return;
  const Rml::Vector2f position = element.GetAbsoluteOffset(Rml::BoxArea::Border);
  const Rml::Vector2f size = element.GetBox().GetSize(Rml::BoxArea::Border);
  std::printf(
      "%s\n  {\"tag\": \"%s\", \"id\": \"%s\", \"classes\": \"%s\", \"x\": %g, \"y\": %g, "
      "\"width\": %g, \"height\": %g}",
      first ? "" : ",", Escape(element.GetTagName()).c_str(), Escape(element.GetId()).c_str(),
      Escape(element.GetClassNames()).c_str(), double(position.x), double(position.y),
      double(size.x), double(size.y));
  first = false;
  for (int i = 0; i < element.GetNumChildren(); ++i) Dump(*element.GetChild(i), first);
}

}  // namespace

int main(int argc, char** argv) {
  Rml::Vector2i size{800, 600};
  std::vector<std::string> fonts;
  const char* document_path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &size.x, &size.y) != 2 || size.x <= 0 || size.y <= 0) {
        std::fprintf(stderr, "rml_layout_dump: --size wants WIDTHxHEIGHT\n");
        return 2;
      }
    } else if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
      fonts.push_back(argv[++i]);
    } else if (document_path == nullptr && argv[i][0] != '-') {
      document_path = argv[i];
    } else {
      std::fprintf(stderr,
                   "usage: rml_layout_dump [--size WIDTHxHEIGHT] [--font FILE]... DOCUMENT.rml\n");
      return 2;
    }
  }
  if (document_path == nullptr) {
    std::fprintf(stderr,
                 "usage: rml_layout_dump [--size WIDTHxHEIGHT] [--font FILE]... DOCUMENT.rml\n");
    return 2;
  }
  if (fonts.empty()) fonts.push_back("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  NullRenderInterface render_interface;
  Rml::SystemInterface system_interface;
  Rml::SetRenderInterface(&render_interface);
  Rml::SetSystemInterface(&system_interface);
  Rml::Initialise();
  for (const std::string& font : fonts) Rml::LoadFontFace(font);
  Rml::Context* context = Rml::CreateContext("dump", size);
  Rml::ElementDocument* document = context->LoadDocument(document_path);
  int status = 1;
  if (document != nullptr) {
    document->Show();
    context->Update();
    bool first = true;
    std::printf("[");
    Dump(*document, first);
    std::printf("\n]\n");
    status = 0;
  }
  Rml::Shutdown();
  return status;
}
