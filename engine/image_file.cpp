#include "engine/image_file.h"

#include <stb/stb_image.h>

#include <algorithm>

void ImageFile::Release::operator()(std::uint8_t* data) const { stbi_image_free(data); }

bool ImageFile::Load(const std::string& path, bool flipRows) {
  pixels.reset();
  width = 0;
  height = 0;
  error.clear();
  const auto fail = [&](const std::string& reason) {
    error = path + ": " + reason;
    return false;
  };

  int claimedWidth = 0;
  int claimedHeight = 0;
  int channels = 0;
  if (stbi_info(path.c_str(), &claimedWidth, &claimedHeight, &channels) == 0) {
    const char* reason = stbi_failure_reason();
    return fail(reason != nullptr ? reason : "cannot be decoded");
  }
  if (claimedWidth < 1 || claimedHeight < 1 || claimedWidth > kMaxSide ||
      claimedHeight > kMaxSide ||
      std::int64_t{claimedWidth} * std::int64_t{claimedHeight} > kMaxPixels) {
    return fail("claims a size of " + std::to_string(claimedWidth) + " x " +
                std::to_string(claimedHeight) + " pixels; at most " + std::to_string(kMaxSide) +
                " each way and " + std::to_string(kMaxPixels) + " pixels are accepted");
  }

  int decodedWidth = 0;
  int decodedHeight = 0;
  std::uint8_t* decoded = stbi_load(path.c_str(), &decodedWidth, &decodedHeight, &channels, 4);
  if (decoded == nullptr) {
    const char* reason = stbi_failure_reason();
    return fail(reason != nullptr ? reason : "cannot be decoded");
  }
  pixels.reset(decoded);
  // The file could have changed between the two reads.
  if (decodedWidth != claimedWidth || decodedHeight != claimedHeight) {
    pixels.reset();
    return fail("changed while it was read");
  }
  width = decodedWidth;
  height = decodedHeight;

  if (flipRows) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::uint8_t* data = pixels.get();
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
      std::swap_ranges(data + static_cast<std::size_t>(top) * rowBytes,
                       data + static_cast<std::size_t>(top + 1) * rowBytes,
                       data + static_cast<std::size_t>(bottom) * rowBytes);
    }
  }
  return true;
}
