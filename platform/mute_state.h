#pragma once
// What the settings read of the sound system: whether audio is muted. SoundSystem implements it;
// the composition root hands it to SettingsSystem::SetMuteState, so settings do not depend on
// the audio library, and run without it.

class MuteState {
 public:
  virtual ~MuteState() = default;
  virtual bool IsMuted() const = 0;
};
