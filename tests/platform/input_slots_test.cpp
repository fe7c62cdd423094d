#include "platform/input_slots.h"

#include <gtest/gtest.h>

#include "platform/game_action.h"

namespace {

TEST(InputSlots, KeySlotsFollowTheNamedKeyCodesInOrder) {
  // Each row: a key at the start or end of a run of codes, and the slot it must land in.
  const struct {
    int keyCode;
    int slot;
  } cases[] = {
      {32, 0},   {39, 1},   {44, 2},   {47, 5},   {48, 6},   {57, 15},   {59, 16},   {61, 17},
      {65, 18},  {90, 43},  {91, 44},  {96, 47},  {161, 48}, {162, 49},  {256, 50},  {269, 63},
      {280, 64}, {284, 68}, {290, 69}, {314, 93}, {320, 94}, {336, 110}, {340, 111}, {348, 119},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(SlotOfKey(row.keyCode), row.slot) << "key " << row.keyCode;
    EXPECT_EQ(kSlotKeyCodes[static_cast<std::size_t>(row.slot)], row.keyCode);
  }
  for (int unnamed : {-1, 0, 31, 33, 58, 60, 97, 255, 270, 315, 349}) {
    EXPECT_EQ(SlotOfKey(unnamed), -1) << "key " << unnamed;
  }
}

TEST(GameActions, NamesAndNumbersRoundTripAndUnknownTextsMapToTheEnd) {
  for (int action = 0; action < kGameActionCount; ++action) {
    EXPECT_EQ(GameActionFromName(GameActionName(action)), action);
  }
  EXPECT_EQ(GameActionName(SEND_RING), "SEND_RING");
  EXPECT_EQ(GameActionName(SKIP), "SKIP");
  EXPECT_EQ(GameActionName(-1), "");
  EXPECT_EQ(GameActionName(kGameActionCount), "");
  EXPECT_EQ(GameActionFromName("send_ring"), kGameActionCount);
  EXPECT_EQ(GameActionFromName(""), kGameActionCount);
}

}  // namespace
