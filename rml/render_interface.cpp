#include "rml/render_interface.h"

namespace Rml {

RenderInterface::~RenderInterface() = default;
void RenderInterface::SetTransform(const Matrix4f*) {}
CompiledShaderHandle RenderInterface::CompileShader(const String&, const Dictionary&) { return 0; }
void RenderInterface::RenderShader(CompiledShaderHandle, CompiledGeometryHandle, Vector2f,
                                   TextureHandle) {}
void RenderInterface::ReleaseShader(CompiledShaderHandle) {}

}  // namespace Rml
