#include "render/texture_loading.h"

#include <glad/gl.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <string>

#include "platform/os/file_path.h"
#include "render/resource_cache.h"

TextureImage PlaceholderTexture() { return {1, 1, {255, 0, 255, 255}}; }

TextureImage DecodeTextureFile(std::string_view path) {
  const std::string file = os::NormalizePath(path);
  stbi_set_flip_vertically_on_load(1);
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load(file.c_str(), &width, &height, &channels, 4);
  if (pixels == nullptr) {
    const char* reason = stbi_failure_reason();
    std::printf("Texture : %s: %s; using a 1x1 placeholder\n", file.c_str(),
                reason != nullptr ? reason : "cannot be decoded");
    return PlaceholderTexture();
  }
  if (width < 1 || height < 1 || width > kMaxTextureSize || height > kMaxTextureSize) {
    std::printf("Texture : %s: size %dx%d is outside 1 to %d; using a 1x1 placeholder\n",
                file.c_str(), width, height, kMaxTextureSize);
    stbi_image_free(pixels);
    return PlaceholderTexture();
  }
  TextureImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return image;
}
