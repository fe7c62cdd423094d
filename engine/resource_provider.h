#pragma once
// Drawing resources for the load steps of components (textures of animation sheets, glyph
// atlases, tile density maps, meshes, materials). The renderer's resource caches provide them;
// the components only keep the handles. DECS holds the provider (not owned); when none is set,
// components load without drawing resources and keep their "none" handles.

#include <cstdint>
#include <string>

// The GL sampling values that component load steps pass to the provider; the components library
// does not include GL headers.
namespace texture_sampling {
constexpr int kNearest = 0x2600;         // GL_NEAREST
constexpr int kLinear = 0x2601;          // GL_LINEAR
constexpr int kRepeat = 0x2901;          // GL_REPEAT
constexpr int kMirroredRepeat = 0x8370;  // GL_MIRRORED_REPEAT
constexpr int kClampToEdge = 0x812F;     // GL_CLAMP_TO_EDGE
}  // namespace texture_sampling

class ResourceProvider {
 public:
  virtual ~ResourceProvider() = default;

  // The texture loaded from an image file, or -1 when the path is empty. Filters and wrap are
  // GL enum values (GL_NEAREST, GL_LINEAR, GL_REPEAT, ...).
  virtual int GetTexture(const std::string& path, int minFilter, int magFilter, int wrap) = 0;
  // Whether a texture is cached under this path or generated name.
  virtual bool HasTexture(const std::string& name) const = 0;
  // Creates (or, when the name is taken, returns) a texture from RGBA8 pixels, rows bottom
  // first; `pixels` may be null to reuse the cached one.
  virtual int CreateTexture(int width, int height, const std::uint8_t* pixels,
                            const std::string& name, int minFilter, int magFilter) = 0;
  // Mesh and material handles (indices into the caches), -1 for an empty path.
  virtual int GetMesh(const std::string& path) = 0;
  virtual int GetMaterial(const std::string& path) = 0;
};
