#pragma once
// RenderManager: the library's side of drawing. It owns nothing the host cannot see: it turns
// meshes into compiled Geometry, textures into handles and shaders into CompiledShader, each an
// owning value that releases its handle when destroyed.
//
// Geometry is shared by content: a mesh equal to one already compiled (vertex for vertex, index
// for index) gets that compiled handle, and the handle goes back to the render interface only
// once no Geometry holds it and the next ReleaseUnusedGeometry (the end of Context::Update) finds
// it still unused. A repaint that makes the same geometry again (a decorator replaced by one
// that draws the same quad with another image, as an animated sprite does every frame) thus
// neither releases nor compiles anything.
//
// Textures come in two kinds. File textures are cached by path in the texture database and
// released only at Shutdown, so a document that switches an image back and forth never reloads
// it. Generated textures (glyph atlases, decorator images) are owned by their users: the
// TextureResource that describes them lives as long as its owner and regenerates its handle
// when its pixels change.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "rml/render_interface.h"

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
  Texture(RenderManager* manager, TextureResource* resource)
      : manager_(manager), resource_(resource) {}
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
  CompiledShader(RenderManager* manager, CompiledShaderHandle handle)
      : manager_(manager), handle_(handle) {}
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

// Compiled geometry; lets go of its shared handle when destroyed (see RenderManager).
class Geometry {
 public:
  Geometry() = default;
  Geometry(Geometry&& other) noexcept { *this = std::move(other); }
  Geometry& operator=(Geometry&& other) noexcept;
  ~Geometry() { Release(); }
  explicit operator bool() const { return handle_ != 0; }
  CompiledGeometryHandle GetHandle() const { return handle_; }
  // Draws at translation, with a texture (empty: untextured) and a shader (empty: plain draw).
  void Render(Vector2f translation, Texture texture = {}, const CompiledShader& shader = {}) const;
  void Release();

 private:
  friend class RenderManager;
  Geometry(RenderManager* manager, CompiledGeometryHandle handle, std::size_t slot)
      : manager_(manager), handle_(handle), slot_(slot) {}

  RenderManager* manager_ = nullptr;
  CompiledGeometryHandle handle_ = 0;
  std::size_t slot_ = 0;  // the manager's record of the shared handle
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
  // Gives every handle it still has back to the render interface; Geometry made here must be
  // gone by then.
  ~RenderManager();
  RenderManager(const RenderManager&) = delete;
  RenderManager& operator=(const RenderManager&) = delete;

  RenderInterface* GetRenderInterface() const { return render_interface_; }
  // Compiles a mesh, or shares the handle of an equal mesh compiled before and not yet given
  // back; an empty mesh or a missing interface gives empty geometry.
  Geometry MakeGeometry(const Mesh& mesh);
  // Gives back to the render interface the compiled geometry that no Geometry holds.
  void ReleaseUnusedGeometry();
  // Compiled geometry handles the manager holds, in use or waiting to be given back.
  std::size_t GetCompiledGeometryCount() const { return compiled_count_; }
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
  friend class Geometry;
  // One compiled handle and the mesh it was compiled from.
  struct SharedGeometry {
    CompiledGeometryHandle handle = 0;
    std::uint64_t key = 0;
    Mesh mesh;
    int holders = 0;
    bool waiting = false;  // listed in unused_slots_
  };
  using SlotsByKey = std::unordered_multimap<std::uint64_t, std::size_t>;
  // A Geometry of the slot is gone; the handle waits for ReleaseUnusedGeometry.
  void LetGo(std::size_t slot);

  RenderInterface* render_interface_;
  std::vector<SharedGeometry> geometry_slots_;
  std::vector<std::size_t> free_slots_;
  SlotsByKey slots_by_key_;
  // Map nodes of released slots, reused so that a steady stream of new geometry allocates none.
  std::vector<SlotsByKey::node_type> spare_nodes_;
  std::vector<std::size_t> unused_slots_;  // slots whose holders dropped to 0, in that order
  std::size_t compiled_count_ = 0;
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
