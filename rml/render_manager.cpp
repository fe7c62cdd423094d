#include "rml/render_manager.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "rml/log.h"
#include "rml/system_interface.h"

namespace Rml {

namespace {

// A 64-bit FNV-1a style hash of a mesh, taken over 32-bit words of its vertices and indices.
std::uint64_t MeshKey(const Mesh& mesh) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto mix = [&hash](std::uint32_t word) {
    hash ^= word;
    hash *= 1099511628211ull;
  };
  const auto mix_float = [&mix](float value) {
    std::uint32_t word = 0;
    std::memcpy(&word, &value, sizeof word);
    mix(word);
  };
  for (const Vertex& vertex : mesh.vertices) {
    mix_float(vertex.position.x);
    mix_float(vertex.position.y);
    mix(std::uint32_t(vertex.colour.red) | std::uint32_t(vertex.colour.green) << 8 |
        std::uint32_t(vertex.colour.blue) << 16 | std::uint32_t(vertex.colour.alpha) << 24);
    mix_float(vertex.tex_coord.x);
    mix_float(vertex.tex_coord.y);
  }
  for (const int index : mesh.indices) mix(std::uint32_t(index));
  return hash;
}

bool SameMesh(const Mesh& a, const Mesh& b) {
  return a.indices == b.indices &&
         std::equal(a.vertices.begin(), a.vertices.end(), b.vertices.begin(), b.vertices.end(),
                    [](const Vertex& x, const Vertex& y) {
                      return x.position == y.position && x.colour == y.colour &&
                             x.tex_coord == y.tex_coord;
                    });
}

}  // namespace

TextureResource::~TextureResource() { Release(); }

void TextureResource::Release() {
  if (handle_ != 0 && owner_ != nullptr) owner_->ReleaseTexture(handle_);
  handle_ = 0;
  owner_ = nullptr;
  loaded_ = false;
  dirty_ = true;
}

TextureHandle TextureResource::GetHandle(RenderInterface* render_interface) {
  if (render_interface == nullptr) return 0;
  if (generator_) {
    if (!dirty_ && handle_ != 0) return handle_;
    std::vector<byte> pixels;
    Vector2i dimensions{0, 0};
    if (handle_ != 0 && owner_ != nullptr) owner_->ReleaseTexture(handle_);
    handle_ = 0;
    dirty_ = false;
    if (!generator_(pixels, dimensions) || dimensions.x <= 0 || dimensions.y <= 0 ||
        pixels.size() < size_t(dimensions.x) * size_t(dimensions.y) * 4)
      return 0;
    handle_ = render_interface->GenerateTexture(pixels, dimensions);
    owner_ = render_interface;
    dimensions_ = dimensions;
    return handle_;
  }
  if (!loaded_) {
    loaded_ = true;
    dirty_ = false;
    Vector2i dimensions{0, 0};
    handle_ = render_interface->LoadTexture(dimensions, source_);
    owner_ = render_interface;
    dimensions_ = handle_ != 0 ? dimensions : Vector2i{0, 0};
    if (handle_ == 0)
      Log::MessageOnce(Log::LT_WARNING, "Could not load texture '%s'", source_.c_str());
  }
  return handle_;
}

Vector2i TextureResource::GetDimensions(RenderInterface* render_interface) {
  if (generator_ && dirty_) {
    GetHandle(render_interface);
  } else if (!generator_ && !loaded_) {
    GetHandle(render_interface);
  }
  return dimensions_;
}

Vector2i Texture::GetDimensions() const {
  if (resource_ == nullptr || manager_ == nullptr) return {0, 0};
  return resource_->GetDimensions(manager_->GetRenderInterface());
}

TextureHandle Texture::GetHandle() const {
  if (resource_ == nullptr || manager_ == nullptr) return 0;
  return resource_->GetHandle(manager_->GetRenderInterface());
}

CompiledShader& CompiledShader::operator=(CompiledShader&& other) noexcept {
  if (this != &other) {
    Release();
    manager_ = other.manager_;
    handle_ = other.handle_;
    other.handle_ = 0;
  }
  return *this;
}

void CompiledShader::Release() {
  if (handle_ != 0 && manager_ != nullptr && manager_->GetRenderInterface() != nullptr)
    manager_->GetRenderInterface()->ReleaseShader(handle_);
  handle_ = 0;
}

Geometry& Geometry::operator=(Geometry&& other) noexcept {
  if (this != &other) {
    Release();
    manager_ = other.manager_;
    handle_ = other.handle_;
    slot_ = other.slot_;
    other.handle_ = 0;
  }
  return *this;
}

void Geometry::Release() {
  if (handle_ != 0 && manager_ != nullptr) manager_->LetGo(slot_);
  handle_ = 0;
}

void Geometry::Render(Vector2f translation, Texture texture, const CompiledShader& shader) const {
  if (handle_ == 0 || manager_ == nullptr) return;
  RenderInterface* render_interface = manager_->GetRenderInterface();
  if (render_interface == nullptr) return;
  manager_->CountDraw();
  const TextureHandle texture_handle = texture ? texture.GetHandle() : 0;
  if (shader)
    render_interface->RenderShader(shader.GetHandle(), handle_, translation, texture_handle);
  else
    render_interface->RenderGeometry(handle_, translation, texture_handle);
}

Texture TextureSource::GetTexture(RenderManager& render_manager) const {
  return render_manager.LoadTexture(
      document_path_.empty() ? source_ : JoinDocumentPath(document_path_, source_));
}

RenderManager::~RenderManager() {
  if (render_interface_ == nullptr) return;
  for (const SharedGeometry& shared : geometry_slots_)
    if (shared.handle != 0) render_interface_->ReleaseGeometry(shared.handle);
}

Geometry RenderManager::MakeGeometry(const Mesh& mesh) {
  if (render_interface_ == nullptr || mesh.indices.empty() || mesh.vertices.empty()) return {};
  const std::uint64_t key = MeshKey(mesh);
  const auto [first, last] = slots_by_key_.equal_range(key);
  for (auto entry = first; entry != last; ++entry) {
    SharedGeometry& shared = geometry_slots_[entry->second];
    if (!SameMesh(shared.mesh, mesh)) continue;
    ++shared.holders;
    return Geometry(this, shared.handle, entry->second);
  }

  const CompiledGeometryHandle handle =
      render_interface_->CompileGeometry(mesh.vertices, mesh.indices);
  if (handle == 0) return {};
  std::size_t slot = geometry_slots_.size();
  if (!free_slots_.empty()) {
    slot = free_slots_.back();
    free_slots_.pop_back();
  } else {
    geometry_slots_.emplace_back();
  }
  SharedGeometry& shared = geometry_slots_[slot];
  shared.handle = handle;
  shared.key = key;
  // Assigned into the slot's old storage: a freed slot keeps its capacity for the next mesh.
  shared.mesh.vertices.assign(mesh.vertices.begin(), mesh.vertices.end());
  shared.mesh.indices.assign(mesh.indices.begin(), mesh.indices.end());
  shared.holders = 1;
  if (!spare_nodes_.empty()) {
    SlotsByKey::node_type node = std::move(spare_nodes_.back());
    spare_nodes_.pop_back();
    node.key() = key;
    node.mapped() = slot;
    slots_by_key_.insert(std::move(node));
  } else {
    slots_by_key_.emplace(key, slot);
  }
  ++compiled_count_;
  return Geometry(this, handle, slot);
}

void RenderManager::LetGo(std::size_t slot) {
  SharedGeometry& shared = geometry_slots_[slot];
  if (--shared.holders > 0 || shared.waiting) return;
  shared.waiting = true;
  unused_slots_.push_back(slot);
}

void RenderManager::ReleaseUnusedGeometry() {
  for (const std::size_t slot : unused_slots_) {
    SharedGeometry& shared = geometry_slots_[slot];
    shared.waiting = false;
    if (shared.holders > 0) continue;
    const auto [first, last] = slots_by_key_.equal_range(shared.key);
    const auto entry =
        std::find_if(first, last, [slot](const auto& item) { return item.second == slot; });
    if (entry != last) spare_nodes_.push_back(slots_by_key_.extract(entry));
    render_interface_->ReleaseGeometry(shared.handle);
    shared.handle = 0;
    shared.mesh.vertices.clear();
    shared.mesh.indices.clear();
    free_slots_.push_back(slot);
    --compiled_count_;
  }
  unused_slots_.clear();
}

CompiledShader RenderManager::CompileShader(const String& name, const Dictionary& parameters) {
  if (render_interface_ == nullptr) return {};
  return CompiledShader(this, render_interface_->CompileShader(name, parameters));
}

Texture RenderManager::LoadTexture(const String& path) {
  if (path.empty()) return {};
  return Texture(this, TextureDatabase::Find(path));
}

void RenderManager::SetScissorRegion(const Rectanglei* region) {
  if (render_interface_ == nullptr) return;
  if (region == nullptr) {
    if (scissor_enabled_) render_interface_->EnableScissorRegion(false);
    scissor_enabled_ = false;
    return;
  }
  if (!scissor_enabled_) render_interface_->EnableScissorRegion(true);
  scissor_enabled_ = true;
  render_interface_->SetScissorRegion(*region);
  scissor_ = *region;
}

void RenderManager::SetTransform(const Matrix4f* transform) {
  if (render_interface_ == nullptr) return;
  if (transform == nullptr ? !transform_set_ : (transform_set_ && *transform == transform_)) return;
  transform_set_ = transform != nullptr;
  if (transform != nullptr) transform_ = *transform;
  render_interface_->SetTransform(transform);
}

namespace TextureDatabase {
namespace {
std::unordered_map<String, std::unique_ptr<TextureResource>>& Textures() {
  static std::unordered_map<String, std::unique_ptr<TextureResource>> textures;
  return textures;
}
}  // namespace

TextureResource* Find(const String& path) {
  auto& slot = Textures()[path];
  if (!slot) slot = std::make_unique<TextureResource>(path);
  return slot.get();
}

void ReleaseAll() { Textures().clear(); }
}  // namespace TextureDatabase

}  // namespace Rml
