#include "components/ttf.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "engine/resource_provider.h"
#include "platform/os/file_path.h"

namespace {

constexpr int kFirstCharacter = 32;
constexpr int kLastCharacter = 127;
// The atlas holds at most this many cells across and down (96 characters need 16 x 6).
constexpr int kMaxColumns = 16;
constexpr int kMaxRows = 8;

// The FreeType library and face of one load, released in reverse order on every path.
class FreeTypeSession {
 public:
  FreeTypeSession() = default;
  FreeTypeSession(const FreeTypeSession&) = delete;
  FreeTypeSession& operator=(const FreeTypeSession&) = delete;
  ~FreeTypeSession() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }

  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

// Copies a rendered glyph into its cell of the atlas, bottom row of the bitmap on the cell's
// bottom edge. Pixels that fall outside the cell are dropped; returns false when there were any.
bool CopyGlyph(const FT_Bitmap& bitmap, int cellX, int cellY, int cellWidth, int cellHeight,
               int atlasWidth, std::vector<std::uint8_t>& pixels) {
  const int rows = static_cast<int>(bitmap.rows);
  const int width = static_cast<int>(bitmap.width);
  // Bitmap row l lands on cell row rows - 1 - l; rows above the cell (the glyph's top) and
  // columns past its right edge are dropped.
  for (int l = std::max(0, rows - cellHeight); l < rows; ++l) {
    const std::uint8_t* source = bitmap.buffer + static_cast<std::ptrdiff_t>(l) * bitmap.pitch;
    const auto y = static_cast<std::size_t>(cellY + (rows - 1 - l));
    for (int m = 0; m < std::min(width, cellWidth); ++m) {
      const std::size_t offset =
          (y * static_cast<std::size_t>(atlasWidth) + static_cast<std::size_t>(cellX + m)) * 4;
      std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(offset), 4, source[m]);
    }
  }
  return rows <= cellHeight && width <= cellWidth;
}

// What a FreeType error code means, from FreeType's own list of errors.
const char* FreeTypeErrorText(FT_Error error) {
#undef FTERRORS_H_
#define FT_ERRORDEF(code, value, text) {value, text},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST \
  { 0, nullptr }          \
  }                       \
  ;
  static const struct {
    int code;
    const char* text;
  } kErrors[] =
#include FT_ERRORS_H
      ;
  for (const auto& entry : kErrors) {
    if (entry.text != nullptr && entry.code == error) return entry.text;
  }
  return "unknown error";
}

}  // namespace

std::string TTF::AtlasName() const {
  char size[64];
  std::snprintf(size, sizeof size, "%f", static_cast<double>(_fontSize));
  return _fontFilePath + size;
}

bool TTF::LoadFont() {
  _fontFilePath = os::NormalizePath(_fontFilePath);
  if (!(_fontSize >= kMinFontSize && _fontSize <= kMaxFontSize)) {
    const float clamped =
        std::isnan(_fontSize) ? 90.0f : std::clamp(_fontSize, kMinFontSize, kMaxFontSize);
    std::printf("TTF : Warning: '%s': font size %g is outside %g to %g px; using %g\n",
                _fontFilePath.c_str(), static_cast<double>(_fontSize),
                static_cast<double>(kMinFontSize), static_cast<double>(kMaxFontSize),
                static_cast<double>(clamped));
    _fontSize = clamped;
  }
  const std::string name = AtlasName();
  ResourceProvider* resources = DECS::CurrentResources();
  const bool cached = resources != nullptr && resources->HasTexture(name);

  // A font that keeps failing is retried, but its failure is reported once until the font's
  // path or size changes.
  const bool report = reportedFailure != name;
  const auto fail = [&](const char* line, const std::string& detail, FT_Error error) {
    if (report) {
      std::printf("%s", line);
      std::printf("TTF : '%s': %s: FreeType error %d (%s)\n", _fontFilePath.c_str(), detail.c_str(),
                  error, FreeTypeErrorText(error));
    }
    reportedFailure = name;
    return false;
  };

  FreeTypeSession freeType;
  if (const FT_Error error = FT_Init_FreeType(&freeType.library); error != 0) {
    freeType.library = nullptr;
    return fail("ERROR::FREETYPE: Could not init FreeType Library\n", "library not started", error);
  }
  if (const FT_Error error =
          FT_New_Face(freeType.library, _fontFilePath.c_str(), 0, &freeType.face);
      error != 0) {
    freeType.face = nullptr;
    return fail("ERROR::FREETYPE: Failed to load font\n", "font not opened", error);
  }
  const int pixelSize = static_cast<int>(_fontSize);
  if (const FT_Error error = FT_Set_Pixel_Sizes(freeType.face, 0, static_cast<FT_UInt>(pixelSize));
      error != 0) {
    return fail("ERROR::FREETYPE: Failed to load font\n",
                "no size of " + std::to_string(pixelSize) + " px", error);
  }
  reportedFailure.clear();

  // A new face replaces the metrics of the old one.
  glyphs.clear();
  atlasColumns = std::clamp(atlasColumns, 1, kMaxColumns);
  atlasRows = std::clamp(atlasRows, 1, kMaxRows);
  cellWidth = static_cast<int>(2.0f * _fontSize);
  cellHeight = cellWidth;
  atlasWidth = cellWidth * atlasColumns;
  atlasHeight = cellHeight * atlasRows;

  // The pixels are only needed when a new texture is made.
  std::vector<std::uint8_t> pixels;
  if (resources != nullptr && !cached) {
    pixels.assign(static_cast<std::size_t>(atlasWidth) * static_cast<std::size_t>(atlasHeight) * 4,
                  0);
  }

  int column = 0;
  int row = 0;
  for (int character = kFirstCharacter; character <= kLastCharacter; ++character) {
    if (FT_Load_Char(freeType.face, static_cast<FT_ULong>(character), FT_LOAD_RENDER) != 0) {
      std::printf("ERROR::FREETYPE: Failed to load Glyph %c\n", static_cast<char>(character));
      continue;
    }
    const FT_GlyphSlot slot = freeType.face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (!pixels.empty() && bitmap.buffer != nullptr) {
      if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.pitch < 0) {
        std::printf("TTF : '%s': glyph %d is not an 8-bit coverage bitmap; its cell stays empty\n",
                    _fontFilePath.c_str(), character);
      } else if (!CopyGlyph(bitmap, column * cellWidth, row * cellHeight, cellWidth, cellHeight,
                            atlasWidth, pixels)) {
        std::printf("Out of bounds: '%s': glyph %d (%u x %u px) is clipped to its %d px cell\n",
                    _fontFilePath.c_str(), character, bitmap.width, bitmap.rows, cellWidth);
      }
    }
    Glyph glyph;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = static_cast<int>(slot->advance.x);
    glyph.u = static_cast<float>(column * cellWidth) / static_cast<float>(atlasWidth);
    glyph.v = static_cast<float>(row * cellHeight) / static_cast<float>(atlasHeight);
    glyphs.emplace(static_cast<unsigned char>(character), glyph);

    if (++column == atlasColumns) {
      column = 0;
      // Reported whenever the cells run out, even when the last character took the last cell.
      if (++row == atlasRows) {
        std::printf("ERROR::ATLAS: Not enough space in the atlas for all characters.\n");
        break;
      }
    }
  }

  if (resources != nullptr) {
    atlasTexture =
        resources->CreateTexture(atlasWidth, atlasHeight, pixels.empty() ? nullptr : pixels.data(),
                                 name, texture_sampling::kLinear, texture_sampling::kLinear);
  }
  return true;
}
