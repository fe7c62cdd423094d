#include "physics/tile_colliders.h"

#include <gtest/gtest.h>

#include "components/tilemap.h"

namespace {

Tilemap ThreeByTwo() {
  Tilemap map;
  map.width = 3;
  map.height = 2;
  map.layer1 = {'1', '1', '1', '1', '0', '1'};
  map.layer3 = {'0', '0', '0', '1', '1', '0'};
  map.heights = {0.3f, 0.0f, -0.2f, 0.0f, 0.0f, 0.4f};
  map.tileValues = {0, 0, 0, 0, 0, 7};
  return map;
}

TEST(TileColliders, OneRecordPerCellCentredOnTheMap) {
  const Tilemap map = ThreeByTwo();
  TileColliderList list;
  BuildTileColliders(list, &map, glm::mat4(1.0f), glm::vec3(1.0f), {});
  ASSERT_EQ(list.records.size(), 6u);
  const struct {
    float x, z, h;
    TileKind kind;
  } expected[] = {
      {-1.0f, -0.5f, 0.3f, TileKind::TILE},        // raised
      {0.0f, -0.5f, 0.0f, TileKind::GROUND},       // floor
      {1.0f, -0.5f, -0.2f, TileKind::GROUND},      // sunken floor keeps its height
      {-1.0f, 0.5f, kClipHeight, TileKind::TILE},  // clip cell of height 0
      {0.0f, 0.5f, 0.0f, TileKind::NONE},          // empty, though clip
      {1.0f, 0.5f, 0.4f, TileKind::TILE},
  };
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(list.records[i].x, expected[i].x);
    EXPECT_FLOAT_EQ(list.records[i].z, expected[i].z);
    EXPECT_FLOAT_EQ(list.records[i].h, expected[i].h);
    EXPECT_EQ(list.records[i].kind, expected[i].kind);
  }
  EXPECT_EQ(list.width, 3);
  EXPECT_EQ(list.height, 2);
}

TEST(TileColliders, LoweredGroupsShortArraysAndSingleCellChanges) {
  Tilemap map = ThreeByTwo();
  map.tileValues.resize(5);  // cell 5 reads as group 0
  map.heights.resize(4);     // cells 4 and 5 read as height 0
  TileColliderList list;
  BuildTileColliders(list, &map, glm::mat4(1.0f), glm::vec3(2.0f, 3.0f, 2.0f),
                     [](int group) { return group != 0; });
  for (const TileCollider& record : list.records) EXPECT_EQ(record.kind, TileKind::NONE);
  EXPECT_FLOAT_EQ(list.pitch, 3.0f);

  BuildTileColliders(list, &map, glm::mat4(1.0f), glm::vec3(1.0f), {});
  EXPECT_EQ(list.records[5].kind, TileKind::GROUND);
  list.RemoveCollider(0);
  list.AddCollider(4);
  list.RemoveCollider(6);
  list.AddCollider(-1);
  EXPECT_EQ(list.records[0].kind, TileKind::NONE);
  EXPECT_EQ(list.records[4].kind, TileKind::GROUND);

  // No map: no records, the sizes of the last build stay.
  BuildTileColliders(list, nullptr, glm::mat4(1.0f), glm::vec3(5.0f), {});
  EXPECT_TRUE(list.records.empty());
  EXPECT_FLOAT_EQ(list.pitch, 1.0f);
}

}  // namespace
