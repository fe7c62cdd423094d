#include "render/texture_loading.h"

#include <glad/gl.h>

#include <cstdio>
#include <string>

#include "engine/image_file.h"
#include "platform/os/file_path.h"
#include "render/resource_cache.h"

TextureImage PlaceholderTexture() { return {1, 1, {255, 0, 255, 255}}; }

TextureImage DecodeTextureFile(std::string_view path) {
  const std::string file = os::NormalizePath(path);
  ImageFile decoded;
  if (!decoded.Load(file, /*flipRows=*/true)) {
    std::printf("Texture : %s; using a 1x1 placeholder\n", decoded.Error().c_str());
    return PlaceholderTexture();
  }
  if (decoded.Width() > kMaxTextureSize || decoded.Height() > kMaxTextureSize) {
    std::printf("Texture : %s: size %dx%d is outside 1 to %d; using a 1x1 placeholder\n",
                file.c_str(), decoded.Width(), decoded.Height(), kMaxTextureSize);
    return PlaceholderTexture();
  }
  TextureImage image;
  image.width = decoded.Width();
  image.height = decoded.Height();
  image.pixels.assign(decoded.Pixels(), decoded.Pixels() + decoded.ByteCount());
  return image;
}
