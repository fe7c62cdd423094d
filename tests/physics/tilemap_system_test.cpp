#include "physics/tilemap_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/physics/tile_world_fixture.h"
#include "tests/support/recording_draw_queue.h"

namespace {

using testing_support::RecordingReceiver;

class TilemapSystemTest : public testing_support::TileWorldFixture {
 protected:
  void SetUp() override {
    TileWorldFixture::SetUp();
    tilemap = systems->RegisterSystem<TilemapSystem>().get();
    decs->AddChild(&everyLevel);
    decs->AddChild(&levelOne);
  }

  std::string Post(const std::string& message) {
    return messaging->PostFormatted("%s", 1, message.c_str());
  }

  int Count(const std::string& entry) const {
    int count = 0;
    for (const std::string& line : log) count += line == entry ? 1 : 0;
    return count;
  }

  TilemapSystem* tilemap = nullptr;
  std::vector<std::string> log;
  RecordingReceiver everyLevel{"0", 0, &log};
  RecordingReceiver levelOne{"1", 1, &log};
};

TEST_F(TilemapSystemTest, QueriesAnswerForTheMapEntity) {
  // Nothing to ask about yet.
  const struct {
    const char* message;
    const char* reply;
  } withoutMap[] = {
      {"tilemap_get_tile_at_pos 0 0", "-1 -49 -49"},
      {"tilemap_get_pos 0 0", "-1.000000 -1.000000"},
      {"tilemap_get_index 0 0", "-1"},
      {"tilemap_try_lift 5 1 0", "0 1 0"},
      {"tilemap_set_tile 1 0 7", "0 -99999 -99999 -1"},
  };
  for (const auto& query : withoutMap) EXPECT_EQ(Post(query.message), query.reply) << query.message;

  MakeMap(5, 3, glm::vec3(1.0f));
  Map().layer1[static_cast<std::size_t>(Index(1, 1))] = '7';
  Map().layer2[static_cast<std::size_t>(Index(1, 1))] = '3';
  Map().layer2[static_cast<std::size_t>(Index(4, 1))] = '2';
  Map().tileValues[static_cast<std::size_t>(Index(3, 0))] = 3;
  Add<Transform>(CreateEntity("player"), Transform({0.0f, 0.0f, 0.0f}, {}, glm::vec3(1.0f)));
  Post("tilemap_set_group 3 lower");

  const struct {
    const char* message;
    const char* reply;
  } queries[] = {
      {"tilemap_get_tile_at_pos 1 1", "6 7 3"},
      {"tilemap_get_tile_at_pos 1.9 1.2", "6 7 3"},
      {"tilemap_get_tile_at_pos 5 0", "-1 -49 -49"},
      {"tilemap_get_tile_at_pos 1e30 0", "-1 -49 -49"},
      {"tilemap_get_tile_at_pos x 0", "-1 -49 -49"},
      {"tilemap_get_pos 0 0", "2.000000 1.000000"},
      {"tilemap_get_pos -2 1", "0.000000 2.000000"},
      {"tilemap_get_pos 9 0", "-1.000000 0.000000"},
      {"tilemap_get_index 2 1", "7"},
      {"tilemap_get_index 5 0", "-1"},
      {"tilemap_get_index 0 -1", "-1"},
      {"tilemap_get_group_collidable 0", "1"},
      {"tilemap_get_group_collidable 3", "0"},
      {"tilemap_get_group_collidable 16", "1"},
      {"tilemap_get_group_collidable nope", "1"},
      {"get_tile_name 4", "pickup_block"},
      {"get_tile_name 9", ""},
      // Lifting: within range, not the player's cell, nothing on layer 2, group standing.
      {"tilemap_try_lift 5 1 0", "1 1 0"},
      {"tilemap_try_lift 5 0.2 0.1", "0 0 0"},
      {"tilemap_try_lift 0.5 1 0", "0 1 0"},
      {"tilemap_try_lift 5 2 0", "0 2 0"},
      {"tilemap_try_lift 5 1 -1", "0 1 -1"},
      {"tilemap_try_lift 50 9 0", "0 9 0"},
  };
  testing::internal::CaptureStdout();
  for (const auto& query : queries) EXPECT_EQ(Post(query.message), query.reply) << query.message;
  testing::internal::GetCapturedStdout();
}

TEST_F(TilemapSystemTest, TileEditsChangeTheMapAndTellTheColliders) {
  MakeMap(5, 3, glm::vec3(1.0f));
  const auto cell = [&](int column, int row) {
    return Map().layer1[static_cast<std::size_t>(Index(column, row))];
  };
  Map().layer1[static_cast<std::size_t>(Index(4, 0))] = '4';  // pickup blocks around (3, 1)
  Map().layer1[static_cast<std::size_t>(Index(2, 2))] = '4';
  Map().layer1[static_cast<std::size_t>(Index(0, 0))] = '4';  // too far away
  Map().layer1[static_cast<std::size_t>(Index(0, 1))] = '2';  // unbreakable

  EXPECT_EQ(Post("tilemap_set_tile 1 0 7"), "1 0 0 8");
  EXPECT_EQ(cell(3, 1), '7');
  EXPECT_EQ(cell(4, 0), '3');
  EXPECT_EQ(cell(2, 2), '3');
  EXPECT_EQ(cell(0, 0), '4');
  EXPECT_EQ(Count("1:remove_tile_collider 8"), 1);
  EXPECT_EQ(Count("0:tilemap_layer_1_modified 8 7 49"), 1);
  // The same code again, an unbreakable cell, a place outside the map: nothing changes.
  EXPECT_EQ(Post("tilemap_set_tile 1 0 7"), "0 0 0 8");
  EXPECT_EQ(Post("tilemap_set_tile -2 0 7"), "0 -2 0 5");
  EXPECT_EQ(cell(0, 1), '2');
  EXPECT_EQ(Post("tilemap_set_tile 40 0 7"), "0 -99999 -99999 -1");
  EXPECT_EQ(Post("tilemap_set_tile 1 0 seven"), "0 -99999 -99999 -1");
  EXPECT_EQ(Count("1:remove_tile_collider 8"), 1);
  // A code no tile can hold is refused by name; the place still answers as a real one.
  for (const char* code : {"128", "-1"}) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Post(std::string("tilemap_set_tile 0 0 ") + code), "0 0 0 7") << code;
    EXPECT_THAT(::testing::internal::GetCapturedStdout(),
                ::testing::HasSubstr(std::string("refuses the tile code ") + code));
  }
  EXPECT_EQ(cell(2, 1), '1');

  Post("tilemap_regen_tile 8");
  EXPECT_EQ(cell(3, 1), '1');
  EXPECT_EQ(Count("1:add_tile_collider 8"), 1);

  Post("tilemap_psuedo_collision_at_pos 1 2 6 3");
  EXPECT_EQ(cell(1, 2), '6');
  EXPECT_EQ(Map().layer2[static_cast<std::size_t>(Index(1, 2))], '6');
  Post("tilemap_psuedo_collision_at_pos 1 2 5 2");
  EXPECT_EQ(cell(1, 2), '6');
  EXPECT_EQ(Map().layer2[static_cast<std::size_t>(Index(1, 2))], '5');
  Post("tilemap_psuedo_collision_at_pos 1 2 9 4");  // no such layer set
  Post("tilemap_psuedo_collision_at_pos 7 2 9 1");  // outside
  EXPECT_EQ(cell(1, 2), '6');

  Post("tilemap_randomize 3 5");
  for (const char tile : Map().layer1) {
    EXPECT_GE(tile, '0');
    EXPECT_LE(tile, '6');
  }
  for (const char clip : Map().layer3) EXPECT_EQ(clip, '1');

  Post("scene_load");
  EXPECT_FLOAT_EQ(decs->globalUniforms.floats["mapScale"], 1.0f);
  EXPECT_EQ(decs->globalUniforms.ints["mapWidth"], 5);
  EXPECT_EQ(decs->globalUniforms.ints["mapHeight"], 3);
}

TEST_F(TilemapSystemTest, WallsTakeTheirShapeFromTheFloorAroundThem) {
  // 9 is a wall, 1 floor, 0 empty.
  MakeMap(3, 3, glm::vec3(1.0f));
  Map().layer1 = {'9', '1', '9',  //
                  '1', '9', '0',  //
                  '9', '1', '9'};
  Post("tedw");
  // mask: floor above 1, left 2, right 4, below 8; the empty cell is no floor. Centre: 1 + 2 + 8.
  const char expected[] = {'0' + 24 - 12, '1',           '0' + 24 - 2,  //
                           '1',           '0' + 24 - 11, '0',           //
                           '0' + 24 - 5,  '1',           '0' + 24 - 2};
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(Map().layer1[i], expected[i]) << i;
}

TEST_F(TilemapSystemTest, GroupsSinkAtOnceAndRiseOverTwoSeconds) {
  MakeMap(3, 1, glm::vec3(1.0f));
  Map().heights = {1.0f, 0.5f, 0.25f};
  Map().tileValues = {3, 3, 99};
  tilemap->Update(0.25f);  // the backup; every group settles once
  log.clear();

  Post("tilemap_set_group 3 lower");
  EXPECT_EQ(Count("1:calculate_tile_colliders"), 1);
  tilemap->Update(0.25f);
  EXPECT_EQ(Map().heights, (std::vector<float>{-7.0f, -7.0f, 0.25f}));
  EXPECT_FALSE(tilemap->IsGroupCollidable(3));
  EXPECT_FLOAT_EQ(tilemap->GroupHeight(3), -7.0f);

  log.clear();
  Post("tilemap_set_group 3 raise");
  EXPECT_TRUE(tilemap->IsGroupCollidable(3));
  // Heights follow -7 + (1 - f^2) * (backup + 7), f = time left / 2 at the update's start;
  // the colliders are rebuilt once under 4/3 s left and once when the group settles.
  const struct {
    float f;
    int rebuilds;
  } timeline[] = {{1.0f, 0},   {0.875f, 0}, {0.75f, 1},  {0.625f, 1}, {0.5f, 1},
                  {0.375f, 1}, {0.25f, 1},  {0.125f, 1}, {0.0f, 2}};
  for (std::size_t step = 0; step < std::size(timeline); ++step) {
    tilemap->Update(0.25f);
    const float f = timeline[step].f;
    EXPECT_FLOAT_EQ(Map().heights[0], -7.0f + (1.0f - f * f) * 8.0f) << step;
    EXPECT_EQ(Count("1:calculate_tile_colliders"), timeline[step].rebuilds) << step;
    // The group's offset uses the share of the rise left after the update.
    const float left = std::max(f - 0.125f, 0.0f);
    EXPECT_FLOAT_EQ(tilemap->GroupHeight(3), -7.0f * left * left) << step;
  }
  EXPECT_FLOAT_EQ(Map().heights[1], 0.5f);
  EXPECT_EQ(tilemap->Group(3)->state, TileGroup::kStanding);
  EXPECT_FLOAT_EQ(Map().heights[2], 0.25f);  // group 99 never moves

  // The level group: lowered by level_reset, raised by level_end.
  Post("level_reset");
  EXPECT_EQ(tilemap->Group(15)->state, TileGroup::kLowered);
  Post("level_end");
  EXPECT_EQ(tilemap->Group(15)->state, TileGroup::kRising);
  EXPECT_FLOAT_EQ(tilemap->Group(15)->timer, 2.0f);
  Post("now_loading_scene");
  for (int group = 0; group < 15; ++group) {
    EXPECT_EQ(tilemap->Group(group)->state, TileGroup::kRising);
    EXPECT_FLOAT_EQ(tilemap->Group(group)->timer, 0.0f);
  }
  EXPECT_FLOAT_EQ(tilemap->Group(15)->timer, 2.0f);
  EXPECT_EQ(tilemap->Group(16), nullptr);
  EXPECT_EQ(tilemap->GroupHeight(16), 0.0f);
  EXPECT_EQ(tilemap->GroupHeight(-1), 0.0f);
}

TEST_F(TilemapSystemTest, DrawsThePaletteModelsOfBothLayers) {
  testing_support::RecordingDrawQueue queue;
  tilemap->SetDrawQueue(&queue);
  MakeMap(3, 1, glm::vec3(2.0f));
  Map().layer1 = {'1', '0', '3'};
  Map().layer2 = {'5', '4', '9'};  // player_clip, pickup block, a code without a model
  Map().heights = {0.0f, 0.0f, 0.5f};
  tilemap->Render();
  ASSERT_EQ(queue.draws.size(), 3u);
  const struct {
    int mesh;
    glm::vec3 position;
  } expected[] = {{10, {-2.0f, 0.0f, 0.0f}}, {40, {0.0f, 0.0f, 0.0f}}, {30, {2.0f, 1.0f, 0.0f}}};
  for (std::size_t i = 0; i < 3; ++i) {
    const DrawRequest& draw = queue.draws[i];
    EXPECT_EQ(draw.mesh, expected[i].mesh);
    EXPECT_EQ(draw.textureA, expected[i].mesh + 1);
    EXPECT_EQ(draw.textureB, expected[i].mesh + 2);
    EXPECT_EQ(draw.material, expected[i].mesh + 3);
    EXPECT_EQ(draw.layer, 1);
    EXPECT_EQ(glm::vec3(draw.model[3]), expected[i].position);
  }
  EXPECT_EQ(decs->globalUniforms.vec2Values["tilemapDimensions"], glm::vec2(3.0f, 1.0f));

  // A palette without the names it needs draws nothing of them and logs the name once.
  components->GetComponent<ModelList>(entities->FindEntity("Palette"))->namedModels.clear();
  queue.draws.clear();
  testing::internal::CaptureStdout();
  tilemap->Render();
  tilemap->Render();
  const std::string output = testing::internal::GetCapturedStdout();
  // Two frames of four: layer 2's code 5 is no longer the clip code.
  EXPECT_EQ(queue.draws.size(), 8u);
  EXPECT_EQ(output.find("player_clip"), output.rfind("player_clip"));
  EXPECT_NE(output.find("player_clip"), std::string::npos);
}

}  // namespace
