// The grass passes on a 16 x 16 map: blade counts per density map and disabled tile read back
// from the layer's draw command, and the press cells after an update.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/tag_container.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "gameplay/grass_system.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "tests/render/render_test_scene.h"

namespace {

constexpr int kGrassPictureSide = 16;
constexpr int kDensity = 2;
constexpr int kBladesPerTile = kDensity * kDensity;

class GrassSystemGlTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    grass = systems->RegisterSystem<GrassSystem>().get();
    grass->SetLinks({.graphicsQuality = [this] { return quality; }});
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    grass->AttachGpu(*cache);
  }

  void TearDown() override {
    grass->ReleaseGpu();
    cache.reset();
    RenderTestScene::TearDown();
  }

  // A texture `width` pixels wide and one high, white where `lit` says.
  int DensityMap(const std::string& name, const std::vector<bool>& lit) {
    std::vector<std::uint8_t> pixels;
    for (bool on : lit) {
      const std::uint8_t value = on ? 255 : 0;
      pixels.insert(pixels.end(), {value, value, value, 255});
    }
    return cache->CreateTexture(static_cast<int>(lit.size()), 1, pixels.data(), name, GL_NEAREST,
                                GL_NEAREST);
  }

  // The map entity, every tile grown except `bare` ones ('0' on layer 1).
  Tilemap& MakeMap(int density, const std::vector<int>& bare, int side = kGrassPictureSide) {
    Tilemap tiles;
    tiles.width = static_cast<unsigned int>(side);
    tiles.height = static_cast<unsigned int>(side);
    tiles.layer1.assign(static_cast<std::size_t>(side * side), '1');
    for (int tile : bare) tiles.layer1[static_cast<std::size_t>(tile)] = '0';
    tiles.heights.assign(static_cast<std::size_t>(side * side), 0.0f);
    FoliageData layer;
    layer._meshPath = "./GAME/Assets/Meshes/GrassBlade.txt";
    layer._maxDensity = kDensity;
    layer.densityTexture = density;
    tiles._foliageData.push_back(layer);
    if (map < 0) {
      map = CreateEntity("Tilemap");
      Add<Transform>(map, Transform({}, {}, {2.0f, 1.0f, 2.0f}));
    }
    return Add<Tilemap>(map, tiles);
  }

  void Post(const std::string& message) { messaging->PostFormatted("%s", 1, message.c_str()); }

  std::unique_ptr<ResourceCache> cache;
  GrassSystem* grass = nullptr;
  int quality = 2;
  int map = -1;
};

TEST_F(GrassSystemGlTest, BladesFollowTheDensityMapAndSkipBareTiles) {
  const int tiles = kGrassPictureSide * kGrassPictureSide;
  const struct {
    const char* name;
    std::vector<bool> density;  // pixels across the map
    std::vector<int> bare;
    std::uint32_t blades;
  } cases[] = {
      {"white, all tiles", {true}, {}, static_cast<std::uint32_t>(tiles * kBladesPerTile)},
      {"white, two bare tiles",
       {true},
       {0, 37},
       static_cast<std::uint32_t>((tiles - 2) * kBladesPerTile)},
      {"black", {false}, {}, 0u},
      {"left half white, one bare tile on each side",
       {true, false},
       {17, 30},
       static_cast<std::uint32_t>((tiles / 2 - 1) * kBladesPerTile)},
  };
  for (const auto& test : cases) {
    MakeMap(DensityMap(test.name, test.density), test.bare);
    Post("scene_load test");
    ASSERT_TRUE(grass->HasMap()) << test.name;
    ASSERT_EQ(grass->LayerCount(), 1u);
    EXPECT_EQ(grass->BladeCount(0), test.blades) << test.name;
  }
  EXPECT_EQ(grass->PressCells().Elements(), static_cast<std::size_t>(tiles * 256));

  // A tile changed at run time grows nothing any more; outside the map nothing changes.
  MakeMap(DensityMap("white", {true}), {});
  Post("scene_load test");
  Post("tilemap_set_tile 0.5 0.5 3");  // the tile just off the map's centre
  EXPECT_EQ(grass->BladeCount(0), static_cast<std::uint32_t>((tiles - 1) * kBladesPerTile));
  for (const char* ignored : {"tilemap_set_tile 500 0 3", "tilemap_set_tile x 0 3",
                              "tilemap_set_tile 0.5", "tilemap_set_tile nan nan 1"}) {
    Post(ignored);
    EXPECT_EQ(grass->BladeCount(0), static_cast<std::uint32_t>((tiles - 1) * kBladesPerTile))
        << ignored;
  }
  std::vector<float> disabled(static_cast<std::size_t>(tiles));
  ASSERT_TRUE(grass->DisabledTiles().Read(0, disabled));
  EXPECT_EQ(disabled[static_cast<std::size_t>(8 * kGrassPictureSide + 8)], 1.0f);
}

TEST_F(GrassSystemGlTest, AMissingDensityMapGrowsFullGrassAndTheMapSizeIsFollowed) {
  Post("tilemap_set_tile 0 0 1");  // before any map: nothing to do, nothing breaks
  MakeMap(-1, {});
  Post("scene_load test");
  EXPECT_EQ(grass->BladeCount(0),
            static_cast<std::uint32_t>(kGrassPictureSide * kGrassPictureSide * kBladesPerTile));

  // A layer added since the build waits for the next one; the layers built keep working.
  components->GetComponent<Tilemap>(map)->_foliageData.push_back(FoliageData{});
  Post("tilemap_set_tile 0.5 0.5 3");
  EXPECT_EQ(grass->LayerCount(), 1u);
  EXPECT_EQ(
      grass->BladeCount(0),
      static_cast<std::uint32_t>((kGrassPictureSide * kGrassPictureSide - 1) * kBladesPerTile));

  MakeMap(-1, {}, 8);
  grass->Update(0.016f);
  EXPECT_EQ(grass->MapWidth(), 8);
  EXPECT_EQ(grass->BladeCount(0), static_cast<std::uint32_t>(8 * 8 * kBladesPerTile));

  quality = 0;
  Post("scene_load test");
  grass->Update(0.016f);
  EXPECT_EQ(grass->MapWidth(), 8) << "at quality 0 the grass rests";
}

TEST_F(GrassSystemGlTest, PressersFlattenNearbyCellsWhichRecoverOverTime) {
  MakeMap(-1, {});
  Post("scene_load test");
  const int walker = CreateEntity("walker");
  Add<Transform>(walker, Transform({0.0f, 0.0f, 0.0f}, {}, glm::vec3(1.0f)));
  TagContainer tags;
  tags._tags = {"GrassInteractable"};
  Add<TagContainer>(walker, tags);
  grass->Update(0.1f);
  EXPECT_EQ(grass->PresserCount(), 1);
  EXPECT_EQ(decs->globalUniforms.ints.at("grassDecompressionEntityCount"), 1);

  // Tile (8, 8) starts at the map's centre: its first cell lies under the walker, its last
  // one two units away.
  const std::size_t first = static_cast<std::size_t>(8 * kGrassPictureSide + 8) * 256;
  std::vector<float> cells(256);
  ASSERT_TRUE(grass->PressCells().Read(first, cells));
  EXPECT_FLOAT_EQ(cells[0], 1.0f);
  EXPECT_FLOAT_EQ(cells[255], 0.0f);

  components->GetComponent<TagContainer>(walker)->_tags.clear();
  grass->Update(0.5f);
  ASSERT_TRUE(grass->PressCells().Read(first, cells));
  EXPECT_NEAR(cells[0], 1.0f - 0.4f * 0.5f, 1e-5f);
  EXPECT_EQ(grass->PresserCount(), 0);
}

TEST_F(GrassSystemGlTest, DrawingGivesTheRenderersCullingBack) {
  testing::internal::CaptureStdout();
  auto renderer = std::make_unique<Renderer>(*cache);
  testing::internal::GetCapturedStdout();
  MakeMap(DensityMap("white", {true}), {});
  Post("scene_load test");
  ASSERT_GT(grass->BladeCount(0), 0u);
  for (const bool culling : {true, false}) {
    renderer->SetCullingEnabled(culling);
    grass->DrawGrass(*renderer);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, culling);
    EXPECT_EQ(renderer->CullingEnabled(), culling);
  }
  renderer.reset();
}

}  // namespace
