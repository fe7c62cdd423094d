#include "rml/render_interface.h"

namespace Rml {

RenderInterface::~RenderInterface() = default;
void RenderInterface::EnableClipMask(bool) {}
void RenderInterface::RenderToClipMask(ClipMaskOperation, CompiledGeometryHandle, Vector2f) {}
void RenderInterface::SetTransform(const Matrix4f*) {}
LayerHandle RenderInterface::PushLayer() { return 0; }
void RenderInterface::CompositeLayers(LayerHandle, LayerHandle, BlendMode,
                                      std::span<const CompiledFilterHandle>) {}
void RenderInterface::PopLayer() {}
TextureHandle RenderInterface::SaveLayerAsTexture() { return 0; }
CompiledFilterHandle RenderInterface::SaveLayerAsMaskImage() { return 0; }
CompiledFilterHandle RenderInterface::CompileFilter(const String&, const Dictionary&) { return 0; }
void RenderInterface::ReleaseFilter(CompiledFilterHandle) {}
CompiledShaderHandle RenderInterface::CompileShader(const String&, const Dictionary&) { return 0; }
void RenderInterface::RenderShader(CompiledShaderHandle, CompiledGeometryHandle, Vector2f,
                                   TextureHandle) {}
void RenderInterface::ReleaseShader(CompiledShaderHandle) {}

}  // namespace Rml
