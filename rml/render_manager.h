#pragma once
// RenderManager: the library's side of drawing. It owns nothing the host cannot see: it turns
// meshes into compiled Geometry, textures into handles and shaders into CompiledShader, each an
// owning value that releases its handle when destroyed.
//
// Textures come in two kinds. File textures are cached by path in the texture database and
// released only at Shutdown, so a document that switches an image back and forth never reloads
// it. Generated textures (glyph atlases, decorator images) are owned by their users: the
// TextureResource that describes them lives as long as its owner and regenerates its handle
// when its pixels change.

#include "rml/render_interface.h"

#include <functional>

namespace Rml {

class RenderManager;

// One texture known to the library: a file path or a pixel generator, and its handle once made.
class TextureResource {
 public:
  using Generator = std::function<bool(std::vector<byte>& pixels, Vector2i& dimensions)>;
  explicit TextureResource(String source) : source_(std::move(source)) {}
  explicit TextureResource(Generator generator) : generator_(std::move(generator)) {}
  ~TextureResource();
  TextureResource(const TextureResource&) = delete;
  TextureResource& operator=(const TextureResource&) = delete;

  // The handle, loading or generating it first through render_interface when needed.
  TextureHandle GetHandle(RenderInterface* render_interface);
  Vector2i GetDimensions(RenderInterface* render_interface);
  const String& GetSource() const { return source_; }
  // Generated textures: the pixels changed, so the next GetHandle makes a new handle.
  void MarkDirty() { dirty_ = true; }
  // Gives the handle back to the render interface that made it.
  void Release();

 private:
  String source_;
  Generator generator_;
  RenderInterface* owner_ = nullptr;
  TextureHandle handle_ = 0;
  Vector2i dimensions_{0, 0};
  bool loaded_ = false;
  bool dirty_ = true;
};

// A non-owning reference to a texture resource, as geometry and decorators hold it.
class Texture {
 public:
  Texture() = default;
  Texture(RenderManager* manager, TextureResource* resource) : manager_(manager), resource_(resource) {}
  explicit operator bool() const { return resource_ != nullptr; }
  Vector2i GetDimensions() const;
  TextureHandle GetHandle() const;
  TextureResource* GetResource() const { return resource_; }
  bool operator==(const Texture& other) const { return resource_ == other.resource_; }

 private:
  RenderManager* manager_ = nullptr;
  TextureResource* resource_ = nullptr;
};

// A compiled shader; releases its handle when destroyed.
class CompiledShader {
 public:
  CompiledShader() = default;
  CompiledShader(RenderManager* manager, CompiledShaderHandle handle) : manager_(manager), handle_(handle) {}
  CompiledShader(CompiledShader&& other) noexcept { *this = std::move(other); }
  CompiledShader& operator=(CompiledShader&& other) noexcept;
  ~CompiledShader() { Release(); }
  explicit operator bool() const { return handle_ != 0; }
  CompiledShaderHandle GetHandle() const { return handle_; }
  void Release();

 private:
  RenderManager* manager_ = nullptr;
  CompiledShaderHandle handle_ = 0;
};

// Compiled geometry; releases its handle when destroyed.
class Geometry {
 public:
  Geometry() = default;
  Geometry(RenderManager* manager, CompiledGeometryHandle handle) : manager_(manager), handle_(handle) {}
  Geometry(Geometry&& other) noexcept { *this = std::move(other); }
  Geometry& operator=(Geometry&& other) noexcept;
  ~Geometry() { Release(); }
  explicit operator bool() const { return handle_ != 0; }
  CompiledGeometryHandle GetHandle() const { return handle_; }
  // Draws at translation, with a texture (empty: untextured) and a shader (empty: plain draw).
  void Render(Vector2f translation, Texture texture = {}, const CompiledShader& shader = {}) const;
  void Release();

 private:
  RenderManager* manager_ = nullptr;
  CompiledGeometryHandle handle_ = 0;
};

// A path as written in a document or style sheet, with the document it was written in.
class TextureSource {
 public:
  TextureSource() = default;
  TextureSource(String source, String document_path)
      : source_(std::move(source)), document_path_(std::move(document_path)) {}
  // The texture the source names, joined to its document's path, through the texture database.
  Texture GetTexture(RenderManager& render_manager) const;
  const String& GetSource() const { return source_; }
  const String& GetDefinitionSource() const { return document_path_; }

 private:
  String source_;
  String document_path_;
};

struct Spritesheet {
  String name;
  float display_scale = 1.f;
  TextureSource texture_source;
};

// A named rectangle of a sprite sheet's texture.
struct Sprite {
  Rectanglef rectangle;
  const Spritesheet* sprite_sheet = nullptr;
};

class RenderManager {
 public:
  explicit RenderManager(RenderInterface* render_interface) : render_interface_(render_interface) {}
  RenderManager(const RenderManager&) = delete;
  RenderManager& operator=(const RenderManager&) = delete;

  RenderInterface* GetRenderInterface() const { return render_interface_; }
  // Compiles a mesh; an empty mesh or a missing interface gives empty geometry.
  Geometry MakeGeometry(const Mesh& mesh);
  CompiledShader CompileShader(const String& name, const Dictionary& parameters);
  // The file texture at path (joined already), from the texture database.
  Texture LoadTexture(const String& path);
  Texture MakeTexture(TextureResource* resource) { return Texture(this, resource); }

  void SetScissorRegion(const Rectanglei* region);
  // The transform of the following draws (null: none); the interface hears only changes.
  void SetTransform(const Matrix4f* transform);
  // Geometry and draw calls issued since the manager was made (for benchmarks and tests).
  unsigned GetDrawCount() const { return draw_count_; }
  void CountDraw() { ++draw_count_; }

 private:
  RenderInterface* render_interface_;
  bool scissor_enabled_ = false;
  Rectanglei scissor_{};
  bool transform_set_ = false;
  Matrix4f transform_{1.f};
  unsigned draw_count_ = 0;
};

// File textures of every context, keyed by path; released at Shutdown.
namespace TextureDatabase {
TextureResource* Find(const String& path);
void ReleaseAll();
}  // namespace TextureDatabase

}  // namespace Rml
