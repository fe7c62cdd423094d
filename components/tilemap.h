#pragma once
// Tilemap: a rectangular grid of tiles read from a tile file: three character layers, a height
// and an int value per tile (index x + y * width), and the foliage layers drawn over it.
//
// Tile file (tokens separated by white space):
//   width height          (C "%i" numbers, 1 to kMaxSide each, at most kMaxTiles tiles)
//   mode letter           ('p' sets pMode), optionally followed directly by one separator
//   width * height tile characters of layer 1, then of layer 2, then of layer 3 (each tile
//                         one character, with or without blanks between them)
//   width * height heights (floats)
//   width * height int values; values missing at the end of the file are 0
// A file that breaks these rules is reported with its name and line and leaves the component
// as it was. A file that loads is echoed to standard output: each layer, the heights and the
// values, every entry followed by a blank ("%c ", "%f ", "%d ") and a line break after every
// entry whose position in its list is a multiple of the width.
//
// Tile changes made with SetTile are announced as "tilemap_layer_N_modified index value old"
// at message level 0, before the tile changes.

#include <glm/glm.hpp>
#include <string>
#include <utility>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

// One foliage layer of a tile map. The texture ids, the density map size and its values are
// filled when the tile map is loaded.
struct FoliageData {
  std::string _meshPath;
  glm::vec3 _color1{0.0f};
  glm::vec3 _color2{0.0f};
  glm::vec3 _color3{0.0f};
  glm::vec3 _color4{0.0f};
  float _colorThreshold1 = 0.0f;
  float _colorThreshold2 = 0.25f;
  float _colorThreshold3 = 0.5f;
  float _colorThreshold4 = 0.75f;
  std::string _densityMapPath;
  std::string _heightMapPath;
  int densityWidth = 0;   // pixels
  int densityHeight = 0;  // pixels
  // The red channel of every density map pixel.
  std::vector<int> densityValues;
  int _maxDensity = 16;
  float _maxWindSpeed = 1.0f;
  // Texture ids of the density and height maps; -1 until loaded.
  int densityTexture = -1;
  int heightTexture = -1;
  float _minHeight = 1.0f;
  float _maxHeight = 1.0f;
  float _maxDepressStrength = 1.0f;
  // Grass system state.
  float grassState = 0.0f;
};

class Tilemap : public BaseComponent {
 public:
  static constexpr unsigned int kMaxSide = 4096;
  static constexpr unsigned int kMaxTiles = 4u * 1024u * 1024u;
  // RandomFill's largest tile value: tile characters name models, of which there are at most
  // 127.
  static constexpr unsigned int kMaxRandomValue = 127;

  // Reads the grid from `_path`, then the foliage density maps and the foliage and trail-map
  // textures. A missing path or a folder leaves the component as it was.
  void LoadTileFile();

  // Fills layer 1, layer 3 and the heights of the current width x height grid from a generator
  // seeded with `seed`: layer 3 all '1', layer 1 '0' + a value in [0, maxValue] (maxValue + 1
  // for the generator's largest draw), heights in [0, 1). Layer 2 and the values stay.
  void RandomFill(int seed, unsigned int maxValue);

  // Sets the tile at `index` to '0' + value on layer 1 (layerMask 1), layer 2 (2) or both (3),
  // posting the change message for each layer first. Indices outside the grid do nothing.
  void SetTile(int index, unsigned int layerMask, int value);

  // Height of a tile; 0 for an index outside the list. SetHeight ignores such an index.
  void SetHeight(int index, float value);
  float GetHeight(int index) const;
  std::vector<float>& GetHeights() { return heights; }
  std::vector<char>& GetLayer3() { return layer3; }
  // Copies of layer 1 and layer 2.
  std::pair<std::vector<char>, std::vector<char>> GetLayers() const { return {layer1, layer2}; }
  // The int value of a tile; 0 for an index outside the list.
  int GetTileValue(int index) const;
  // (width, height) in tiles.
  std::pair<unsigned int, unsigned int> GetDimensions() const { return {width, height}; }

  // x + y * width, or -1 when (x, y) lies outside the grid.
  int TileIndex(int x, int y) const;

  // World position to grid, given the tile map entity's model matrix (its first two diagonal
  // elements scale x and z). The index is -1 outside the grid, also when the matrix has a zero
  // scale; the coordinates are then (-1, 0) and the sample (-99999, -99999, -99999).
  int WorldToTileIndex(const glm::vec3& position, const glm::mat4& model) const;
  glm::vec2 WorldToTileCoords(const glm::vec3& position, const glm::mat4& model) const;
  // (column - width / 2, height of the tile, row - height / 2) of the tile under the position.
  glm::vec3 WorldToTileSample(const glm::vec3& position, const glm::mat4& model) const;
  // Centre of a tile before the model matrix; tiles are 2 units wide. (0, 0, 0) for an empty
  // grid.
  glm::vec3 TileToWorld(int index) const;

  // Indices of the tiles within `radius` tiles (Euclidean) of the tile at `index`, by row, then
  // column. Empty for an index outside the grid or a negative radius.
  std::vector<int> GetTilesInRadius(int index, int radius) const;

  std::string _path;
  std::string _trailMapPath;
  std::vector<char> layer1;
  std::vector<char> layer2;
  std::vector<char> layer3;
  std::vector<float> heights;
  std::vector<int> tileValues;
  unsigned int width = 0;   // tiles
  unsigned int height = 0;  // tiles
  bool pMode = false;
  int trailMapTexture = -1;
  std::vector<FoliageData> _foliageData;
};
DECLARE_TYPE_NAME(class, Tilemap);
