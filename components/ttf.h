#pragma once
// TTF: a text drawn in a TrueType font from a glyph atlas, one texture per font path and size.
//
// LoadFont rasterises the printable ASCII characters (32 to 127) with FreeType into an atlas of
// atlasColumns x atlasRows cells, each 2 * _fontSize pixels square, one character per cell in
// character order, row 0 of the atlas at the bottom. Every byte of an atlas pixel (RGBA) holds
// the glyph's coverage. The texture is made by the resource provider under the name
// "<font path><size as %f>", so components with the same font and size share it; when the
// provider already has it, only the glyph metrics are rebuilt. Without a provider the glyph map
// is built and atlasTexture keeps its value.
//
// Failures print FreeType's line ("ERROR::FREETYPE: Could not init FreeType Library",
// "ERROR::FREETYPE: Failed to load font") followed by a line naming the font and what
// FreeType's error code means; a font that keeps failing is reported once until its path or
// size changes.

#include <glm/glm.hpp>
#include <map>
#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

// One character of the atlas, in FreeType's measures.
struct Glyph {
  int width = 0;    // bitmap width, pixels
  int rows = 0;     // bitmap height, pixels
  int left = 0;     // horizontal bearing, pixels
  int top = 0;      // top bearing, pixels
  int advance = 0;  // horizontal advance, 1/64 pixel
  // Atlas coordinates of the lower-left corner of the glyph's cell, each in [0, 1).
  float u = 0.0f;
  float v = 0.0f;
};

class TTF : public BaseComponent {
 public:
  // Font sizes outside this range (pixels) are clamped; NaN falls back to the default.
  static constexpr float kMinFontSize = 1.0f;
  static constexpr float kMaxFontSize = 256.0f;

  // Builds the atlas and the glyph map (above); true when the font could be opened. Rewrites
  // `_fontFilePath` in normalized form and `_fontSize` clamped. Failures are reported and leave
  // the glyph map and the atlas members as they were.
  bool LoadFont();

  // The texture name of the atlas: the font path followed by the size printed with "%f".
  std::string AtlasName() const;

  std::string _fontFilePath;
  float _fontSize = 90.0f;  // pixels
  std::string _text;
  glm::vec3 _color{1.0f};
  glm::vec3 _color2{1.0f};
  glm::vec2 _anchor{0.0f};
  std::map<unsigned char, Glyph> glyphs;
  int atlasTexture = 0;
  float _alpha = 1.0f;
  int cellWidth = 100;
  int cellHeight = 100;
  int atlasColumns = 16;
  int atlasRows = 8;
  int atlasWidth = 1600;
  int atlasHeight = 800;
  // The result of the last LoadFont: 0 until a load succeeds.
  int loaded = 0;
  int _alignment = 0;
  // AtlasName of the font whose failure LoadFont reported last; the same font failing again
  // is not reported again. Empty after a load succeeds.
  std::string reportedFailure;
};
DECLARE_TYPE_NAME(class, TTF);
