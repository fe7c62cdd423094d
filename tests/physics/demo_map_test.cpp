// The game's demo tile world: the map and palette prefabs load, and the map lands its cells on
// whole cell centres around the origin.

#include <gtest/gtest.h>

#include "components/collider.h"
#include "components/model_list.h"
#include "components/physics.h"
#include "components/prefab_instantiation.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "physics/collision_system.h"
#include "physics/tilemap_system.h"
#include "tests/render/render_test_scene.h"

namespace {

class DemoMapTest : public testing_support::RenderTestScene {};

TEST_F(DemoMapTest, ThePrefabsMakeAnOddMapWithItsPalette) {
  auto* tilemap = systems->RegisterSystem<TilemapSystem>().get();
  auto* collision = systems->RegisterSystem<CollisionSystem>().get();
  testing::internal::CaptureStdout();
  const int palette = InstantiatePrefab("TilePalette", "");
  const int map = InstantiatePrefab("Tilemap", "");
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_GE(palette, 0);
  ASSERT_GE(map, 0);
  EXPECT_EQ(output.find("not loaded"), std::string::npos) << output;

  const Tilemap& tiles = *components->GetComponent<Tilemap>(map);
  EXPECT_EQ(tiles.width % 2, 1u);
  EXPECT_EQ(tiles.height % 2, 1u);
  const Transform& transform = *components->GetComponent<Transform>(map);
  EXPECT_EQ(transform._scale, glm::vec3(2.0f));
  EXPECT_EQ(transform._rotation, glm::vec3(0.0f));
  EXPECT_EQ(tilemap->FindPalette(map), components->GetComponent<ModelList>(palette));
  for (const char* name : {"opal", "unbreakable", "regen_edge", "pickup_block", "player_clip"}) {
    EXPECT_TRUE(tilemap->PaletteCode(tilemap->FindPalette(map), name).has_value()) << name;
  }

  // The centre cell's world-to-cell sample is its own centre.
  EXPECT_EQ(
      messaging->PostFormatted("tilemap_get_pos %d %d", 1, 0, 0),
      std::to_string(tiles.width / 2) + ".000000 " + std::to_string(tiles.height / 2) + ".000000");
  messaging->PostFormatted("calculate_tile_colliders", 1);
  const TileCollider& centre =
      collision->TileColliders().records[tiles.height / 2 * tiles.width + tiles.width / 2];
  EXPECT_FLOAT_EQ(centre.x, 0.0f);
  EXPECT_FLOAT_EQ(centre.z, 0.0f);
  // The border is clip walls.
  EXPECT_EQ(collision->TileColliders().records[0].kind, TileKind::TILE);
  EXPECT_FLOAT_EQ(collision->TileColliders().records[0].h, kClipHeight);
}

}  // namespace
