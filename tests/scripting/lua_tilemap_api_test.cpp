#include "scripting/lua_tilemap_api.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/tilemap.h"
#include "components/transform.h"
#include "scripting/lua_script_system.h"
#include "tests/render/render_test_scene.h"
#include "tests/scripting/lua/lua_test_support.h"

namespace {

using ::testing::ElementsAre;
using testing_support::RecordingReceiver;

// A 10 x 6 map "Tilemap" scaled by 2 (so tile (column, row) covers world x around
// 2 * column - 9 and z around 2 * row - 5), every tile model '1' on layer 1 and '0' on layer 2,
// group 0, height 0; tile 23 (column 3, row 2) holds '5' and '7', height 0.5, group 4. The
// entity "probe" gives scripts a Vec3 to pass: At(x, z) moves it and returns its position.
class LuaTilemapApiTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    testing::internal::CaptureStdout();
    scripts = systems->RegisterSystem<LuaScriptSystem>().get();
    Tilemap tiles;
    tiles.width = 10;
    tiles.height = 6;
    tiles.layer1.assign(60, '1');
    tiles.layer2.assign(60, '0');
    tiles.heights.assign(60, 0.0f);
    tiles.tileValues.assign(60, 0);
    tiles.layer1[23] = '5';
    tiles.layer2[23] = '7';
    tiles.heights[23] = 0.5f;
    tiles.tileValues[23] = 4;
    map = CreateEntity("Tilemap");
    Add<Transform>(map, Transform({}, {}, glm::vec3(2.0f)));
    Add<Tilemap>(map, tiles);
    const int probe = CreateEntity("probe");
    Add<Transform>(probe);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(scripts->lua
                    .RunChunk("function At(x, z) local p = GetTransform(" + std::to_string(probe) +
                              ")._position; p.x = x; p.y = 0; p.z = z; return p end\n"
                              "function List(t) return table.concat(t, ',') end\n"
                              "function XYZ(v) return v.x .. ',' .. v.y .. ',' .. v.z end")
                    .ok());
    decs->AddChild(&everyLevel);
  }

  std::string Eval(const std::string& expression) {
    return lua_test::Eval(scripts->lua, "return " + expression);
  }
  Tilemap& Map() { return *components->GetComponent<Tilemap>(map); }

  LuaScriptSystem* scripts = nullptr;
  int map = -1;
  std::vector<std::string> log;
  RecordingReceiver everyLevel{"0", 0, &log};
};

TEST_F(LuaTilemapApiTest, QueriesAnswerForTheTileUnderAPositionOrAnIndex) {
  LuaApiLinks links;
  links.tileGroupHeight = [](int group) { return group == 4 ? -7.0f : 0.0f; };
  links.isTileGroupCollidable = [](int group) { return group != 4; };
  scripts->SetApiLinks(links);

  const struct {
    const char* expression;
    const char* result;
  } cases[] = {
      {"(function() local c = WorldPosToMapCoords('Tilemap', -3, 0, -1); "
       "return c.x .. ',' .. c.y end)()",
       "3,2"},
      {"(function() local c = WorldPosToMapCoords('Tilemap', 100, 0, 0); "
       "return c.x .. ',' .. c.y end)()",
       "-1,0"},
      {"(function() local c = WorldPosToMapCoords('probe', -3, 0, -1); "
       "return c.x .. ',' .. c.y end)()",
       "-1,0"},  // an entity without a map
      {"XYZ(SnapWorldPosToGrid('Tilemap', -3, 0, -1))", "-2.0,0.5,-1.0"},
      {"XYZ(SnapWorldPosToGrid('Tilemap', 0, 0, 7))", "-99999.0,-99999.0,-99999.0"},
      {"GetTilemapModelAtWorldPosition(At(-3, -1), 1)", "5"},
      {"GetTilemapModelAtWorldPosition(At(-3, -1), 2)", "7"},
      {"GetTilemapModelAtWorldPosition(At(-3, -1), 7)", "7"},  // any other layer reads layer 2
      {"GetTilemapModelAtWorldPosition(At(-30, -1), 1):byte()", "255"},
      {"GetTilemapModelAtIndex(23, 1)", "5"},
      {"GetTilemapModelAtIndex(22.6, '2')", "7"},
      {"GetTilemapModelAtIndex(60, 1):byte()", "255"},
      {"GetTilemapModelAtIndex(-1, 1):byte()", "255"},
      {"GetTilemapGroupAtWorldPosition(At(-3, -1))", "4"},
      {"GetTilemapGroupAtWorldPosition(At(-3, 11))", "0"},
      {"GetTilemapGroupAtIndex(23)", "4"},
      {"GetTilemapGroupAtIndex(60)", "0"},
      {"GetTilemapGroupHeight(4)", "-14.0"},  // times the map's y scale
      {"GetTilemapGroupHeight(3)", "0.0"},
      {"IsIndexCollidable(23)", "false"},
      {"IsIndexCollidable(22)", "true"},
      {"IsIndexCollidable(-5)", "true"},  // group 0
      {"XYZ(TileIndexToWorldPos(23))", "-4.0,0.0,-2.0"},
      {"GetMaxTilemapIndex()", "59"},
      {"List(GetTileIndicesInRadius(At(-3, -1), 1))", "13,22,23,24,33"},
      {"List(GetTileIndicesInRadius(At(-3, -1), 0))", "23"},
      {"#GetTileIndicesInRadius(At(-3, -1), -1)", "0"},
      {"List(GetTileIndicesInRadius(At(-9, -5), 1.4))", "0,1,10"},  // a corner
      {"#GetTileIndicesInRadius(At(-3, -1), 2^30)", "60"},
      {"#GetTileIndicesInRadius(At(-30, -1), 1)", "0"},  // no tile under the position
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Eval(row.expression), row.result) << row.expression;
  }

  // Positions must be Vec3 values.
  EXPECT_THAT(scripts->lua.RunChunk("GetTilemapGroupAtWorldPosition(3)").error,
              ::testing::HasSubstr("bad argument #1: Vec3 expected, got number"));
}

TEST_F(LuaTilemapApiTest, OddTileWidthsTruncateOnlyWhenTurningAnIndexIntoAPosition) {
  Map().width = 9;
  Map().height = 6;
  // Tile 0 of a 9-wide map: column 0 - trunc(4.5) = -4 tiles of 2 units; the snap keeps -4.5.
  EXPECT_EQ(Eval("XYZ(TileIndexToWorldPos(0))"), "-8.0,0.0,-6.0");
  EXPECT_EQ(Eval("XYZ(SnapWorldPosToGrid('Tilemap', -8, 0, -5))"), "-4.5,0.0,-3.0");
}

TEST_F(LuaTilemapApiTest, EditsAnnounceEachLayerAndStoreTheModelDigit) {
  ASSERT_TRUE(scripts->lua.RunChunk("SetTilemapModelAtIndex(23, 3, 2)").ok());
  EXPECT_THAT(
      log, ElementsAre("0:tilemap_layer_1_modified 23 2 53", "0:tilemap_layer_2_modified 23 2 55"));
  EXPECT_EQ(Map().layer1[23], '2');
  EXPECT_EQ(Map().layer2[23], '2');

  // The value is a signed 8-bit number.
  log.clear();
  ASSERT_TRUE(scripts->lua.RunChunk("SetTilemapModelAtIndex(5, 1, 200)").ok());
  EXPECT_THAT(log, ElementsAre("0:tilemap_layer_1_modified 5 -56 49"));
  EXPECT_EQ(static_cast<unsigned char>(Map().layer1[5]), 248);

  // By position, the text names the model digit.
  log.clear();
  ASSERT_TRUE(scripts->lua
                  .RunChunk("SetTilemapModelAtWorldPosition(At(-3, -1), 2, '3')\n"
                            "SetTilemapModelAtWorldPosition(At(-5, -1), 1, '')\n"
                            "SetTilemapModelAtWorldPosition(At(-7, -1), 1, 4)")
                  .ok());
  EXPECT_THAT(
      log, ElementsAre("0:tilemap_layer_2_modified 23 3 50", "0:tilemap_layer_1_modified 22 0 49",
                       "0:tilemap_layer_1_modified 21 4 49"));
  EXPECT_EQ(Map().layer2[23], '3');
  EXPECT_EQ(Map().layer1[22], '0');
  EXPECT_EQ(Map().layer1[21], '4');

  // Other layers, indices off the map and positions off the map change nothing.
  log.clear();
  const std::vector<char> before = Map().layer1;
  ASSERT_TRUE(scripts->lua
                  .RunChunk("SetTilemapModelAtIndex(23, 4, 1)\n"
                            "SetTilemapModelAtIndex(23, -1, 1)\n"
                            "SetTilemapModelAtIndex(60, 1, 1)\n"
                            "SetTilemapModelAtIndex(-1, 3, 1)\n"
                            "SetTilemapModelAtWorldPosition(At(-30, -1), 3, '1')")
                  .ok());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Map().layer1, before);
}

TEST_F(LuaTilemapApiTest, WithoutAUsableMapEveryAnswerIsTheOffMapOne) {
  const char* const kAnswers =
      "GetTilemapModelAtIndex(0, 1):byte() .. ' ' .. "
      "GetTilemapModelAtWorldPosition(At(-9, -5), 2):byte() .. ' ' .. "
      "GetTilemapGroupAtIndex(0) .. ' ' .. GetTilemapGroupAtWorldPosition(At(-9, -5)) .. ' ' .. "
      "tostring(IsIndexCollidable(0)) .. ' ' .. "
      "XYZ(SnapWorldPosToGrid('Tilemap', -9, 0, -5)) .. ' ' .. "
      "WorldPosToMapCoords('Tilemap', -9, 0, -5).x .. ' ' .. "
      "#GetTileIndicesInRadius(At(-9, -5), 3)";
  const std::string offMap = "255 255 0 0 true -99999.0,-99999.0,-99999.0 -1 0";
  LuaApiLinks links;
  links.tileGroupHeight = [](int) { return -7.0f; };
  scripts->SetApiLinks(links);

  // Lists shorter than the map: each look-up checks its own list.
  Map().layer1.clear();
  Map().layer2.resize(3);
  Map().tileValues.clear();
  EXPECT_EQ(Eval("GetTilemapModelAtIndex(0, 1):byte() .. ' ' .. "
                 "GetTilemapModelAtIndex(3, 2):byte() .. ' ' .. GetTilemapGroupAtIndex(23)"),
            "255 255 0");

  // A map of width 0.
  Map().width = 0;
  EXPECT_EQ(Eval(kAnswers), offMap);
  EXPECT_EQ(Eval("XYZ(TileIndexToWorldPos(5)) .. ' ' .. GetMaxTilemapIndex()"), "0.0,0.0,0.0 -1");

  // No map entity at all.
  testing::internal::CaptureStdout();
  components->RemoveComponent<Tilemap>(map);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Eval(kAnswers), offMap);
  EXPECT_EQ(Eval("XYZ(TileIndexToWorldPos(5)) .. ' ' .. GetMaxTilemapIndex()"), "0.0,0.0,0.0 -1");
  EXPECT_EQ(Eval("GetTilemapGroupHeight(4)"), "0.0");  // no map, no scale
  ASSERT_TRUE(scripts->lua.RunChunk("SetTilemapModelAtIndex(0, 3, 1)").ok());
  EXPECT_TRUE(log.empty());
}

}  // namespace
