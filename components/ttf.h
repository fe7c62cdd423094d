#pragma once
// TTF: a text drawn in a TrueType font from a glyph atlas, one texture per font path and size.

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
  // Rasterises the printable ASCII characters of the font into the atlas and fills the glyph
  // map; true when the font could be opened. Does nothing yet: the atlas builder comes with
  // the text renderer.
  bool LoadFont();

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
};
DECLARE_TYPE_NAME(class, TTF);
