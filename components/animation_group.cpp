#include "components/animation_group.h"

void AnimationGroup::LoadAnimations() {
  // The reader arrives with the animation file format.
}

AnimationSheet AnimationGroup::LoadAnimationFile(const std::string& /*path*/) {
  // The reader arrives with the animation file format.
  return AnimationSheet{};
}
