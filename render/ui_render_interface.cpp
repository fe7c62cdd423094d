#include "render/ui_render_interface.h"

#include <glad/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>

#include "platform/os/file_path.h"
#include "render/draw_queue.h"
#include "render/mesh.h"
#include "render/resource_cache.h"

namespace {

constexpr std::int32_t kVertexAttributes[] = {2, 4, 2};
constexpr int kFloatsPerVertex = 8;

// 64-bit FNV-1a over the bytes of a value.
template <typename T>
std::uint64_t HashBytes(const T& value) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

// Positive and negative zero are one value.
std::uint64_t HashFloat(float value) { return HashBytes(value == 0.0f ? 0.0f : value); }

std::uint64_t Mix(std::uint64_t seed, std::uint64_t hash) {
  return hash + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
}

// The cache's floats of a geometry: rounded positions, colours in 0..1, and texture coordinates
// with v turned over (see the header). Without any texture coordinate the corners get 0 or 1
// by the side of the origin they lie on.
std::vector<float> BuildVertexFloats(std::span<const Rml::Vertex> vertices) {
  const bool noTextureCoordinates = std::all_of(
      vertices.begin(), vertices.end(),
      [](const Rml::Vertex& v) { return v.tex_coord.x == 0.0f && v.tex_coord.y == 0.0f; });
  std::vector<float> floats;
  floats.reserve(vertices.size() * kFloatsPerVertex);
  for (const Rml::Vertex& vertex : vertices) {
    const float x = std::round(vertex.position.x);
    const float y = std::round(vertex.position.y);
    floats.insert(floats.end(), {x, y, vertex.colour.red / 255.0f, vertex.colour.green / 255.0f,
                                 vertex.colour.blue / 255.0f, vertex.colour.alpha / 255.0f});
    if (noTextureCoordinates) {
      floats.push_back(x > 0.0f ? 1.0f : 0.0f);
      floats.push_back(1.0f - (y > 0.0f ? 1.0f : 0.0f));
    } else {
      floats.push_back(vertex.tex_coord.x);
      floats.push_back(1.0f - vertex.tex_coord.y);
    }
  }
  return floats;
}

// The library's triangles come in either winding; the renderer culls faces that turn clockwise
// on screen, so every triangle is turned counter-clockwise (as seen with y up).
std::vector<std::int32_t> FrontFacingIndices(std::span<const Rml::Vertex> vertices,
                                             std::span<const int> indices) {
  std::vector<std::int32_t> result(indices.begin(), indices.end());
  for (std::size_t i = 0; i + 2 < result.size(); i += 3) {
    const Rml::Vector2f a = vertices[static_cast<std::size_t>(result[i])].position;
    const Rml::Vector2f b = vertices[static_cast<std::size_t>(result[i + 1])].position;
    const Rml::Vector2f c = vertices[static_cast<std::size_t>(result[i + 2])].position;
    // Positive with y down is clockwise with y up.
    if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) > 0.0f)
      std::swap(result[i + 1], result[i + 2]);
  }
  return result;
}

// The rectangle (x0, y0, x1, y1) that a geometry paints whole in opaque colour: four vertices,
// each opaque and each a different corner of one axis-aligned rectangle, drawn as the two
// triangles either side of a diagonal (as the library draws a box's background). Anything
// else: none.
std::optional<glm::vec4> OpaqueRectangleOf(const std::vector<float>& floats,
                                           const std::vector<std::int32_t>& indices) {
  constexpr std::size_t kCorners = 4;
  if (floats.size() != kCorners * kFloatsPerVertex || indices.size() != 6) return std::nullopt;
  std::array<glm::vec2, kCorners> corners{};
  for (std::size_t vertex = 0; vertex < kCorners; ++vertex) {
    const float* values = floats.data() + vertex * kFloatsPerVertex;
    if (values[5] != 1.0f) return std::nullopt;
    corners[vertex] = {values[0], values[1]};
  }
  const glm::vec2 low =
      glm::min(glm::min(corners[0], corners[1]), glm::min(corners[2], corners[3]));
  const glm::vec2 high =
      glm::max(glm::max(corners[0], corners[1]), glm::max(corners[2], corners[3]));
  if (!(low.x < high.x && low.y < high.y)) return std::nullopt;
  unsigned seen = 0;
  for (const glm::vec2 corner : corners) {
    if ((corner.x != low.x && corner.x != high.x) || (corner.y != low.y && corner.y != high.y))
      return std::nullopt;
    seen |= 1u << ((corner.x == high.x ? 1 : 0) + (corner.y == high.y ? 2 : 0));
  }
  if (seen != 0xFu) return std::nullopt;
  // Two triangles of three different vertices that share exactly two, opposite corners, cover
  // the rectangle once.
  const auto distinct = [](const std::int32_t* triangle) {
    return triangle[0] != triangle[1] && triangle[1] != triangle[2] && triangle[0] != triangle[2];
  };
  if (!distinct(indices.data()) || !distinct(indices.data() + 3)) return std::nullopt;
  std::vector<std::int32_t> shared;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::find(indices.begin() + 3, indices.end(), indices[i]) != indices.end())
      shared.push_back(indices[i]);
  }
  if (shared.size() != 2) return std::nullopt;
  const glm::vec2 a = corners[static_cast<std::size_t>(shared[0])];
  const glm::vec2 b = corners[static_cast<std::size_t>(shared[1])];
  if (a.x == b.x || a.y == b.y) return std::nullopt;
  return glm::vec4(low, high);
}

bool SameContent(const Mesh& mesh, const std::vector<float>& floats,
                 const std::vector<std::int32_t>& indices) {
  return mesh.vertices == floats && mesh.indices == indices;
}

}  // namespace

std::uint64_t ComputeGeometryKey(const Rml::Vertex& vertex, int index) {
  std::uint64_t seed = HashBytes(vertex.colour.alpha);
  seed = Mix(seed, HashBytes(vertex.colour.red));
  seed = Mix(seed, HashBytes(vertex.colour.green));
  seed = Mix(seed, HashBytes(vertex.colour.blue));
  seed = Mix(seed, HashFloat(vertex.position.x));
  seed = Mix(seed, HashFloat(vertex.position.y));
  seed = Mix(seed, HashFloat(vertex.tex_coord.x));
  seed = Mix(seed, HashFloat(vertex.tex_coord.y));
  return Mix(seed, HashBytes(index));
}

std::uint64_t ComputeGeometryKey(std::span<const Rml::Vertex> vertices,
                                 std::span<const int> indices) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    // A vertex past the index list is keyed without an index (mixed as 0) rather than read
    // beyond the list.
    const std::uint64_t vertexKey =
        ComputeGeometryKey(vertices[i], i < indices.size() ? indices[i] : 0);
    key = i == 0 ? vertexKey : vertexKey + (key << 6) + (key >> 2);
  }
  return key;
}

std::string UiTexturePath(const std::string& source) {
  const std::string path = os::NormalizePath(source);
  std::size_t cut = std::string::npos;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "GAME") == 0) cut = start;
    start = end + 1;
  }
  return cut == std::string::npos ? path : path.substr(cut);
}

UiRenderInterface::UiRenderInterface(ResourceCache& cache, DrawQueue& queue, UiRenderLinks links)
    : cache(cache), queue(queue), links(std::move(links)) {}

UiRenderInterface::~UiRenderInterface() = default;

Rml::CompiledGeometryHandle UiRenderInterface::CompileGeometry(
    std::span<const Rml::Vertex> vertices, std::span<const int> indices) {
  if (closed || vertices.empty() || indices.empty()) return 0;
  // Indices outside the vertices would read past the mesh when drawn.
  for (const int index : indices) {
    if (index < 0 || static_cast<std::size_t>(index) >= vertices.size()) return 0;
  }
  const std::uint64_t key = ComputeGeometryKey(vertices, indices);
  const std::vector<float> floats = BuildVertexFloats(vertices);
  const std::vector<std::int32_t> meshIndices = FrontFacingIndices(vertices, indices);
  std::vector<std::size_t>& sameKey = geometriesByKey[key];
  for (const std::size_t slot : sameKey) {
    if (SameContent(cache.MeshAt(geometries[slot].mesh), floats, meshIndices)) {
      ++geometries[slot].references;
      return slot + 1;
    }
  }

  // A different geometry under a key already taken gets a name of its own.
  std::string name = "GENERATED_RML_MESH_" + std::to_string(key);
  if (!sameKey.empty()) {
    name += '_';
    name += std::to_string(sameKey.size());
  }
  std::printf("Loading new RML mesh with %zu vertices. Name: %s\n", vertices.size(), name.c_str());
  const Mesh mesh(kVertexAttributes, 3, floats.data(), static_cast<std::int32_t>(vertices.size()),
                  kFloatsPerVertex * sizeof(float), meshIndices.data(),
                  static_cast<std::int32_t>(meshIndices.size()));
  const int meshIndex = cache.AddMesh(name, mesh);
  if (meshIndex < 0) return 0;

  std::size_t slot = geometries.size();
  if (!freeGeometries.empty()) {
    slot = freeGeometries.back();
    freeGeometries.pop_back();
  } else {
    geometries.emplace_back();
  }
  geometries[slot] = {meshIndex, 1, key, OpaqueRectangleOf(floats, meshIndices)};
  sameKey.push_back(slot);
  ++geometryCount;
  return slot + 1;
}

int UiRenderInterface::MeshOf(Rml::CompiledGeometryHandle geometry) const {
  if (geometry == 0 || geometry > geometries.size()) return -1;
  const GeometrySlot& slot = geometries[geometry - 1];
  return slot.references > 0 ? slot.mesh : -1;
}

void UiRenderInterface::ReleaseGeometry(Rml::CompiledGeometryHandle geometry) {
  if (closed || MeshOf(geometry) < 0) return;
  const std::size_t index = geometry - 1;
  GeometrySlot& slot = geometries[index];
  if (--slot.references > 0) return;
  const auto sameKey = geometriesByKey.find(slot.key);
  if (sameKey != geometriesByKey.end()) {
    std::erase(sameKey->second, index);
    if (sameKey->second.empty()) geometriesByKey.erase(sameKey);
  }
  cache.ReleaseMesh(slot.mesh);
  if (links.meshReleased) links.meshReleased(slot.mesh);
  slot = GeometrySlot{};
  freeGeometries.push_back(index);
  --geometryCount;
}

void UiRenderInterface::RenderGeometry(Rml::CompiledGeometryHandle geometry,
                                       Rml::Vector2f translation, Rml::TextureHandle texture) {
  if (closed) return;
  QueueUiDraw(geometry, translation, texture,
              cache.GetMaterial(texture != 0 ? kMaterial : kUntexturedMaterial), texture == 0);
}

void UiRenderInterface::RenderShader(Rml::CompiledShaderHandle shader,
                                     Rml::CompiledGeometryHandle geometry,
                                     Rml::Vector2f translation, Rml::TextureHandle texture) {
  if (closed) return;
  // A material's shader multiplies by its texel; drawn without an image (a "shader" decorator)
  // it reads white, so the material shows its own colours. Texture 0 would read black.
  if (texture == 0) texture = WhiteTexture();
  QueueUiDraw(geometry, translation, texture, shader == 0 ? -1 : static_cast<int>(shader - 1),
              false);
}

Rml::TextureHandle UiRenderInterface::WhiteTexture() {
  if (whiteTexture <= 0) {
    constexpr std::uint8_t kWhite[4] = {255, 255, 255, 255};
    whiteTexture = cache.CreateTexture(1, 1, kWhite, kWhiteTextureName, GL_NEAREST, GL_NEAREST);
  }
  return whiteTexture > 0 ? static_cast<Rml::TextureHandle>(whiteTexture) : kNoTexture;
}

std::optional<glm::mat4> UiRenderInterface::LayerInverse() const {
  if (!links.layerViewProjection) return std::nullopt;
  const glm::mat4 viewProjection = links.layerViewProjection();
  const float determinant = glm::determinant(viewProjection);
  if (determinant == 0.0f || !std::isfinite(determinant)) return std::nullopt;
  return glm::inverse(viewProjection);
}

bool UiRenderInterface::FillsWindow(const GeometrySlot& slot, Rml::Vector2f translation,
                                    int material, glm::ivec2 size) const {
  if (!slot.opaqueRectangle || transform != glm::mat4(1.0f)) return false;
  if (material < 0 || static_cast<std::size_t>(material) >= cache.MaterialCount() ||
      !(cache.MaterialAt(material).alpha >= 1.0f)) {
    return false;
  }
  const glm::vec4 rectangle =
      *slot.opaqueRectangle + glm::vec4(translation.x, translation.y, translation.x, translation.y);
  const glm::vec2 window(size);
  if (!(rectangle.x <= 0.0f && rectangle.y <= 0.0f && rectangle.z >= window.x &&
        rectangle.w >= window.y))
    return false;
  return !scissorEnabled || (scissor.position.x <= 0 && scissor.position.y <= 0 &&
                             scissor.position.x + scissor.size.x >= size.x &&
                             scissor.position.y + scissor.size.y >= size.y);
}

void UiRenderInterface::QueueUiDraw(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                                    Rml::TextureHandle texture, int material, bool plainColour) {
  float& depth = links.depth != nullptr ? *links.depth : ownDepth;
  depth = std::max(depth - kDepthStep, kNearestDepth);
  const int mesh = MeshOf(geometry);
  const glm::ivec2 size = links.framebufferSize ? links.framebufferSize() : glm::ivec2(0);
  // GL names are ints; anything larger is no texture of ours.
  if (mesh < 0 || material < 0 || texture == kNoTexture ||
      texture > static_cast<Rml::TextureHandle>(INT32_MAX) || size.x <= 0 || size.y <= 0)
    return;

  // Window pixels (origin top-left, y down) to clip space, then undo the layer camera that the
  // UI shader applies.
  const glm::mat4 toClip = glm::scale(
      glm::translate(glm::mat4(1.0f), glm::vec3(-1.0f, 1.0f, 0.0f)),
      glm::vec3(2.0f / static_cast<float>(size.x), -2.0f / static_cast<float>(size.y), 1.0f));
  const glm::mat4 placed =
      glm::translate(glm::mat4(1.0f), glm::vec3(translation.x, translation.y, depth));

  DrawRequest draw;
  draw.mesh = mesh;
  draw.material = material;
  draw.textureA = static_cast<int>(texture);
  draw.textureB = -1;
  const std::optional<glm::mat4> layerInverse = LayerInverse();
  draw.model = layerInverse.value_or(glm::mat4(1.0f)) * toClip * transform * placed;
  // The renderer rebuilds a model with 1 in the corner of its last column, which a projective
  // inverse (a perspective layer camera) need not have there; a homogeneous matrix scaled by a
  // positive number places every point where it did, so the corner is made 1.
  const float corner = draw.model[3][3];
  if (corner > 0.0f && std::isfinite(corner)) draw.model /= corner;
  draw.layer = kMenuLayer;
  draw.forceTransparent = true;
  draw.ordered = true;
  if (scissorEnabled) {
    draw.scissor = true;
    draw.scissorRect = {scissor.position.x, scissor.position.y, scissor.size.x, scissor.size.y};
  }
  // Placed exactly where the layer camera shows window pixels only through its inverse.
  if (plainColour && layerInverse &&
      FillsWindow(geometries[geometry - 1], translation, material, size)) {
    draw.fillsLayerOfSize = size;
  }
  queue.QueueDraw(draw);
}

Rml::TextureHandle UiRenderInterface::LoadTexture(Rml::Vector2i& texture_dimensions,
                                                  const Rml::String& source) {
  texture_dimensions = {0, 0};
  // Player pictures of an online service are not available here.
  if (closed || source.empty() || source.find("SteamPFP") != std::string::npos) return 0;
  const std::string path = UiTexturePath(source);
  const int texture = cache.GetTexture(path, GL_NEAREST, GL_NEAREST, GL_REPEAT);
  if (texture <= 0) return 0;
  if (const CachedTexture* cached = cache.FindTexture(path))
    texture_dimensions = {cached->width, cached->height};
  return static_cast<Rml::TextureHandle>(texture);
}

Rml::TextureHandle UiRenderInterface::GenerateTexture(std::span<const Rml::byte> source,
                                                      Rml::Vector2i source_dimensions) {
  if (closed || source_dimensions.x <= 0 || source_dimensions.y <= 0) return 0;
  const std::size_t row = static_cast<std::size_t>(source_dimensions.x) * 4;
  const std::size_t rows = static_cast<std::size_t>(source_dimensions.y);
  if (source.size() < row * rows) return 0;
  // Stored bottom row first and with straight alpha, like the file textures, so one shader
  // draws both.
  std::vector<std::uint8_t> flipped(row * rows);
  for (std::size_t y = 0; y < rows; ++y) {
    const Rml::byte* in = source.data() + y * row;
    std::uint8_t* out = flipped.data() + (rows - 1 - y) * row;
    for (std::size_t x = 0; x < row; x += 4) {
      const unsigned alpha = in[x + 3];
      for (std::size_t channel = 0; channel < 3; ++channel)
        out[x + channel] = alpha == 0 ? 0
                                      : static_cast<std::uint8_t>(std::min(
                                            255u, (in[x + channel] * 255u + alpha / 2) / alpha));
      out[x + 3] = static_cast<std::uint8_t>(alpha);
    }
  }
  const std::string name = "GENERATED_RML_TEXTURE_" + std::to_string(++generatedTextureCount);
  const int texture = cache.CreateTexture(source_dimensions.x, source_dimensions.y, flipped.data(),
                                          name, GL_NEAREST, GL_NEAREST);
  if (texture <= 0) return 0;
  generatedTextures.insert(static_cast<Rml::TextureHandle>(texture));
  return static_cast<Rml::TextureHandle>(texture);
}

void UiRenderInterface::ReleaseTexture(Rml::TextureHandle texture) {
  if (closed || generatedTextures.erase(texture) == 0) return;
  cache.DeleteTexture(static_cast<int>(texture));
}

void UiRenderInterface::EnableScissorRegion(bool enable) {
  if (!closed) scissorEnabled = enable;
}

void UiRenderInterface::SetScissorRegion(Rml::Rectanglei region) {
  if (!closed) scissor = region;
}

void UiRenderInterface::SetTransform(const Rml::Matrix4f* matrix) {
  if (!closed) transform = matrix != nullptr ? *matrix : glm::mat4(1.0f);
}

Rml::CompiledShaderHandle UiRenderInterface::CompileShader(const Rml::String&,
                                                           const Rml::Dictionary& parameters) {
  if (closed) return 0;
  const auto value = parameters.find("value");
  const std::string path =
      value != parameters.end() ? value->second.Get<Rml::String>() : std::string();
  const int material = cache.GetMaterial(path);
  return material < 0 ? 0 : static_cast<Rml::CompiledShaderHandle>(material) + 1;
}
