#pragma once
// Small numeric helpers used when turning layout into pixels.

#include <cmath>

#include "rml/types.h"

namespace Rml::Math {

// Rounds half away from zero.
inline float Round(float value) { return std::round(value); }

// Moves a rectangle's corners to whole pixels: the top-left corner is rounded and the size is
// chosen so that the bottom-right corner is rounded too, keeping adjacent boxes seamless.
inline void SnapToPixelGrid(Vector2f& offset, Vector2f& size) {
  const Vector2f bottom_right{std::round(offset.x + size.x), std::round(offset.y + size.y)};
  offset = {std::round(offset.x), std::round(offset.y)};
  size = bottom_right - offset;
}

// Clamps value into [low, high]; when low > high the low bound wins, as CSS min beats max.
inline float Clamp(float value, float low, float high) {
  return value > high ? (high < low ? low : high) : (value < low ? low : value);
}

}  // namespace Rml::Math
