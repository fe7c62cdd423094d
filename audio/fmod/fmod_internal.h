#pragma once
// The audio layer's objects, shared by its source files. Nothing outside audio/fmod/ includes
// this.

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/fmod/fmod.h"

namespace audio_layer {

constexpr int kMaxVoices = 255;

// One voice: two sources that play the same sound in step, one into each output side.
struct Voice {
  ALuint sources[2] = {0, 0};  // left-only, right-only
  std::uint32_t generation = 1;
  FMOD_SOUND* sound = nullptr;  // null while the voice is free
  bool looping = false;
  std::uint64_t startOrder = 0;
  float volume = 1.0f;
  float pan = 0.0f;
};

}  // namespace audio_layer

struct FMOD_SOUND {
  FMOD_SYSTEM* system = nullptr;
  // The mono signal twice as a stereo buffer: once only on the left, once only on the right.
  ALuint buffers[2] = {0, 0};
  bool looping = false;
};

struct FMOD_SYSTEM {
  std::uint32_t serial = 0;  // identifies the system in channel handles
  bool initialized = false;
  int voiceCap = audio_layer::kMaxVoices;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  bool loopback = false;
  std::vector<audio_layer::Voice> voices;
  std::vector<FMOD_SOUND*> sounds;
  std::uint64_t nextStartOrder = 1;
  std::vector<float> lastRender;  // interleaved stereo of the last loopback block
};

namespace audio_layer {

// The live system with this pointer or serial, or null (released, or never created).
FMOD_SYSTEM* FindLiveSystem(const FMOD_SYSTEM* system);
FMOD_SYSTEM* FindLiveSystemBySerial(std::uint32_t serial);
// The live system holding this sound, or null for a released or unknown sound (the pointer is
// compared, never followed).
FMOD_SYSTEM* FindSoundOwner(const FMOD_SOUND* sound);

// Makes the system's context current for the AL calls that follow.
void MakeCurrent(FMOD_SYSTEM* system);

// The voice a channel handle names, or null when the handle is stale, null or of a released
// system. A voice whose sound has ended is retired here (its handle goes stale).
Voice* ResolveChannel(FMOD_CHANNEL* channel, FMOD_SYSTEM** system = nullptr);

// Stops a voice's sources and frees the voice; its handles go stale.
void RetireVoice(Voice& voice);

// True while both sources of a busy voice are still playing.
bool VoiceSounding(const Voice& voice);

// Left and right gains for a volume and pan (see the pan law in fmod.h).
void PanGains(float volume, float pan, float& left, float& right);

// Writes the gains of the voice's volume and pan to its two sources.
void ApplyGains(const Voice& voice);

// True when the sound is live and was created by this system.
bool SoundBelongsTo(const FMOD_SOUND* sound, const FMOD_SYSTEM* system);

// Frees a sound's buffers and the sound itself; the caller removes it from the system's list.
void DestroySound(FMOD_SOUND* sound);

}  // namespace audio_layer
