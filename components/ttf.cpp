#include "components/ttf.h"

bool TTF::LoadFont() {
  // The glyph atlas builder arrives with the text renderer.
  return false;
}
