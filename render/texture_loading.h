#pragma once
// Turning image files and texture components into textures.
//
//   TextureImage image = DecodeTextureFile("GAME/Assets/Textures/whitesquare.png");
//   LoadComponentTextures(textureComponent);   // albedo and normal ids from the texture cache
//
// Images are decoded by stb_image into RGBA bytes and flipped vertically, so the first row is the
// bottom of the picture, where GL puts texture coordinate v = 0. A file that does not open or
// decode, or whose size is out of range, becomes a 1x1 placeholder (one opaque magenta pixel)
// and a log line "Texture : <path>: <reason>"; no pixel memory that was not decoded is read.

#include <string_view>

#include "components/texture_component.h"
#include "render/gpu_backend.h"

class ResourceCache;

// Largest width or height accepted for a texture.
constexpr int kMaxTextureSize = 16384;

// The stand-in for a texture that could not be made: 1x1, opaque magenta.
TextureImage PlaceholderTexture();

// Decodes the image at `path` (normalised first); see above for the failure rules.
TextureImage DecodeTextureFile(std::string_view path);

// GL filter of an interpolation mode: NEAREST gives GL_NEAREST, every other value GL_LINEAR.
int TextureFilter(TextureComponent::InterpolationMode mode);
// GL wrap of a repeat mode: MIRRORED_REPEAT and REPEAT map to their GL modes, every other value
// to GL_CLAMP_TO_EDGE.
int TextureWrap(TextureComponent::RepeatMode mode);

// Sets the component's albedo and normal texture ids from its paths and modes through the
// texture cache (an empty path gives -1). The entity reader calls it right after reading the
// component. Without a cache argument the process cache is used.
void LoadComponentTextures(TextureComponent& component, ResourceCache& cache);
void LoadComponentTextures(TextureComponent& component);
