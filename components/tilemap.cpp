#include "components/tilemap.h"

void Tilemap::LoadTileFile() {
  // The reader arrives with the tile file format.
}
