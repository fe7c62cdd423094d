#pragma once
// SoundSystem: the game's audio output. Keeps up to 128 sounds by alias and plays them on 32
// tracked channels: slots 0-15 for emitted sounds ("play_emitted", kept current by the sound
// emitter system), slots 16-31 for effects ("play_sfx").
//
// Volumes: an effect plays at volume x effectVolume x masterVolume; an emitted sound whose alias
// contains "AMB" at volume x ambienceVolume x masterVolume, one containing "BGM" at volume x
// musicVolume x masterVolume; other emitted sounds keep their slot's stored volume. Every
// update sends each used slot volume x fade to its channel, times 0 while muted or while the
// window is not focused. The master volume follows the scene transition: 1 - the "get_scene_timer"
// reply, clamped to 0..1 (0 while muted or unfocused); it reaches a sound when the sound is
// started or refreshed. The player's own volume (the options menu's master range, 0..1)
// multiplies every channel's volume on every update.
//
// Messages (a wrong number of fields or a malformed number: the message is ignored):
//   play_sfx alias pitch volume pan limit   an effect; ignored while muted or effectVolume <= 0.
//                        limit > 0: at most `limit` effect slots carry the alias; at the limit,
//                        limit 1 drops the request and limit >= 2 restarts the sound in the
//                        limit-th such slot (the replaced sound plays out unless it loops)
//   play_emitted alias pitch volume pan     starts the sound in an emitted slot, or refreshes
//                        the slot already carrying the alias without restarting it
//   stop_emitted alias   fades every slot carrying the alias to 0 over 1 s, then stops it
//   stop_all | scene_load   stops every slot;  stop_all_sfx   stops the effect slots
//   mixer|mix music ambience effects master  four fields, each may be empty (left unchanged)
//   mute | unmute
//
// `muted` starts from the "MuteAudio" setting once the settings are linked; the settings read it
// back when they are saved.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/fmod/fmod.h"
#include "engine/base_system.h"
#include "engine/sound_loader.h"
#include "engine/type_name.h"
#include "platform/mute_state.h"

class ActionListSystem;
class MessagingManager;
class SettingsSystem;

// What the sound system needs of other systems; filled once by the program after registration.
struct SoundSystemLinks {
  // Whether the game window has the input focus; when empty the window counts as focused.
  std::function<bool()> windowFocused;
  // Runs the one-second fade-outs; without it a fade-out silences and stops at once.
  ActionListSystem* tweener = nullptr;
  // The player's settings: setting the links takes `muted` from their "MuteAudio" value.
  SettingsSystem* settings = nullptr;
};

struct SoundEntry {
  std::string alias = "NULL";   // "NULL": empty entry
  FMOD_SOUND* sound = nullptr;  // null when empty or when the file could not be loaded
  bool loop = false;
};

struct ChannelSlot {
  std::string alias = "NULL";  // the sound last started here; "NULL": the slot is free
  FMOD_CHANNEL* channel = nullptr;
  float volume = 1.0f;  // the channel volume computed when the sound was started
  float fade = 1.0f;    // 0..1
};

class SoundSystem : public BaseSystem, public MuteState, public SoundLoader {
 public:
  static constexpr int kMaxSounds = 128;
  static constexpr int kSlotCount = 32;
  static constexpr int kFirstEffectSlot = 16;  // slots below are the emitted slots
  static constexpr float kFadeOutSeconds = 1.0f;

  SoundSystem();

  // Opens the audio output, empties the tables and takes the mute flag from the settings.
  void Init() override;
  void HandleMessage(const std::string& message) override;
  void Update(float dt) override;
  // Cancels fades, releases every sound and closes the output.
  void Shutdown() override;
  bool IsMuted() const override { return muted; }

  void SetLinks(SoundSystemLinks value);
  // The links that are not set.
  std::vector<std::string> MissingLinks() const override;

  // Loads a sound under an alias (looping or not) and returns its entry index. A known alias
  // returns its entry's index without loading. Prints "<result> <path>" for every sound that
  // does not loop. When all 128 entries are used, nothing is loaded and -1 is returned.
  int LoadSound(const std::string& path, const std::string& alias, bool loop) override;

  // The entry index of the alias, or -1.
  int FindSound(std::string_view alias) const;

  // Fades every slot carrying the alias to silence over one second, then stops it.
  void FadeOutChannels(const std::string& alias);

  // The player's volume, clamped to 0..1; a value that is not finite is ignored.
  void SetPlayerVolume(float volume);

  FMOD_SYSTEM* system = nullptr;
  std::array<SoundEntry, kMaxSounds> sounds;
  int soundCount = 0;
  std::array<ChannelSlot, kSlotCount> slots;
  float musicVolume = 1.0f;
  float ambienceVolume = 1.0f;
  float effectVolume = 1.0f;
  float masterVolume = 1.0f;
  float playerVolume = 1.0f;
  bool muted = false;
  bool windowFocused = true;

 private:
  void PlayEffect(const std::string& alias, float pitch, float volume, float pan, int limit);
  void PlayEmitted(const std::string& alias, float pitch, float volume, float pan);
  // Starts the entry's sound in the slot, cancelling a fade still running there.
  void StartInSlot(ChannelSlot& slot, const std::string& alias, const SoundEntry& entry);
  // The volume the slot's channel gets now: volume x fade, or 0 while muted or unfocused.
  float AudibleVolume(const ChannelSlot& slot) const;
  void StopSlots(int first, int last);
  void StopSilencedChannels();
  void HandleMixer(const std::string& message);

  SoundSystemLinks links;
  MessagingManager* messaging = nullptr;
};
DECLARE_TYPE_NAME(class, SoundSystem);
