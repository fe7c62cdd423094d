#include "render/resource_cache.h"

#include <glad/gl.h>

#include <cstdio>
#include <exception>
#include <utility>

#include "engine/json_file.h"
#include "platform/os/file_path.h"
#include "render/mesh_file.h"
#include "render/render_context.h"
#include "render/texture_loading.h"

namespace {

const Material& DefaultMaterial() {
  static const Material material;
  return material;
}

const Mesh& EmptyMesh() {
  static const Mesh mesh;
  return mesh;
}

}  // namespace

ResourceCache::ResourceCache(std::unique_ptr<GpuBackend> backend) : backend(std::move(backend)) {}

ResourceCache::~ResourceCache() { ClearAll(); }

ResourceCache& ResourceCache::Instance() {
  RenderContext* context = RenderContext::Current();
  if (context == nullptr) FailWithoutRenderContext("ResourceCache");
  return context->Resources();
}

bool ResourceCache::HasInstance() { return RenderContext::Current() != nullptr; }

// Materials ---------------------------------------------------------------------------------

int ResourceCache::GetMaterial(const std::string& path) {
  std::string key = os::NormalizePath(path);
  if (key.empty()) return -1;
  if (const auto found = materialIndices.find(key); found != materialIndices.end()) {
    return found->second;
  }
  JsonFile file;
  std::string filePath = key;
  nlohmann::json document = nlohmann::json::object();
  try {
    LoadJsonFile(file, filePath);
    document = std::move(file.document);
  } catch (const std::exception& error) {
    std::printf("Material : %s: %s; using the default material\n", key.c_str(), error.what());
  }
  Material material = ReadMaterial(document, *this, key);
  const int index = static_cast<int>(materials.size());
  materials.push_back(material);
  materialIndices.emplace(std::move(key), index);
  return index;
}

const Material& ResourceCache::MaterialAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= materials.size()) return DefaultMaterial();
  return materials[static_cast<std::size_t>(index)];
}

// Meshes ------------------------------------------------------------------------------------

int ResourceCache::StoreMesh(std::string key, Mesh mesh) {
  const int limit = backend->MaxVertexAttributes();
  if (mesh.AttributeCount() + kRendererInstanceAttributeCount > limit) {
    std::printf(
        "ResourceCache : mesh %s: its %d vertex attributes and the %d instance "
        "attributes exceed the context's limit of %d; using an empty mesh\n",
        key.c_str(), mesh.AttributeCount(), kRendererInstanceAttributeCount, limit);
    mesh = Mesh{};
  }
  int index = static_cast<int>(meshes.size());
  if (!freeMeshIndices.empty()) {
    index = freeMeshIndices.back();
    freeMeshIndices.pop_back();
    meshes[static_cast<std::size_t>(index)] = std::move(mesh);
  } else {
    meshes.push_back(std::move(mesh));
  }
  meshNames[index] = key;
  meshIndices.emplace(std::move(key), index);
  return index;
}

int ResourceCache::GetMesh(const std::string& path) {
  std::string key = os::NormalizePath(path);
  if (key.empty()) return -1;
  if (const auto found = meshIndices.find(key); found != meshIndices.end()) return found->second;
  Mesh mesh = LoadMeshFile(key);
  return StoreMesh(std::move(key), std::move(mesh));
}

int ResourceCache::AddMesh(const std::string& name, const Mesh& mesh) {
  if (name.empty()) return -1;
  if (const auto found = meshIndices.find(name); found != meshIndices.end()) return found->second;
  return StoreMesh(name, mesh);
}

bool ResourceCache::FindMesh(const std::string& name, int& index) const {
  const auto found = meshIndices.find(name);
  if (found == meshIndices.end()) return false;
  index = found->second;
  return true;
}

void ResourceCache::ReleaseMesh(int index) {
  const auto named = meshNames.find(index);
  if (named == meshNames.end()) return;
  meshIndices.erase(named->second);
  meshNames.erase(named);
  meshes[static_cast<std::size_t>(index)] = Mesh{};
  freeMeshIndices.push_back(index);
}

const Mesh& ResourceCache::MeshAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= meshes.size()) return EmptyMesh();
  return meshes[static_cast<std::size_t>(index)];
}

// Shaders -----------------------------------------------------------------------------------

int ResourceCache::GetShader(const std::string& vertex, const std::string& fragment,
                             const std::string& geometry, const std::string& compute,
                             const std::string& tessEvaluation, const std::string& tessControl) {
  return GetShader(
      ShaderStagePaths{vertex, fragment, geometry, compute, tessEvaluation, tessControl});
}

int ResourceCache::GetShader(const ShaderStagePaths& paths) {
  const ShaderStagePaths normalised{
      os::NormalizePath(paths.vertex),         os::NormalizePath(paths.fragment),
      os::NormalizePath(paths.geometry),       os::NormalizePath(paths.compute),
      os::NormalizePath(paths.tessEvaluation), os::NormalizePath(paths.tessControl)};
  auto key = normalised.AsArray();
  if (const auto found = shaders.find(key); found != shaders.end()) return found->second.program;
  BuiltShader built = backend->BuildShader(normalised);
  const int program = built.program;
  if (built.shader) shadersByProgram[program] = built.shader.get();
  shaders.emplace(std::move(key), std::move(built));
  return program;
}

Shader* ResourceCache::GetShaderById(int program) const {
  const auto found = shadersByProgram.find(program);
  return found != shadersByProgram.end() ? found->second : nullptr;
}

// Textures ----------------------------------------------------------------------------------

int ResourceCache::StoreTexture(std::string key, const TextureImage& image,
                                const TextureSampling& sampling) {
  const unsigned int id = backend->CreateTexture(image, sampling);
  textures[std::move(key)] = CachedTexture{id, sampling, image.width, image.height};
  return static_cast<int>(id);
}

int ResourceCache::GetTexture(const std::string& path, int minFilter, int magFilter, int wrap) {
  std::string key = os::NormalizePath(path);
  if (key.empty()) return -1;
  if (const auto found = textures.find(key); found != textures.end()) {
    return static_cast<int>(found->second.id);
  }
  const TextureImage image = DecodeTextureFile(key);
  return StoreTexture(std::move(key), image, {minFilter, magFilter, wrap});
}

int ResourceCache::CreateTexture(int width, int height, const std::uint8_t* pixels,
                                 const std::string& name, int minFilter, int magFilter) {
  std::string key = os::NormalizePath(name);
  if (key.empty()) return -1;
  if (const auto found = textures.find(key); found != textures.end()) {
    return static_cast<int>(found->second.id);
  }
  TextureImage image;
  if (pixels == nullptr || width < 1 || height < 1 || width > kMaxTextureSize ||
      height > kMaxTextureSize) {
    std::printf(
        "Texture : %s: %s %dx%d is not a texture of 1 to %d pixels a side; using a 1x1 "
        "placeholder\n",
        key.c_str(), pixels == nullptr ? "no pixels for" : "size", width, height, kMaxTextureSize);
    image = PlaceholderTexture();
  } else {
    image.width = width;
    image.height = height;
    image.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  }
  return StoreTexture(std::move(key), image, {minFilter, magFilter, GL_REPEAT});
}

int ResourceCache::CreateTexture(int width, int height, const std::uint8_t* pixels,
                                 const std::string& name) {
  return CreateTexture(width, height, pixels, name, GL_NEAREST, GL_NEAREST);
}

bool ResourceCache::HasTexture(const std::string& name) const {
  return FindTexture(name) != nullptr;
}

const CachedTexture* ResourceCache::FindTexture(std::string_view name) const {
  const auto found = textures.find(os::NormalizePath(name));
  return found != textures.end() ? &found->second : nullptr;
}

void ResourceCache::DeleteTexture(int texture) {
  for (auto entry = textures.begin(); entry != textures.end(); ++entry) {
    if (static_cast<int>(entry->second.id) == texture) {
      backend->DeleteTexture(entry->second.id);
      textures.erase(entry);
      return;
    }
  }
}

// Clearing ----------------------------------------------------------------------------------

void ResourceCache::ClearMaterials() {
  materials.clear();
  materialIndices.clear();
}

void ResourceCache::ClearMeshes() {
  meshes.clear();
  meshIndices.clear();
  freeMeshIndices.clear();
  meshNames.clear();
}

void ResourceCache::ClearTextures() {
  for (const auto& [key, texture] : textures) backend->DeleteTexture(texture.id);
  textures.clear();
}

void ResourceCache::ClearShaders() {
  shadersByProgram.clear();
  for (auto& [key, built] : shaders) backend->DestroyShader(std::move(built));
  shaders.clear();
}

void ResourceCache::ClearAll() {
  ClearMaterials();
  ClearMeshes();
  ClearTextures();
  ClearShaders();
}
