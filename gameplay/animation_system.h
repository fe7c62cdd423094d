#pragma once
// AnimationSystem: plays the sprite-sheet animations of every entity with an AnimationGroup and
// a TextureComponent, and steers them by messages addressed to an entity alias:
//
//   "play_animation <alias> <animation>"      "pause_animation <alias>"
//   "animation_restart <alias>"               "animation_set_loop <alias> <0|1>"
//   "set_animation_sheet <alias> <sheet>"     "set_animation_frame <alias> <frame>"
//   "play_animation_delayed <alias> <animation>"
//   "set_animation_sheet_delayed <alias> <sheet>"
//
// The two delayed words store one pending command that the first finished group of an update
// releases as "set_animation_sheet ..." and then "play_animation ...". A message naming no
// entity, an entity without an AnimationGroup, or carrying a bad number is ignored.

#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"

class DECS;

class AnimationSystem : public BaseSystem {
 public:
  void HandleMessage(const std::string& message) override;
  // Registers the signature {AnimationGroup, TextureComponent}.
  void Init() override;
  // Steps every group by `dt` seconds in ascending entity id and releases the pending delayed
  // command when a group has finished.
  void Update(float dt) override;

  std::string delayedAlias;
  std::string delayedSheet;
  std::string delayedAnimation;
  bool delayedPending = false;
  DECS* engine = nullptr;

 private:
  void StoreDelayed(const std::string& message, std::string& name);
  void ReleaseDelayed();
};
DECLARE_TYPE_NAME(class, AnimationSystem);
