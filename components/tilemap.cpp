#include "components/tilemap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "components/random_fill_generator.h"
#include "engine/decs.h"
#include "engine/image_file.h"
#include "engine/messaging_manager.h"
#include "engine/resource_provider.h"
#include "engine/text_scanner.h"
#include "platform/os/file_path.h"

namespace {

// Tiles may be written without blanks, so one token can hold a mode letter, its separator and
// all three layers.
constexpr std::size_t kMaxTokenLength = 2 + 3 * static_cast<std::size_t>(Tilemap::kMaxTiles);

// Everything a tile file holds, read in full before the component changes.
struct TileFile {
  unsigned int width = 0;
  unsigned int height = 0;
  bool pMode = false;
  std::vector<char> layers[3];
  std::vector<float> heights;
  std::vector<int> values;
};

void ReportTileFile(const std::string& file, int line, const std::string& problem) {
  std::printf("Tilemap : '%s' line %d: %s; the file is not loaded\n", file.c_str(), line,
              problem.c_str());
}

// Reads a whole tile file; false (with a report) when it breaks the format.
bool ReadTileFile(TextScanner& scanner, const std::string& file, TileFile& tiles) {
  int width = 0;
  int height = 0;
  const bool sizeRead = scanner.ReadInt(width, 0) && scanner.ReadInt(height, 0);
  if (!sizeRead || width < 1 || height < 1 ||
      static_cast<unsigned int>(width) > Tilemap::kMaxSide ||
      static_cast<unsigned int>(height) > Tilemap::kMaxSide ||
      static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
          Tilemap::kMaxTiles) {
    ReportTileFile(file, scanner.Line(),
                   "width and height must be 1 to " + std::to_string(Tilemap::kMaxSide) +
                       " with at most " + std::to_string(Tilemap::kMaxTiles) + " tiles");
    return false;
  }
  tiles.width = static_cast<unsigned int>(width);
  tiles.height = static_cast<unsigned int>(height);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

  // The mode letter is followed by one separator character, which may be white space. When it
  // is not, the tiles may follow it directly ("n|0120..."): they are taken from the same token.
  std::string mode = "n";
  scanner.ReadWord(mode);
  tiles.pMode = mode[0] == 'p';
  const std::string glued = mode.size() > 2 ? mode.substr(2) : std::string();

  std::size_t gluedUsed = 0;
  for (int layer = 0; layer < 3; ++layer) {
    std::vector<char>& tilesOfLayer = tiles.layers[layer];
    tilesOfLayer.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (gluedUsed < glued.size()) {
        tilesOfLayer[i] = glued[gluedUsed++];
      } else if (!scanner.ReadChar(tilesOfLayer[i])) {
        ReportTileFile(file, scanner.Line(),
                       "the file ends in layer " + std::to_string(layer + 1) + " after " +
                           std::to_string(i) + " of " + std::to_string(count) + " tiles");
        return false;
      }
    }
  }
  if (gluedUsed < glued.size()) {
    ReportTileFile(file, scanner.Line(), "a height follows the tiles without a blank");
    return false;
  }

  tiles.heights.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!scanner.ReadFloat(tiles.heights[i])) {
      ReportTileFile(file, scanner.Line(),
                     scanner.AtEnd() ? "the file ends after " + std::to_string(i) + " of " +
                                           std::to_string(count) + " heights"
                                     : "height " + std::to_string(i) + " is not a number");
      return false;
    }
  }

  // Values missing at the end of the file are 0.
  tiles.values.assign(count, 0);
  for (std::size_t i = 0; i < count && !scanner.AtEnd(); ++i) {
    if (!scanner.ReadInt(tiles.values[i])) {
      ReportTileFile(file, scanner.Line(), "value " + std::to_string(i) + " is not an integer");
      return false;
    }
  }
  // Anything left means the counts and the contents disagree.
  if (!scanner.AtEnd()) {
    std::string word;
    scanner.ReadWord(word);
    ReportTileFile(file, scanner.Line(), "unexpected '" + word + "' after the values");
    return false;
  }
  return true;
}

// Fills the density values of a foliage layer from its density map: the red channel of every
// pixel, bottom row first.
void LoadDensityMap(FoliageData& foliage, const std::string& tileFile) {
  foliage.densityValues.clear();
  foliage.densityWidth = 0;
  foliage.densityHeight = 0;
  if (foliage._densityMapPath.empty()) return;
  const std::string path = os::NormalizePath(foliage._densityMapPath);
  // Four channels whatever the file holds, so every pixel is 4 bytes.
  ImageFile image;
  if (!image.Load(path, /*flipRows=*/true)) {
    std::printf("Tilemap : '%s': density map cannot be loaded: %s\n", tileFile.c_str(),
                image.Error().c_str());
    return;
  }
  const std::size_t count = image.ByteCount() / 4;
  foliage.densityValues.resize(count);
  for (std::size_t i = 0; i < count; ++i) foliage.densityValues[i] = image.Pixels()[i * 4];
  foliage.densityWidth = image.Width();
  foliage.densityHeight = image.Height();
}

// Writes the grid to standard output the way it was read: every layer, then the heights and
// the values, each entry followed by a blank and a line break after every entry whose position
// in its list is a multiple of the width.
void EchoTileFile(const TileFile& tiles) {
  std::string echo;
  char entry[64];
  const auto append = [&](std::size_t index, int length) {
    echo.append(entry, static_cast<std::size_t>(std::clamp(length, 0, 63)));
    if (index % tiles.width == 0) echo += '\n';
  };
  for (const std::vector<char>& layer : tiles.layers) {
    for (std::size_t i = 0; i < layer.size(); ++i) {
      append(i, std::snprintf(entry, sizeof entry, "%c ", layer[i]));
    }
  }
  for (std::size_t i = 0; i < tiles.heights.size(); ++i) {
    append(i, std::snprintf(entry, sizeof entry, "%f ", static_cast<double>(tiles.heights[i])));
  }
  for (std::size_t i = 0; i < tiles.values.size(); ++i) {
    append(i, std::snprintf(entry, sizeof entry, "%d ", tiles.values[i]));
  }
  std::fwrite(echo.data(), 1, echo.size(), stdout);
}

}  // namespace

void Tilemap::LoadTileFile() {
  const std::string file = os::NormalizePath(_path);
  std::error_code error;
  const bool exists = std::filesystem::exists(file, error);
  if (error) {
    std::printf("Tilemap : '%s': exists: %s\n", file.c_str(), error.message().c_str());
    return;
  }
  if (!exists) return;
  const bool folder = std::filesystem::is_directory(file, error);
  if (error) {
    std::printf("Tilemap : '%s': status: %s\n", file.c_str(), error.message().c_str());
    return;
  }
  if (folder) return;

  TextScanner scanner(file, kMaxTokenLength);
  if (!scanner.IsOpen()) {
    std::printf("Tilemap : '%s' cannot be read; the file is not loaded\n", file.c_str());
    return;
  }
  TileFile tiles;
  if (!ReadTileFile(scanner, file, tiles)) return;
  EchoTileFile(tiles);

  width = tiles.width;
  height = tiles.height;
  pMode = tiles.pMode;
  layer1 = std::move(tiles.layers[0]);
  layer2 = std::move(tiles.layers[1]);
  layer3 = std::move(tiles.layers[2]);
  heights = std::move(tiles.heights);
  tileValues = std::move(tiles.values);

  ResourceProvider* resources = DECS::CurrentResources();
  for (FoliageData& foliage : _foliageData) {
    if (resources != nullptr) {
      foliage.densityTexture =
          resources->GetTexture(foliage._densityMapPath, texture_sampling::kNearest,
                                texture_sampling::kNearest, texture_sampling::kRepeat);
      foliage.heightTexture =
          resources->GetTexture(foliage._heightMapPath, texture_sampling::kNearest,
                                texture_sampling::kNearest, texture_sampling::kRepeat);
    }
    LoadDensityMap(foliage, file);
  }
  if (resources != nullptr) {
    trailMapTexture = resources->GetTexture(_trailMapPath, texture_sampling::kLinear,
                                            texture_sampling::kLinear, texture_sampling::kRepeat);
  }
}

void Tilemap::RandomFill(int seed, unsigned int maxValue) {
  RandomFillGenerator generator(static_cast<unsigned int>(seed));
  layer3.clear();
  layer1.clear();
  heights.clear();
  const unsigned long long count = static_cast<unsigned long long>(width) * height;
  if (count == 0) return;
  if (count > kMaxTiles) {
    std::printf("Tilemap : Warning: a grid of %u x %u tiles is too large to fill\n", width, height);
    return;
  }
  const float valueCount = static_cast<float>(std::min(maxValue, kMaxRandomValue) + 1u);
  layer3.assign(count, '1');
  layer1.reserve(count);
  heights.reserve(count);
  for (unsigned long long i = 0; i < count; ++i) {
    const int tileDraw = generator.Next();
    const int value = static_cast<int>(static_cast<float>(tileDraw) /
                                       static_cast<float>(RandomFillGenerator::kMax) * valueCount);
    layer1.push_back(static_cast<char>('0' + value));
    const int heightDraw = generator.Next();
    heights.push_back(static_cast<float>(heightDraw % RandomFillGenerator::kMax) /
                      static_cast<float>(RandomFillGenerator::kMax));
  }
}

void Tilemap::SetTile(int index, unsigned int layerMask, int value) {
  const long long count = static_cast<long long>(width) * height;
  if (index < 0 || index >= count) return;
  if (layerMask != 1 && layerMask != 2 && layerMask != 3) return;
  const char tile =
      static_cast<char>(static_cast<unsigned int>('0') + static_cast<unsigned int>(value));
  const auto position = static_cast<std::size_t>(index);

  auto change = [&](std::vector<char>& layer, const char* format) {
    if (position >= layer.size()) return;
    const int oldCode = static_cast<unsigned char>(layer[position]);
    if (DECS::HasInstance()) {
      if (auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
        messaging->PostFormatted(format, 0, index, value, oldCode);
      }
    }
    // A handler of the message may have reset this component.
    if (position < layer.size()) layer[position] = tile;
  };
  if (layerMask & 1u) change(layer1, "tilemap_layer_1_modified %d %d %d");
  if (layerMask & 2u) change(layer2, "tilemap_layer_2_modified %d %d %d");
}

void Tilemap::SetHeight(int index, float value) {
  if (index < 0 || static_cast<std::size_t>(index) >= heights.size()) return;
  heights[static_cast<std::size_t>(index)] = value;
}

float Tilemap::GetHeight(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= heights.size()) return 0.0f;
  return heights[static_cast<std::size_t>(index)];
}

int Tilemap::GetTileValue(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= tileValues.size()) return 0;
  return tileValues[static_cast<std::size_t>(index)];
}

int Tilemap::TileIndex(int x, int y) const {
  if (x < 0 || y < 0 || static_cast<unsigned int>(x) >= width ||
      static_cast<unsigned int>(y) >= height) {
    return -1;
  }
  const long long index = x + static_cast<long long>(y) * width;
  return index > INT_MAX ? -1 : static_cast<int>(index);
}

int Tilemap::WorldToTileIndex(const glm::vec3& position, const glm::mat4& model) const {
  const float scaleX = model[0][0];
  const float scaleZ = model[1][1];
  if (width == 0 || height == 0 || scaleX == 0.0f || scaleZ == 0.0f) return -1;
  const float column = std::round(position.x / scaleX - 0.5f + static_cast<float>(width) * 0.5f);
  const float row = std::round(position.z / scaleZ - 0.5f + static_cast<float>(height) * 0.5f);
  // Written so that NaN falls outside too.
  if (!(column >= 0.0f && column < static_cast<float>(width) && row >= 0.0f &&
        row < static_cast<float>(height) && column <= static_cast<float>(INT_MAX / 2) &&
        row <= static_cast<float>(INT_MAX / 2))) {
    return -1;
  }
  return TileIndex(static_cast<int>(column), static_cast<int>(row));
}

glm::vec2 Tilemap::WorldToTileCoords(const glm::vec3& position, const glm::mat4& model) const {
  const int index = WorldToTileIndex(position, model);
  if (index < 0) return {-1.0f, 0.0f};
  return {static_cast<float>(static_cast<unsigned int>(index) % width),
          static_cast<float>(static_cast<unsigned int>(index) / width)};
}

glm::vec3 Tilemap::WorldToTileSample(const glm::vec3& position, const glm::mat4& model) const {
  const int index = WorldToTileIndex(position, model);
  if (index < 0) return {-99999.0f, -99999.0f, -99999.0f};
  const auto tile = static_cast<unsigned int>(index);
  return {static_cast<float>(tile % width) - static_cast<float>(width) * 0.5f, GetHeight(index),
          static_cast<float>(tile / width) - static_cast<float>(height) * 0.5f};
}

glm::vec3 Tilemap::TileToWorld(int index) const {
  if (width == 0) return glm::vec3(0.0f);
  const long long columns = width;
  const long long column = index % columns;
  const long long row = index / columns;
  return {static_cast<float>(column - columns / 2) * 2.0f, 0.0f,
          static_cast<float>(row - static_cast<long long>(height / 2)) * 2.0f};
}

std::vector<int> Tilemap::GetTilesInRadius(int index, int radius) const {
  std::vector<int> tiles;
  const long long columns = width;
  const long long rows = height;
  if (radius < 0 || index < 0 || index >= columns * rows) return tiles;
  const long long centreX = index % columns;
  const long long centreY = index / columns;
  const long long reach = radius;
  // Only rows and columns inside the grid are walked, so a huge radius costs no more than the
  // grid itself.
  for (long long y = std::max(centreY - reach, 0LL); y <= std::min(centreY + reach, rows - 1);
       ++y) {
    for (long long x = std::max(centreX - reach, 0LL); x <= std::min(centreX + reach, columns - 1);
         ++x) {
      const long long dx = x - centreX;
      const long long dy = y - centreY;
      if (dx * dx + dy * dy <= reach * reach) tiles.push_back(static_cast<int>(x + y * columns));
    }
  }
  return tiles;
}
