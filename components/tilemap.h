#pragma once
// Tilemap: a rectangular grid of tiles read from a tile file: three character layers, a height
// and an int value per tile (index x + y * width), and the foliage layers drawn over it.

#include <glm/glm.hpp>
#include <string>
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
  // Reads the grid from `_path` and loads the foliage and trail-map textures. Does nothing
  // yet: the reader arrives with the tile file format.
  void LoadTileFile();

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
