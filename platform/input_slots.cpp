#include "platform/input_slots.h"

#include <algorithm>
#include <cstddef>

namespace {

// Runs of consecutive key codes, in slot order.
struct KeyRun {
  int first;
  int last;
};

constexpr KeyRun kKeyRuns[] = {
    {32, 32}, {39, 39},   {44, 47},   {48, 57},   {59, 59},   {61, 61},   {65, 90},   {91, 93},
    {96, 96}, {161, 162}, {256, 269}, {280, 284}, {290, 314}, {320, 336}, {340, 348},
};

constexpr std::array<int, kKeySlotCount> BuildSlotKeyCodes() {
  std::array<int, kKeySlotCount> codes{};
  std::size_t slot = 0;
  for (const KeyRun& run : kKeyRuns) {
    for (int code = run.first; code <= run.last; ++code) codes[slot++] = code;
  }
  return codes;
}

constexpr int CountRunKeys() {
  int count = 0;
  for (const KeyRun& run : kKeyRuns) count += run.last - run.first + 1;
  return count;
}
static_assert(CountRunKeys() == kKeySlotCount, "the key runs must fill the keyboard slots");

}  // namespace

const std::array<int, kKeySlotCount> kSlotKeyCodes = BuildSlotKeyCodes();

int SlotOfKey(int keyCode) {
  const auto found = std::lower_bound(kSlotKeyCodes.begin(), kSlotKeyCodes.end(), keyCode);
  if (found == kSlotKeyCodes.end() || *found != keyCode) return -1;
  return static_cast<int>(found - kSlotKeyCodes.begin());
}
