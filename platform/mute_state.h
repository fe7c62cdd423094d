#pragma once
// What the settings read of the sound system: whether audio is muted. SoundSystem implements it;
// SettingsSystem finds it among the registered systems under "class SoundSystem", so settings do
// not depend on the audio library, and run without it.

class MuteState {
 public:
  virtual ~MuteState() = default;
  virtual bool IsMuted() const = 0;
};
