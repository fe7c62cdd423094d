#include "tests/support/image_compare.h"

#include <glad/gl.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testing_support {

std::array<int, 4> Image::At(int x, int y) const {
  const std::size_t offset = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(x)) *
                             4;
  return {rgba[offset], rgba[offset + 1], rgba[offset + 2], rgba[offset + 3]};
}

Image ReadFramebufferPixels(int x, int y, int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width * height * 4));
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  image.rgba.resize(bottomUp.size());
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int line = 0; line < height; ++line) {
    std::copy_n(
        bottomUp.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(line)), row,
        image.rgba.begin() +
            static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(height - 1 - line)));
  }
  return image;
}

Image SampleBlocks(const Image& image, int factor) {
  Image sampled;
  sampled.width = image.width / factor;
  sampled.height = image.height / factor;
  sampled.rgba.reserve(static_cast<std::size_t>(sampled.width * sampled.height * 4));
  for (int y = 0; y < sampled.height; ++y) {
    for (int x = 0; x < sampled.width; ++x) {
      for (const int channel : image.At(x * factor + factor / 2, y * factor + factor / 2)) {
        sampled.rgba.push_back(static_cast<std::uint8_t>(channel));
      }
    }
  }
  return sampled;
}

Image CropImage(const Image& image, int left, int top, int width, int height) {
  const int x0 = std::clamp(left, 0, image.width);
  const int y0 = std::clamp(top, 0, image.height);
  Image cropped;
  cropped.width = std::clamp(left + width, x0, image.width) - x0;
  cropped.height = std::clamp(top + height, y0, image.height) - y0;
  cropped.rgba.reserve(static_cast<std::size_t>(cropped.width * cropped.height * 4));
  for (int y = y0; y < y0 + cropped.height; ++y) {
    for (int x = x0; x < x0 + cropped.width; ++x) {
      for (const int channel : image.At(x, y)) {
        cropped.rgba.push_back(static_cast<std::uint8_t>(channel));
      }
    }
  }
  return cropped;
}

bool LoadPng(const std::string& path, Image& image) {
  int width = 0;
  int height = 0;
  int channels = 0;
  // The texture loader turns images bottom row first through this process-wide switch.
  stbi_set_flip_vertically_on_load(0);
  stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
  if (pixels == nullptr) return false;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels, pixels + static_cast<std::size_t>(width * height * 4));
  stbi_image_free(pixels);
  return true;
}

bool SavePng(const std::string& path, const Image& image) {
  return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                        image.width * 4) != 0;
}

::testing::AssertionResult MatchesGolden(const Image& actual, const std::string& goldenPath,
                                         int tolerance) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvaris-golden";
  std::filesystem::create_directories(folder);
  const std::string actualPath =
      (folder / (std::filesystem::path(goldenPath).stem().string() + ".actual.png")).string();

  Image golden;
  std::ostringstream problem;
  if (!LoadPng(goldenPath, golden)) {
    problem << "golden image " << goldenPath << " cannot be read";
  } else if (golden.width != actual.width || golden.height != actual.height) {
    problem << "size " << actual.width << "x" << actual.height << ", golden " << golden.width << "x"
            << golden.height;
  } else {
    int worst = 0;
    int worstX = 0;
    int worstY = 0;
    for (int y = 0; y < actual.height; ++y) {
      for (int x = 0; x < actual.width; ++x) {
        const auto a = actual.At(x, y);
        const auto g = golden.At(x, y);
        for (std::size_t channel = 0; channel < 3; ++channel) {
          const int difference = std::abs(a[channel] - g[channel]);
          if (difference > worst) {
            worst = difference;
            worstX = x;
            worstY = y;
          }
        }
      }
    }
    if (worst <= tolerance) return ::testing::AssertionSuccess();
    const auto a = actual.At(worstX, worstY);
    const auto g = golden.At(worstX, worstY);
    problem << "pixel (" << worstX << ", " << worstY << ") from the top left is (" << a[0] << ", "
            << a[1] << ", " << a[2] << "), golden (" << g[0] << ", " << g[1] << ", " << g[2]
            << "): off by " << worst << ", tolerance " << tolerance;
  }
  Image opaque = actual;
  for (std::size_t alpha = 3; alpha < opaque.rgba.size(); alpha += 4) opaque.rgba[alpha] = 255;
  const bool saved = SavePng(actualPath, opaque);
  return ::testing::AssertionFailure() << problem.str() << "; actual picture "
                                       << (saved ? "written to " : "NOT written to ") << actualPath;
}

}  // namespace testing_support
