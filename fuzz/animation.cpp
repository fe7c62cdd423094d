// Animation files: any text read as one sprite-sheet file. No resource provider is set, so the
// texture path is only read, never loaded.
#include <cstddef>
#include <cstdint>

#include "components/animation_group.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AnimationGroup group;
  const AnimationSheet sheet = group.LoadAnimationFile(WriteFuzzInputFile(data, size));
  if (sheet.clips.size() > AnimationGroup::kMaxClips ||
      sheet.eventFrames.size() > AnimationGroup::kMaxEventFrames ||
      sheet.eventMessage.size() > AnimationGroup::kMaxEventMessageLength) {
    __builtin_trap();
  }
  return 0;
}
