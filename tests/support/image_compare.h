#pragma once
// Pictures read back from GL and compared with golden images.
//
//   Image frame = ReadFramebufferPixels(0, 0, 64, 64);      // the bound read framebuffer
//   EXPECT_TRUE(MatchesGolden(SampleBlocks(frame, 4), "tests/render/golden/two_layers.png", 2));
//
// Images hold 8-bit RGBA rows from the top of the picture down, like the PNG files. When a
// comparison fails, the actual picture is written as a PNG into "kelvaris-golden" under the
// system's temporary folder and its path is part of the failure message, so it can be
// inspected (and, once checked by eye, copied over the golden file).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width x height x 4, top row first

  std::array<int, 4> At(int x, int y) const;
};

// glReadPixels of the rectangle (window coordinates, origin bottom left) from the bound read
// framebuffer, turned top row first.
Image ReadFramebufferPixels(int x, int y, int width, int height);

// A picture `factor` times smaller: the pixel at the centre of each factor x factor block.
Image SampleBlocks(const Image& image, int factor);

// The `width` x `height` rectangle of `image` whose top-left pixel is (left, top), clipped to
// the image.
Image CropImage(const Image& image, int left, int top, int width, int height);

bool LoadPng(const std::string& path, Image& image);
bool SavePng(const std::string& path, const Image& image);

// Success when both pictures have one size and no colour channel of any pixel differs by more
// than `tolerance`; otherwise the first worst pixel is named and the actual picture saved (made
// opaque). Alpha is not compared: what the window holds there depends on its visual, and the
// screen does not show it.
::testing::AssertionResult MatchesGolden(const Image& actual, const std::string& goldenPath,
                                         int tolerance);

}  // namespace testing_support
