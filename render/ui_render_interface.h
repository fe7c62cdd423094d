#pragma once
// UiRenderInterface: the document library's drawing backend on top of the game's renderer.
//
// Nothing here calls GL. Compiled geometry becomes a generated mesh of the resource cache
// (2 position, 4 colour, 2 texture-coordinate floats a vertex), textures come from the texture
// cache, and every draw is queued on the menu layer (3) as an ordered, transparent draw, so the
// documents paint in the order the library issues them: the renderer draws that layer in the
// order queued without the depth test, so a later draw covers an earlier one through any layer
// camera, orthographic or perspective. The z still steps a little nearer for each draw of the
// frame (kDepthStep). A draw of plain opaque colour over
// the whole window (a menu's backdrop) says so (DrawRequest::fillsLayerOfSize), so that the
// renderer need not draw the layers it hides.
//
//   UiRenderInterface ui(cache, renderer, links);   // links: window size, layer camera...
//   Rml::SetRenderInterface(&ui); ... Rml::Shutdown();
//   ui.Close();                                       // later calls do nothing
//
// Handles: a geometry handle is a small number of this interface, a shader handle the material
// index plus one (0 is never a valid object); texture handles are GL texture names. Identical
// geometry compiled twice shares one mesh, counted by reference; the mesh leaves the cache when the
// last handle is released. Only textures generated here (glyph atlases) are deleted on release:
// file textures belong to the cache, which shares them with the rest of the game.
//
// Triangles are stored counter-clockwise (y up) whatever winding the library used, since the
// renderer culls back faces.
//
// Texture orientation and alpha: file images are stored bottom row first with straight alpha
// (as the rest of the game reads them); generated pixels, which the library hands over
// premultiplied, are stored the same way, and every texture coordinate's v is turned over when
// geometry is compiled, so both kinds show upright and one shader draws both. Vertex colours
// stay premultiplied; the UI shaders divide them by their alpha.
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <glm/glm.hpp>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "rml/render_interface.h"

class DrawQueue;
class ResourceCache;

// What the interface needs of the running game, filled by the composition root.
struct UiRenderLinks {
  // The window framebuffer's size in pixels; no area: nothing is queued.
  std::function<glm::ivec2()> framebufferSize;
  // The view-projection the renderer applies on the menu layer; its inverse places UI
  // geometry in window pixels. Absent, or not invertible: the identity.
  std::function<glm::mat4()> layerViewProjection;
  // The mesh at this cache index is released; the renderer drops its uploaded copy.
  std::function<void(int mesh)> meshReleased;
  // The renderer's z of the next interface draw (restarted every frame by the renderer);
  // null: the interface keeps its own.
  float* depth = nullptr;
};

// The 64-bit key of a vertex and an index, as the mesh names use it.
std::uint64_t ComputeGeometryKey(const Rml::Vertex& vertex, int index);
// The key of a whole geometry: the vertex keys folded in order (indices beyond the index list
// count as absent).
std::uint64_t ComputeGeometryKey(std::span<const Rml::Vertex> vertices,
                                 std::span<const int> indices);
// The path the texture cache is asked for: from the last path component "GAME" on, as the
// library joins document-relative paths onto the document's folder; a path without such a
// component is used as it is.
std::string UiTexturePath(const std::string& source);

class UiRenderInterface final : public Rml::RenderInterface {
 public:
  static constexpr int kMenuLayer = 3;
  // Each draw's z steps this far towards the viewer; small enough for about 99 000 draws a frame
  // before the near end of the clip range. (The drawing order, not the depth, decides which of
  // two overlapping draws shows.)
  static constexpr float kDepthStep = 1.0e-5f;
  static constexpr float kNearestDepth = -0.99f;
  static constexpr const char* kMaterial = "./GAME/Assets/Materials/UIMaterial.json";
  static constexpr const char* kUntexturedMaterial = "./GAME/Assets/Materials/UIMaterialNoTex.json";
  // A texture handle that stands for "drop the draw".
  static constexpr Rml::TextureHandle kNoTexture = static_cast<Rml::TextureHandle>(-1);
  // The 1 x 1 white texture that shader draws without an image are given.
  static constexpr const char* kWhiteTextureName = "GENERATED_RML_WHITE_TEXTURE";

  UiRenderInterface(ResourceCache& cache, DrawQueue& queue, UiRenderLinks links);
  ~UiRenderInterface() override;
  UiRenderInterface(const UiRenderInterface&) = delete;
  UiRenderInterface& operator=(const UiRenderInterface&) = delete;

  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex> vertices,
                                              std::span<const int> indices) override;
  void RenderGeometry(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                      Rml::TextureHandle texture) override;
  void ReleaseGeometry(Rml::CompiledGeometryHandle geometry) override;
  // Writes the texture's size in pixels; 0 when the source cannot name a texture.
  Rml::TextureHandle LoadTexture(Rml::Vector2i& texture_dimensions,
                                 const Rml::String& source) override;
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte> source,
                                     Rml::Vector2i source_dimensions) override;
  void ReleaseTexture(Rml::TextureHandle texture) override;
  void EnableScissorRegion(bool enable) override;
  void SetScissorRegion(Rml::Rectanglei region) override;
  void SetTransform(const Rml::Matrix4f* transform) override;
  // The material of the "value" parameter (a material file path).
  Rml::CompiledShaderHandle CompileShader(const Rml::String& name,
                                          const Rml::Dictionary& parameters) override;
  // Texture 0 (none) draws with a white texture, so the material's texel reads 1.
  void RenderShader(Rml::CompiledShaderHandle shader, Rml::CompiledGeometryHandle geometry,
                    Rml::Vector2f translation, Rml::TextureHandle texture) override;

  // From now on every operation does nothing (compiles and loads fail). Called once the
  // library has shut down, before the cache and renderer go.
  void Close() { closed = true; }
  bool IsClosed() const { return closed; }

  // The cache mesh of a geometry handle, -1 when the handle is not live.
  int MeshOf(Rml::CompiledGeometryHandle geometry) const;
  std::size_t LiveGeometryCount() const { return geometryCount; }
  float Depth() const { return links.depth != nullptr ? *links.depth : ownDepth; }

 private:
  struct GeometrySlot {
    int mesh = -1;
    int references = 0;
    std::uint64_t key = 0;
    // The rectangle (x0, y0, x1, y1, window pixels before translation) the geometry paints
    // whole in opaque colour, when it is such a rectangle.
    std::optional<glm::vec4> opaqueRectangle;
  };

  // Queues one draw of geometry with a material; the depth steps even when nothing is queued.
  // `plainColour`: the untextured material, which draws the vertex colours as they are.
  void QueueUiDraw(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                   Rml::TextureHandle texture, int material, bool plainColour);
  // The white texture, made in the cache the first time it is needed; kNoTexture when it
  // cannot be made.
  Rml::TextureHandle WhiteTexture();
  // The inverse of the layer camera's view-projection; none when there is no camera link or
  // the matrix cannot be inverted.
  std::optional<glm::mat4> LayerInverse() const;
  // Whether a draw of the slot's geometry covers the whole `size` window in opaque colour
  // (see DrawRequest::fillsLayerOfSize): an opaque rectangle over all of it, neither
  // transformed nor scissored narrower, drawn with a material of full alpha.
  bool FillsWindow(const GeometrySlot& slot, Rml::Vector2f translation, int material,
                   glm::ivec2 size) const;

  ResourceCache& cache;
  DrawQueue& queue;
  UiRenderLinks links;
  bool closed = false;
  float ownDepth = 0.0f;
  glm::mat4 transform{1.0f};
  bool scissorEnabled = false;
  Rml::Rectanglei scissor{};

  std::vector<GeometrySlot> geometries;  // handle - 1
  std::vector<std::size_t> freeGeometries;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> geometriesByKey;
  std::size_t geometryCount = 0;
  std::unordered_set<Rml::TextureHandle> generatedTextures;
  unsigned generatedTextureCount = 0;
  int whiteTexture = -1;
};
