#include "platform/monitor_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// Two 1920x1080 monitors side by side, the second one starting at x = 1920.
const std::vector<ScreenRect> kTwoMonitors = {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};

TEST(MonitorLayout, OverlapAreaIsZeroUnlessBothSidesOverlap) {
  const struct {
    ScreenRect a;
    ScreenRect b;
    std::int64_t area;
  } cases[] = {
      {{0, 0, 100, 100}, {50, 50, 100, 100}, 2500},
      {{0, 0, 100, 100}, {0, 0, 100, 100}, 10000},
      {{0, 0, 100, 100}, {100, 0, 100, 100}, 0},   // edges touch only
      {{0, 0, 100, 100}, {50, 200, 100, 100}, 0},  // x overlaps, y does not
      {{-50, -50, 100, 100}, {0, 0, 1920, 1080}, 2500},
      {{0, 0, 100000, 100000}, {0, 0, 100000, 100000}, 10000000000},  // beyond 32 bits
  };
  for (const auto& row : cases) {
    EXPECT_EQ(OverlapArea(row.a, row.b), row.area);
    EXPECT_EQ(OverlapArea(row.b, row.a), row.area);
  }
}

TEST(MonitorLayout, StoredWindowKeepsItsPositionOnlyWhenMoreThanHalfIsOnOneMonitor) {
  const struct {
    const char* name;
    ScreenRect window;
    std::vector<ScreenRect> monitors;
    int expectedX;
    int expectedY;
  } cases[] = {
      {"inside the first monitor", {100, 200, 1280, 720}, kTwoMonitors, 100, 200},
      {"mostly on the second monitor", {2000, 50, 1280, 720}, kTwoMonitors, 2000, 50},
      // 640 of 1280 columns on each monitor: exactly half on each is not enough.
      {"split in halves", {1280, 0, 1280, 720}, kTwoMonitors, 100, 100},
      {"just over half on one", {1279, 0, 1280, 720}, kTwoMonitors, 1279, 0},
      {"far off every monitor", {5000, 5000, 1280, 720}, kTwoMonitors, 100, 100},
      {"no monitors", {300, 300, 1280, 720}, {}, 100, 100},
  };
  for (const auto& row : cases) {
    const ScreenRect placed = PlaceStoredWindow(row.window, row.monitors);
    EXPECT_EQ(placed.x, row.expectedX) << row.name;
    EXPECT_EQ(placed.y, row.expectedY) << row.name;
    EXPECT_EQ(placed.width, row.window.width) << row.name;
    EXPECT_EQ(placed.height, row.window.height) << row.name;
  }
}

TEST(MonitorLayout, BestMonitorHasTheLargestOverlapEarlierWinningTies) {
  const struct {
    const char* name;
    ScreenRect window;
    std::vector<ScreenRect> monitors;
    std::optional<std::size_t> best;
  } cases[] = {
      {"on the first", {100, 100, 800, 600}, kTwoMonitors, 0},
      {"mostly on the second", {1800, 100, 800, 600}, kTwoMonitors, 1},
      {"tie goes to the earlier", {1520, 0, 800, 600}, kTwoMonitors, 0},
      {"nothing overlaps: the first", {9000, 9000, 800, 600}, kTwoMonitors, 0},
      {"a later monitor listed first",
       {1800, 100, 800, 600},
       {{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}},
       0},
      {"no monitors", {0, 0, 800, 600}, {}, std::nullopt},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(FindBestMonitorIndex(row.window, row.monitors), row.best) << row.name;
  }
}

}  // namespace
