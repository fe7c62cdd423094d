#pragma once
// Turning image files and texture components into textures.
//
//   TextureImage image = DecodeTextureFile("GAME/Assets/Textures/whitesquare.png");
//
// Images are decoded by stb_image into RGBA bytes and flipped vertically, so the first row is the
// bottom of the picture, where GL puts texture coordinate v = 0. A file that does not open or
// decode, or whose size is out of range, becomes a 1x1 placeholder (one opaque magenta pixel)
// and a log line "Texture : <path>: <reason>"; an over-size image is refused from its header,
// before its pixels are decoded (engine/image_file.h).

#include <string_view>

#include "render/gpu_backend.h"

// Largest width or height accepted for a texture.
constexpr int kMaxTextureSize = 16384;

// The stand-in for a texture that could not be made: 1x1, opaque magenta.
TextureImage PlaceholderTexture();

// Decodes the image at `path` (normalised first); see above for the failure rules.
TextureImage DecodeTextureFile(std::string_view path);
