#include "components/lua_script_container.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::Pair;
using ::testing::UnorderedElementsAre;

TEST(LuaScriptContainer, BuildScriptMapSplitsAtTheFirstBlankAndLaterEntriesWin) {
  LuaScriptContainer container;
  container.scriptMap["stale"] = "left over from an earlier build";
  container._scriptList = {"player player.lua", "solo.lua", "camera cams/follow cam.lua",
                           "player player_v2.lua"};
  container.BuildScriptMap();
  EXPECT_THAT(container.scriptMap,
              UnorderedElementsAre(Pair("player", "./GAME/Scripts/player_v2.lua"),
                                   Pair("solo.lua", "./GAME/Scripts/solo.lua"),
                                   Pair("camera", "./GAME/Scripts/cams/follow cam.lua")));
}

}  // namespace
