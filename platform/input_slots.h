#pragma once
// The 132 input slots that InputSystem fills on every poll, and the keys behind them.
//
//   0..119   keyboard: the 120 named GLFW key codes in ascending order (kSlotKeyCodes)
//   120..127 mouse buttons 0..7 (120 left, 121 right, 122 middle)
//   128, 129 cursor motion along x and y since the previous poll, window pixels
//   130, 131 wheel offsets (horizontal, vertical) of the last scroll event of the poll
//
// Key and button values are 1 while down, else 0. Bindings name slots by number, so the order
// here is the numbering of the controls file and must not change.

#include <array>

inline constexpr int kInputSlotCount = 132;
// Marks the second input of a single-input binding.
inline constexpr int NoInput = 132;

inline constexpr int kKeySlotCount = 120;
inline constexpr int kFirstMouseButtonSlot = 120;
inline constexpr int kMouseButtonCount = 8;
inline constexpr int kMouseMotionXSlot = 128;
inline constexpr int kMouseMotionYSlot = 129;
inline constexpr int kScrollXSlot = 130;
inline constexpr int kScrollYSlot = 131;

// GLFW key code of each keyboard slot.
extern const std::array<int, kKeySlotCount> kSlotKeyCodes;

// The slot of a GLFW key code, or -1 when the key has no slot.
int SlotOfKey(int keyCode);
