#pragma once
// ResourceCache: the store of drawing resources. Materials, meshes, shader programs and
// textures are each loaded once from their file under GAME/ and then shared by a small integer
// handle that callers keep and resolve when drawing:
//
//   ResourceCache& cache = context.Resources();   // the living RenderContext's cache
//   int material = cache.GetMaterial("./GAME/Assets/Materials/UIMaterial.json");
//   int mesh = cache.GetMesh("./GAME/Assets/Meshes/DefaultQuad.txt");
//   int texture = cache.GetTexture("GAME/Assets/Textures/whitesquare.png", GL_NEAREST,
//                                  GL_NEAREST, GL_REPEAT);
//   ... cache.MaterialAt(material).shader, cache.MeshAt(mesh), GetShaderById(program) ...
//   // the context clears it at shutdown, while the GL context still exists
//
// Handles: a material or mesh handle is an index into its list (entries are only appended, so
// handles stay valid until the cache is cleared); a shader handle is the GL program name; a
// texture handle is the GL texture name. An empty path or name gives -1 and touches nothing.
//
// Keys: paths are normalised (os::NormalizePath), so "./GAME/a.png", "GAME/a.png" and
// "GAME\a.png" are one entry. A program is keyed by its six normalised stage paths as a tuple,
// so two different sets of paths never share a key. Generated meshes keep the name given.
//
// Failures never stop the game: a missing or bad mesh file is an empty mesh, a texture that
// does not decode is a 1x1 placeholder, a material file that does not load is the default
// material, each with a log line naming the file; the entry is cached all the same, so the
// error is reported once. A mesh with more vertex attributes than the context can hold next to
// the renderer's instance attributes is refused the same way.
//
// The cache is the engine's ResourceProvider: component load steps reach it through DECS. The
// game's cache belongs to the RenderContext; tests and tools may build one of their own on any
// backend and hand it to what needs it.
//
// GPU work goes through a GpuBackend: the GL one in the game, a recording one in tests. Handles
// are invalid after a Clear. Clearing deletes GL objects, so it runs while the context exists:
// at shutdown ClearAll (or the cache's destruction) comes before the window closes; a cache that is
// already empty makes no GL call when it is destroyed.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/resource_provider.h"
#include "render/gpu_backend.h"
#include "render/material.h"
#include "render/mesh.h"

// Per-instance attributes the renderer appends to every batched mesh (four model-matrix
// columns, cell offset, two texture units, ambient, diffuse with alpha, specular, shininess).
constexpr int kRendererInstanceAttributeCount = 11;

// The cache's record of one texture.
struct CachedTexture {
  unsigned int id = 0;  // GL texture name
  TextureSampling sampling;
  int width = 0;
  int height = 0;
};

class ResourceCache final : public ResourceProvider {
 public:
  explicit ResourceCache(std::unique_ptr<GpuBackend> backend);
  // Clears everything (see ClearAll).
  ~ResourceCache() override;
  ResourceCache(const ResourceCache&) = delete;
  ResourceCache& operator=(const ResourceCache&) = delete;

  // The cache of the living render context. Outside one there is no cache: the call ends the
  // program with a message (HasInstance says whether there is one).
  static ResourceCache& Instance();
  // Whether a render context lives, and with it a cache.
  static bool HasInstance();

  // Materials. GetMaterial loads the JSON file on first request (a file that does not load
  // gives the default material and a log line) and returns the material's index.
  int GetMaterial(const std::string& path) override;
  // The material at `index`; an index that is not in the list gives a default material whose
  // shader is -1.
  const Material& MaterialAt(int index) const;

  // Meshes. GetMesh reads the mesh file on first request (see render/mesh_file.h).
  int GetMesh(const std::string& path) override;
  // Stores a copy of `mesh` under `name` unless the name is present; returns the name's index.
  int AddMesh(const std::string& name, const Mesh& mesh);
  // True, with the index, when `name` is present.
  bool FindMesh(const std::string& name, int& index) const;
  // The mesh at `index`; an index that is not in the list gives an empty mesh.
  const Mesh& MeshAt(int index) const;
  // Forgets a mesh added with AddMesh: its name is dropped, its data freed, and its index is
  // handed to the next mesh stored. For generated meshes whose owner says they are no longer
  // drawn; file meshes are never released. Other indices: nothing.
  void ReleaseMesh(int index);

  // Shaders. GetShader builds the program of the six stage files on first request and returns
  // its GL name; the same six paths (after normalising) return the same program.
  int GetShader(const std::string& vertex, const std::string& fragment,
                const std::string& geometry = {}, const std::string& compute = {},
                const std::string& tessEvaluation = {}, const std::string& tessControl = {});
  int GetShader(const ShaderStagePaths& paths);
  // The Shader of a program name from GetShader; null when the name is not a cached program
  // (or the backend builds no Shader objects).
  Shader* GetShaderById(int program) const;

  // Textures. GetTexture decodes the image file on first request with these filters and wrap
  // (later requests for the path get the first texture, whatever their filters).
  int GetTexture(const std::string& path, int minFilter, int magFilter, int wrap) override;
  // A texture from RGBA bytes (width x height x 4) under `name`, unless the name is present
  // (then that texture's handle is returned). Wrap is GL_REPEAT. Null pixels or a size outside
  // 1..kMaxTextureSize give the placeholder and a log line.
  int CreateTexture(int width, int height, const std::uint8_t* pixels, const std::string& name,
                    int minFilter, int magFilter) override;
  int CreateTexture(int width, int height, const std::uint8_t* pixels, const std::string& name);
  bool HasTexture(const std::string& name) const override;
  // The record of the texture cached under `name`, or null.
  const CachedTexture* FindTexture(std::string_view name) const;
  // Deletes the first cached texture with this GL name and drops its entry; others: nothing.
  void DeleteTexture(int texture);

  void ClearMaterials();
  void ClearMeshes();
  void ClearTextures();
  void ClearShaders();
  // The four in shutdown order: materials, meshes, textures, shaders.
  void ClearAll();

  std::size_t MaterialCount() const { return materials.size(); }
  std::size_t MeshCount() const { return meshes.size(); }
  std::size_t ShaderCount() const { return shaders.size(); }
  std::size_t TextureCount() const { return textures.size(); }

 private:
  int StoreTexture(std::string key, const TextureImage& image, const TextureSampling& sampling);
  // Appends `mesh` under `key`, or an empty mesh when the context cannot draw it instanced.
  int StoreMesh(std::string key, Mesh mesh);

  std::unique_ptr<GpuBackend> backend;

  std::vector<Material> materials;
  std::unordered_map<std::string, int> materialIndices;

  std::vector<Mesh> meshes;
  std::unordered_map<std::string, int> meshIndices;
  // Released indices, reused before the list grows; the name of each live index.
  std::vector<int> freeMeshIndices;
  std::unordered_map<int, std::string> meshNames;

  std::map<std::array<std::string, 6>, BuiltShader> shaders;
  std::unordered_map<int, Shader*> shadersByProgram;

  std::unordered_map<std::string, CachedTexture> textures;
};
