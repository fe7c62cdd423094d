#pragma once
// SoundSystem: sound effects, music and volume.
//
// `muted` starts from the "MuteAudio" setting and follows the messages "mute" and "unmute"; the
// settings read it back when they are saved.

#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "platform/mute_state.h"

class SoundSystem : public BaseSystem, public MuteState {
 public:
  // Takes the mute flag from the settings (when a SettingsSystem is registered).
  void Init() override;
  void HandleMessage(const std::string& message) override;
  bool IsMuted() const override { return muted; }

  bool muted = false;
};
DECLARE_TYPE_NAME(class, SoundSystem);
