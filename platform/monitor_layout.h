#pragma once
// Where a window may sit on the monitors, decided from the monitors' work areas alone, so that
// the rules can be checked without a display.
//
// Overlap areas are computed in 64-bit integers; a rectangle with a non-positive overlap width
// or height does not overlap at all.

#include <cstdint>
#include <optional>
#include <vector>

// A rectangle in screen coordinates: top-left corner and size, in pixels.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Area shared by the two rectangles; 0 when they do not overlap.
std::int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b);

// True when more than half of the window's area (width * height / 2, rounded down) lies on one
// of the work areas. A stored window position that fails this is not used at start-up.
bool IsMostlyOnAMonitor(const ScreenRect& window, const std::vector<ScreenRect>& workAreas);

// The stored windowed position to use at start-up: the window's own when it is mostly on a
// monitor, else (100, 100).
ScreenRect PlaceStoredWindow(const ScreenRect& window, const std::vector<ScreenRect>& workAreas);

// Index of the work area the window overlaps most; the earlier one wins a tie, and the first
// one when nothing overlaps. Empty when there are no monitors.
std::optional<std::size_t> FindBestMonitorIndex(const ScreenRect& window,
                                                const std::vector<ScreenRect>& workAreas);

// Where a window falls back to when its stored position is unusable.
inline constexpr int kFallbackWindowPosition = 100;
