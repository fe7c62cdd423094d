#include "rml/render_manager.h"

#include "rml/log.h"
#include "rml/system_interface.h"

#include <unordered_map>

namespace Rml {

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
    if (handle_ == 0) Log::MessageOnce(Log::LT_WARNING, "Could not load texture '%s'", source_.c_str());
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
    other.handle_ = 0;
  }
  return *this;
}

void Geometry::Release() {
  if (handle_ != 0 && manager_ != nullptr && manager_->GetRenderInterface() != nullptr)
    manager_->GetRenderInterface()->ReleaseGeometry(handle_);
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
  return render_manager.LoadTexture(document_path_.empty() ? source_ : JoinDocumentPath(document_path_, source_));
}

Geometry RenderManager::MakeGeometry(const Mesh& mesh) {
  if (render_interface_ == nullptr || mesh.indices.empty() || mesh.vertices.empty()) return {};
  return Geometry(this, render_interface_->CompileGeometry(mesh.vertices, mesh.indices));
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
