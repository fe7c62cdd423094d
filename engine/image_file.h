#pragma once
// ImageFile: one decoded image file, 8-bit RGBA, owned until the object goes.
//
//   ImageFile image;
//   if (!image.Load("GAME/Assets/Textures/logo_icon.png", /*flipRows=*/false)) {
//     std::printf("Icon : %s\n", image.Error().c_str());   // names the file and the reason
//   }
//   Use(image.Width(), image.Height(), image.Pixels());
//
// Every image the game reads (textures, density maps, the window icon) is decoded here. The
// header is read first and an image whose claimed size is out of range is refused before any
// pixel memory is allocated, so a small file claiming a huge size costs nothing. Pixels are
// always four bytes, whatever the file holds; with `flipRows` the bottom row comes first (where
// GL puts texture coordinate v = 0). The decoder's process-wide settings are never changed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ImageFile {
 public:
  // Largest width or height, and largest pixel count (a 256 MiB picture), accepted.
  static constexpr int kMaxSide = 16384;
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

  // Decodes the file at `path` (used as given), replacing what the object held. False, with
  // Error() set and no pixels, when the file cannot be read or decoded or is too large.
  bool Load(const std::string& path, bool flipRows);

  int Width() const { return width; }
  int Height() const { return height; }
  // Width x height x 4 bytes, row after row; null when nothing is loaded.
  const std::uint8_t* Pixels() const { return pixels.get(); }
  std::size_t ByteCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  }
  // "<path>: <reason>" of the last failed Load; empty after a success.
  const std::string& Error() const { return error; }

 private:
  struct Release {
    void operator()(std::uint8_t* data) const;
  };
  std::unique_ptr<std::uint8_t, Release> pixels;
  int width = 0;
  int height = 0;
  std::string error;
};
