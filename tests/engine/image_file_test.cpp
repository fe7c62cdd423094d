#include "engine/image_file.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

void PutBigEndian(std::vector<char>& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift));
}

// The start of a PNG file whose header claims `width` x `height` RGBA pixels, padded to 105
// bytes with no pixel data at all.
std::string WriteClaimingPng(const std::string& path, std::uint32_t width, std::uint32_t height) {
  std::vector<char> bytes = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
  PutBigEndian(bytes, 13);
  for (const char c : {'I', 'H', 'D', 'R'}) bytes.push_back(c);
  PutBigEndian(bytes, width);
  PutBigEndian(bytes, height);
  for (const char c : {'\x08', '\x06', '\x00', '\x00', '\x00'}) bytes.push_back(c);
  bytes.resize(105, '\0');
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(ImageFile, OverSizeHeadersAreRefusedBeforeDecodingAndNamed) {
  testing_support::TempFolder folder;
  const struct {
    std::uint32_t width;
    std::uint32_t height;
  } cases[] = {{16000, 16000}, {20000, 1}, {1, 20000}, {9000, 9000}};
  for (const auto& size : cases) {
    const std::string label = std::to_string(size.width) + " x " + std::to_string(size.height);
    SCOPED_TRACE(label);
    const std::string path =
        WriteClaimingPng((folder.path / "huge.png").string(), size.width, size.height);
    ImageFile image;
    EXPECT_FALSE(image.Load(path, true));
    EXPECT_EQ(image.Error().rfind(path + ": claims a size of " + label + " pixels", 0), 0u)
        << image.Error();
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.Width(), 0);
  }

  ImageFile missing;
  const std::string path = (folder.path / "missing.png").string();
  EXPECT_FALSE(missing.Load(path, false));
  EXPECT_EQ(missing.Error().rfind(path + ": ", 0), 0u) << missing.Error();
}

TEST(ImageFile, PixelsAreRgbaWithRowsFlippedOnlyWhenAskedAndTheDecoderIsLeftAsItWas) {
  testing_support::TempFolder folder;
  // One grey channel, two rows: 10 on top, 200 below.
  const std::string path = (folder.path / "grey.png").string();
  const std::array<std::uint8_t, 2> grey = {10, 200};
  ASSERT_NE(stbi_write_png(path.c_str(), 1, 2, 1, grey.data(), 1), 0);

  ImageFile image;
  ASSERT_TRUE(image.Load(path, false));
  EXPECT_EQ(image.ByteCount(), 8u);
  EXPECT_EQ(std::vector<int>(image.Pixels(), image.Pixels() + 8),
            (std::vector<int>{10, 10, 10, 255, 200, 200, 200, 255}));
  ASSERT_TRUE(image.Load(path, true));
  EXPECT_EQ(std::vector<int>(image.Pixels(), image.Pixels() + 8),
            (std::vector<int>{200, 200, 200, 255, 10, 10, 10, 255}));

  // Another reader of the decoder still gets the top row first.
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* raw = stbi_load(path.c_str(), &width, &height, &channels, 1);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw[0], 10);
  stbi_image_free(raw);
}

}  // namespace
