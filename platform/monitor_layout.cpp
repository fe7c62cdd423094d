#include "platform/monitor_layout.h"

#include <algorithm>

std::int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
  const std::int64_t left = std::max<std::int64_t>(a.x, b.x);
  const std::int64_t right =
      std::min<std::int64_t>(std::int64_t{a.x} + a.width, std::int64_t{b.x} + b.width);
  const std::int64_t top = std::max<std::int64_t>(a.y, b.y);
  const std::int64_t bottom =
      std::min<std::int64_t>(std::int64_t{a.y} + a.height, std::int64_t{b.y} + b.height);
  const std::int64_t width = right - left;
  const std::int64_t height = bottom - top;
  if (width <= 0 || height <= 0) return 0;
  return width * height;
}

bool IsMostlyOnAMonitor(const ScreenRect& window, const std::vector<ScreenRect>& workAreas) {
  const std::int64_t half = std::int64_t{window.width} * window.height / 2;
  return std::any_of(workAreas.begin(), workAreas.end(),
                     [&](const ScreenRect& area) { return OverlapArea(window, area) > half; });
}

ScreenRect PlaceStoredWindow(const ScreenRect& window, const std::vector<ScreenRect>& workAreas) {
  ScreenRect placed = window;
  if (!IsMostlyOnAMonitor(window, workAreas)) {
    placed.x = kFallbackWindowPosition;
    placed.y = kFallbackWindowPosition;
  }
  return placed;
}

std::optional<std::size_t> FindBestMonitorIndex(const ScreenRect& window,
                                                const std::vector<ScreenRect>& workAreas) {
  if (workAreas.empty()) return std::nullopt;
  std::size_t best = 0;
  std::int64_t bestArea = 0;
  for (std::size_t i = 0; i < workAreas.size(); ++i) {
    const std::int64_t area = OverlapArea(window, workAreas[i]);
    if (area > bestArea) {
      best = i;
      bestArea = area;
    }
  }
  return best;
}
