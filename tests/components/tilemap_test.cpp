#include "components/tilemap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "components/random_fill_generator.h"
#include "engine/resource_provider.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing_support::RecordingReceiver;

// Texture ids from 100 in call order; records the paths asked for.
class FakeTileResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string& path, int, int, int) override {
    paths.push_back(path);
    return 99 + static_cast<int>(paths.size());
  }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string&) override { return -1; }
  int GetMaterial(const std::string&) override { return -1; }

  std::vector<std::string> paths;
};

// A 3 x 2 map after its first line: three layers, heights and values.
const char* const kThreeByTwoBody =
    "012 345\n"
    "aaa bbb\n"
    "111000\n"
    "0.5 1 1.5 2 2.5 3\n"
    "1 2 3 4 5 6\n";

class TilemapTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    decs->SetResourceProvider(&resources);
  }

  std::string Write(const std::string& text) {
    const std::string path = (folder.path / "tiles.txt").string();
    std::ofstream(path) << text;
    return path;
  }

  // Loads `map` from its path, returning what the loader printed.
  static std::string Load(Tilemap& map) {
    testing::internal::CaptureStdout();
    map.LoadTileFile();
    return testing::internal::GetCapturedStdout();
  }

  FakeTileResources resources;
  testing_support::TempFolder folder;
};

// A map of the given size with every layer '0', heights 0.5 and values 0.
Tilemap Grid(unsigned int width, unsigned int height) {
  Tilemap map;
  map.width = width;
  map.height = height;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  map.layer1.assign(count, '0');
  map.layer2.assign(count, '0');
  map.layer3.assign(count, '0');
  map.heights.assign(count, 0.5f);
  map.tileValues.assign(count, 0);
  return map;
}

TEST_F(TilemapTest, TileFilesFillTheGridInIndexOrder) {
  Tilemap map;
  map._path = Write(std::string("3 2\nn\n") + kThreeByTwoBody);
  map._trailMapPath = "trail.png";
  EXPECT_EQ(Load(map),
            "0 \n1 2 3 \n4 5 "
            "a \na a b \nb b "
            "1 \n1 1 0 \n0 0 "
            "0.500000 \n1.000000 1.500000 2.000000 \n2.500000 3.000000 "
            "1 \n2 3 4 \n5 6 ")
      << "the grid is echoed as it is read";

  EXPECT_EQ(map.GetDimensions(), std::make_pair(3u, 2u));
  EXPECT_FALSE(map.pMode);
  EXPECT_THAT(map.layer1, ElementsAre('0', '1', '2', '3', '4', '5'));
  EXPECT_THAT(map.layer2, ElementsAre('a', 'a', 'a', 'b', 'b', 'b'));
  EXPECT_THAT(map.layer3, ElementsAre('1', '1', '1', '0', '0', '0'));
  EXPECT_THAT(map.heights, ElementsAre(0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f));
  EXPECT_THAT(map.tileValues, ElementsAre(1, 2, 3, 4, 5, 6));
  EXPECT_EQ(map.trailMapTexture, 100);

  Load(map);
  EXPECT_EQ(map.layer3.size(), 6u) << "a reload replaces the lists";
  EXPECT_EQ(map.heights.size(), 6u);
  EXPECT_EQ(map.tileValues.size(), 6u);
}

TEST_F(TilemapTest, BadTileFilesAreRejectedWholeWithTheirLine) {
  const struct {
    const char* label;
    std::string text;
    const char* report;  // empty: the file loads
  } cases[] = {
      {"mode p", std::string("3 2 p ") + kThreeByTwoBody, ""},
      {"mode with its separator", std::string("3 2 n|") + kThreeByTwoBody, ""},
      {"hexadecimal size", std::string("0x3 2 n ") + kThreeByTwoBody, ""},
      {"values missing at the end", "3 2 n 012345 aaabbb 111000 0 0 0 0 0 0 7 8", ""},
      {"zero width", std::string("0 2 n ") + kThreeByTwoBody, "width and height"},
      {"negative height", std::string("3 -2 n ") + kThreeByTwoBody, "width and height"},
      {"side too long", "5000 2 n 0", "width and height"},
      {"narrow but too tall", "1 5000 n 0", "width and height"},
      {"too many tiles", "4096 4096 n 0", "width and height"},
      {"size overflows", "2147483647 2147483647 n 0", "width and height"},
      {"size not a number", "three 2 n 0", "width and height"},
      {"huge map, short file", "4096 1024 n 0 1 2", "ends in layer 1 after 3 of 4194304"},
      {"short layer 3", "3 2 n 012345 aaabbb 11", "ends in layer 3 after 2 of 6"},
      {"short heights", "3 2 n 012345 aaabbb 111000 0 0", "ends after 2 of 6 heights"},
      {"height not a number", "3 2 n 012345 aaabbb 111000 0 0 high 0 0 0", "height 2"},
      {"value not an integer", "3 2 n 012345 aaabbb 111000 0 0 0 0 0 0 1 2.5", "value 1"},
      {"tiles glued to the mode", "3 2 n|012345aaabbb111000 0 0 0 0 0 0", ""},
      {"text after the values", std::string("3 2 n ") + kThreeByTwoBody + " 7", "'7' after"},
      {"more tiles than the size", std::string("3 2 normal ") + kThreeByTwoBody, "after"},
      {"height glued to the tiles", "3 2 n|012345aaabbb1110000.5 1 1 1 1 1", "height follows"},
      {"empty file", "", "width and height"},
  };
  for (const auto& testCase : cases) {
    Tilemap map = Grid(1, 1);
    map._path = Write(testCase.text);
    const std::string output = Load(map);
    if (*testCase.report == '\0') {
      EXPECT_THAT(output, Not(HasSubstr("Tilemap :"))) << testCase.label;
      EXPECT_EQ(map.GetDimensions(), std::make_pair(3u, 2u)) << testCase.label;
      EXPECT_EQ(map.tileValues.size(), 6u) << testCase.label;
    } else {
      EXPECT_THAT(output, HasSubstr("tiles.txt' line")) << testCase.label;
      EXPECT_THAT(output, HasSubstr(testCase.report)) << testCase.label;
      EXPECT_EQ(map.GetDimensions(), std::make_pair(1u, 1u)) << testCase.label;
      EXPECT_EQ(map.layer1.size(), 1u) << testCase.label;
    }
  }

  Tilemap pMode;
  pMode._path = Write(std::string("3 2 p ") + kThreeByTwoBody);
  Load(pMode);
  EXPECT_TRUE(pMode.pMode);
  Tilemap shortValues;
  shortValues._path = Write("3 2 n 012345 aaabbb 111000 0 0 0 0 0 0 7 8");
  Load(shortValues);
  EXPECT_THAT(shortValues.tileValues, ElementsAre(7, 8, 0, 0, 0, 0));

  Tilemap untouched = Grid(2, 2);
  untouched._path = (folder.path / "missing.txt").string();
  EXPECT_THAT(Load(untouched), IsEmpty());
  untouched._path = folder.path.string();
  EXPECT_THAT(Load(untouched), IsEmpty());
  EXPECT_EQ(untouched.layer1.size(), 4u);
}

TEST_F(TilemapTest, DensityMapsAreReadAsFourChannelsAndFailuresAreReported) {
  // A 2 x 1 grey PNG (one channel): its value is read as red whatever the channel count.
  const unsigned char greyPng[] = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00,
      0x00, 0xd1, 0x49, 0x20, 0x56, 0x00, 0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78,
      0xda, 0x63, 0x60, 0xf8, 0x0f, 0x00, 0x01, 0x02, 0x01, 0x00, 0xd1, 0x1a, 0xcb, 0x8f,
      0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  const std::string densityPath = (folder.path / "density.png").string();
  std::ofstream(densityPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(greyPng), sizeof greyPng);

  Tilemap map;
  map._path = Write(std::string("3 2 n ") + kThreeByTwoBody);
  FoliageData grass;
  grass._densityMapPath = densityPath;
  grass._heightMapPath = "height.png";
  grass.densityValues = {9, 9, 9};
  FoliageData broken;
  broken._densityMapPath = (folder.path / "no_such.png").string();
  map._foliageData = {grass, broken};

  const std::string output = Load(map);
  const FoliageData& loaded = map._foliageData[0];
  EXPECT_EQ(loaded.densityWidth, 2);
  EXPECT_EQ(loaded.densityHeight, 1);
  EXPECT_THAT(loaded.densityValues, ElementsAre(0, 255)) << "replaced, not appended";
  EXPECT_EQ(loaded.densityTexture, 100);
  EXPECT_EQ(loaded.heightTexture, 101);
  EXPECT_THAT(output, HasSubstr("no_such.png"));
  EXPECT_THAT(map._foliageData[1].densityValues, IsEmpty());
  EXPECT_EQ(map._foliageData[1].densityWidth, 0);
}

TEST_F(TilemapTest, TheGameTileFileLoadsWithoutReports) {
  Tilemap map;
  map._path = "./GAME/Assets/Tilemaps/DemoTiles.txt";
  EXPECT_THAT(Load(map), Not(HasSubstr("Tilemap :")));
  EXPECT_EQ(map.GetDimensions(), std::make_pair(6u, 4u));
  EXPECT_EQ(map.heights.size(), 24u);
}

TEST(TilemapGrid, IndicesAndWorldPositionsMapBothWays) {
  const Tilemap map = Grid(4, 3);
  const glm::mat4 scaled = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 2.0f, 1.0f));
  const struct {
    const char* label;
    glm::vec3 position;
    glm::mat4 model;
    int index;
  } toTile[] = {
      // Halves round away from zero: column round(1.5) = 2, row round(1.0) = 1.
      {"origin", {0.0f, 0.0f, 0.0f}, glm::mat4(1.0f), 2 + 1 * 4},
      {"first tile", {-1.5f, 0.0f, -1.0f}, glm::mat4(1.0f), 0},
      {"last tile", {1.5f, 7.0f, 1.0f}, glm::mat4(1.0f), 11},
      {"past the right edge", {2.6f, 0.0f, 0.0f}, glm::mat4(1.0f), -1},
      {"before the top row", {0.0f, 0.0f, -2.1f}, glm::mat4(1.0f), -1},
      {"scaled by 2", {3.0f, 0.0f, 2.0f}, scaled, 3 + 2 * 4},
      {"zero x scale", {0.0f, 0.0f, 0.0f}, glm::scale(glm::mat4(1.0f), glm::vec3(0, 1, 1)), -1},
      {"zero second scale",
       {0.0f, 0.0f, 0.0f},
       glm::scale(glm::mat4(1.0f), glm::vec3(1, 0, 1)),
       -1},
      {"not a number", {NAN, 0.0f, 0.0f}, glm::mat4(1.0f), -1},
      {"far away", {1e30f, 0.0f, 1e30f}, glm::mat4(1.0f), -1},
  };
  for (const auto& testCase : toTile) {
    const int index = map.WorldToTileIndex(testCase.position, testCase.model);
    EXPECT_EQ(index, testCase.index) << testCase.label;
    const glm::vec2 coords = map.WorldToTileCoords(testCase.position, testCase.model);
    const glm::vec3 sample = map.WorldToTileSample(testCase.position, testCase.model);
    if (index < 0) {
      EXPECT_EQ(coords, glm::vec2(-1.0f, 0.0f)) << testCase.label;
      EXPECT_EQ(sample, glm::vec3(-99999.0f)) << testCase.label;
    } else {
      EXPECT_EQ(coords, glm::vec2(index % 4, index / 4)) << testCase.label;
      EXPECT_EQ(sample, glm::vec3(index % 4 - 2.0f, 0.5f, index / 4 - 1.5f)) << testCase.label;
    }
  }

  const struct {
    int x;
    int y;
    int index;
  } cells[] = {{0, 0, 0}, {3, 2, 11}, {1, 2, 9}, {4, 0, -1}, {0, 3, -1}, {-1, 0, -1}, {0, -1, -1}};
  for (const auto& cell : cells) {
    EXPECT_EQ(map.TileIndex(cell.x, cell.y), cell.index) << cell.x << "," << cell.y;
  }

  EXPECT_EQ(map.TileToWorld(0), glm::vec3(-4.0f, 0.0f, -2.0f));
  EXPECT_EQ(map.TileToWorld(11), glm::vec3(2.0f, 0.0f, 2.0f));
  const Tilemap empty;
  EXPECT_EQ(empty.TileToWorld(5), glm::vec3(0.0f));
  EXPECT_EQ(empty.WorldToTileIndex(glm::vec3(0.0f), glm::mat4(1.0f)), -1);
  EXPECT_EQ(empty.WorldToTileCoords(glm::vec3(0.0f), glm::mat4(1.0f)), glm::vec2(-1.0f, 0.0f));
}

TEST(TilemapGrid, TilesInRadiusStayInsideTheGrid) {
  const Tilemap map = Grid(4, 3);
  const struct {
    const char* label;
    int index;
    int radius;
    std::vector<int> tiles;
  } cases[] = {
      {"radius 0", 5, 0, {5}},
      // The diagonal neighbour lies sqrt(2) away, outside radius 1.
      {"corner, radius 1", 0, 1, {0, 1, 4}},
      {"middle, radius 1", 5, 1, {1, 4, 5, 6, 9}},
      {"radius 2 leaves the far corners", 0, 2, {0, 1, 2, 4, 5, 8}},
      {"huge radius", 11, 1000000000, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {"negative radius", 5, -1, {}},
      {"index outside", 12, 1, {}},
      {"index -1", -1, 1, {}},
  };
  for (const auto& testCase : cases) {
    EXPECT_THAT(map.GetTilesInRadius(testCase.index, testCase.radius),
                ElementsAreArray(testCase.tiles))
        << testCase.label;
  }
  EXPECT_THAT(Tilemap().GetTilesInRadius(0, 3), IsEmpty());
}

TEST(TilemapGrid, ValueQueriesAnswerZeroOutsideTheirLists) {
  Tilemap map = Grid(2, 2);
  map.tileValues = {1, 2, 3};
  map.SetHeight(3, 4.0f);
  map.SetHeight(4, 9.0f);
  map.SetHeight(-1, 9.0f);
  EXPECT_EQ(map.GetHeight(3), 4.0f);
  for (const int index : {-1, 4, 1000}) {
    EXPECT_EQ(map.GetHeight(index), 0.0f) << index;
    EXPECT_EQ(map.GetTileValue(index), 0) << index;
  }
  EXPECT_EQ(map.GetTileValue(2), 3);
  EXPECT_EQ(map.GetTileValue(3), 0) << "the value list is shorter than the grid";
  EXPECT_THAT(map.GetHeights(), ElementsAre(0.5f, 0.5f, 0.5f, 4.0f));
}

class TilemapTileTest : public testing_support::EngineFixture {};

TEST_F(TilemapTileTest, SetTileAnnouncesEachLayerBeforeChangingIt) {
  std::vector<std::string> log;
  RecordingReceiver listener("listener", 1, &log);
  decs->AddChild(&listener);

  const struct {
    const char* label;
    int index;
    unsigned int mask;
    int value;
    std::vector<std::string> messages;
    char layer1;
    char layer2;
  } cases[] = {
      {"both layers",
       4,
       3,
       2,
       {"listener:tilemap_layer_1_modified 4 2 48", "listener:tilemap_layer_2_modified 4 2 48"},
       '2',
       '2'},
      {"layer 1", 4, 1, 7, {"listener:tilemap_layer_1_modified 4 7 48"}, '7', '0'},
      {"layer 2", 0, 2, 1, {"listener:tilemap_layer_2_modified 0 1 48"}, '0', '1'},
      {"no layer", 4, 0, 1, {}, '0', '0'},
      {"unknown mask", 4, 4, 1, {}, '0', '0'},
      {"index -1", -1, 3, 1, {}, '0', '0'},
      {"index past the grid", 6, 3, 1, {}, '0', '0'},
  };
  for (const auto& testCase : cases) {
    log.clear();
    Tilemap map = Grid(3, 2);
    map.SetTile(testCase.index, testCase.mask, testCase.value);
    EXPECT_EQ(log, testCase.messages) << testCase.label;
    const std::size_t at =
        testCase.index >= 0 && testCase.index < 6 ? static_cast<std::size_t>(testCase.index) : 4;
    EXPECT_EQ(map.layer1[at], testCase.layer1) << testCase.label;
    EXPECT_EQ(map.layer2[at], testCase.layer2) << testCase.label;
  }

  // The old character is the one the tile held; a layer shorter than the grid is left alone.
  log.clear();
  Tilemap map = Grid(3, 2);
  map.layer1[5] = '3';
  map.layer2.clear();
  map.SetTile(5, 3, 1);
  EXPECT_THAT(log, ElementsAre("listener:tilemap_layer_1_modified 5 1 51"));
  EXPECT_EQ(map.layer1[5], '1');
}

TEST(TilemapRandomFill, FillsLayer1Layer3AndHeightsFromTheSeed) {
  Tilemap map = Grid(16, 16);
  map.layer2.assign(256, '5');
  map.tileValues.assign(256, 3);
  map.RandomFill(7, 2);

  EXPECT_EQ(map.layer1.size(), 256u);
  EXPECT_THAT(map.layer3, Each('1'));
  for (const char tile : map.layer1) {
    EXPECT_TRUE(tile >= '0' && tile <= '3') << tile;
  }
  for (const float height : map.heights) {
    EXPECT_TRUE(height >= 0.0f && height < 1.0f) << height;
  }
  EXPECT_THAT(map.layer2, Each('5')) << "layer 2 stays";
  EXPECT_THAT(map.tileValues, Each(3)) << "values stay";

  Tilemap again = Grid(16, 16);
  again.RandomFill(7, 2);
  EXPECT_EQ(again.layer1, map.layer1) << "the same seed gives the same map";
  EXPECT_EQ(again.heights, map.heights);
  again.RandomFill(8, 2);
  EXPECT_NE(again.layer1, map.layer1);

  // maxValue 0 gives '0' everywhere but where the generator draws its largest value.
  Tilemap zero = Grid(64, 64);
  zero.RandomFill(1, 0);
  EXPECT_THAT(zero.layer1, Each(::testing::AnyOf('0', '1')));

  // A huge maxValue is limited to the model numbers.
  Tilemap huge = Grid(16, 16);
  huge.RandomFill(3, 4000000000u);
  for (const char tile : huge.layer1) {
    const int value = static_cast<unsigned char>(tile) - '0';
    EXPECT_TRUE(value >= 0 && value <= 128) << value;
  }

  Tilemap none = Grid(0, 5);
  none.layer1 = {'1'};
  none.RandomFill(1, 3);
  EXPECT_THAT(none.layer1, IsEmpty());
  EXPECT_THAT(none.heights, IsEmpty());
}

TEST(TilemapRandomFill, TheGeneratorCoversExactly0To32767) {
  RandomFillGenerator generator(12345);
  int lowest = RandomFillGenerator::kMax;
  int highest = 0;
  for (int i = 0; i < 1 << 20; ++i) {
    const int value = generator.Next();
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  EXPECT_EQ(lowest, 0);
  EXPECT_EQ(highest, 32767);
}

}  // namespace
