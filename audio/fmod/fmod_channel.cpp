// Channels: starting sounds on voices, and the per-channel controls.
//
// A channel handle is not a pointer: it packs the system's serial (24 bits), the voice index
// (8 bits) and the voice's generation (32 bits). A voice's generation grows whenever it is
// freed, so handles of finished, stopped or stolen sounds stop matching.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/fmod/fmod_internal.h"

namespace audio_layer {
namespace {

constexpr float kMinPitch = 0.01f;
constexpr float kMaxPitch = 8.0f;
constexpr float kMaxVolume = 16.0f;

FMOD_CHANNEL* EncodeHandle(const FMOD_SYSTEM& system, std::size_t voiceIndex) {
  const std::uint64_t value = (std::uint64_t{system.serial} << 40) |
                              (std::uint64_t{voiceIndex} << 32) |
                              system.voices[voiceIndex].generation;
  return reinterpret_cast<FMOD_CHANNEL*>(static_cast<std::uintptr_t>(value));
}

// A free voice, else the oldest busy voice whose sound does not loop (freed for reuse), else
// none.
Voice* TakeVoice(FMOD_SYSTEM& system, std::size_t& index) {
  Voice* oldest = nullptr;
  for (std::size_t i = 0; i < system.voices.size(); ++i) {
    Voice& voice = system.voices[i];
    if (voice.sound != nullptr && !VoiceSounding(voice)) RetireVoice(voice);
    if (voice.sound == nullptr) {
      index = i;
      return &voice;
    }
    if (!voice.looping && (oldest == nullptr || voice.startOrder < oldest->startOrder)) {
      oldest = &voice;
      index = i;
    }
  }
  if (oldest != nullptr) RetireVoice(*oldest);
  return oldest;
}

// Applies AL changes to both sources in the same mix.
template <typename Change>
void Together(Change&& change) {
  alDeferUpdatesSOFT();
  change();
  alProcessUpdatesSOFT();
}

}  // namespace

Voice* ResolveChannel(FMOD_CHANNEL* channel, FMOD_SYSTEM** owner) {
  const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(channel));
  FMOD_SYSTEM* system = FindLiveSystemBySerial(static_cast<std::uint32_t>(value >> 40));
  if (system == nullptr || !system->initialized) return nullptr;
  const auto index = static_cast<std::size_t>((value >> 32) & 0xFFu);
  const auto generation = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
  if (index >= system->voices.size()) return nullptr;
  Voice& voice = system->voices[index];
  if (voice.sound == nullptr || voice.generation != generation) return nullptr;
  MakeCurrent(system);
  if (!VoiceSounding(voice)) {
    RetireVoice(voice);
    return nullptr;
  }
  if (owner != nullptr) *owner = system;
  return &voice;
}

void RetireVoice(Voice& voice) {
  alSourceStopv(2, voice.sources);
  voice.sound = nullptr;
  voice.looping = false;
  if (++voice.generation == 0) voice.generation = 1;
}

bool VoiceSounding(const Voice& voice) {
  ALint state = AL_STOPPED;
  alGetSourcei(voice.sources[0], AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

void PanGains(float volume, float pan, float& left, float& right) {
  const float angle = (pan + 1.0f) * std::numbers::pi_v<float> / 4.0f;
  // cos(pi/2) comes out a hair below zero, which OpenAL refuses as a gain.
  left = volume * std::max(0.0f, std::cos(angle));
  right = volume * std::max(0.0f, std::sin(angle));
}

void ApplyGains(const Voice& voice) {
  float left = 0.0f;
  float right = 0.0f;
  PanGains(voice.volume, voice.pan, left, right);
  Together([&] {
    alSourcef(voice.sources[0], AL_GAIN, left);
    alSourcef(voice.sources[1], AL_GAIN, right);
  });
}

}  // namespace audio_layer

using namespace audio_layer;

extern "C" {

FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_SOUND* sound,
                                  FMOD_CHANNELGROUP* channelgroup, FMOD_BOOL paused,
                                  FMOD_CHANNEL** channel) {
  if (channel != nullptr) *channel = nullptr;
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (!system->initialized) return FMOD_ERR_UNINITIALIZED;
  if (!SoundBelongsTo(sound, system)) return FMOD_ERR_INVALID_HANDLE;
  if (channelgroup != nullptr || paused != 0) return FMOD_ERR_INVALID_PARAM;

  MakeCurrent(system);
  std::size_t index = 0;
  Voice* voice = TakeVoice(*system, index);
  if (voice == nullptr) return FMOD_ERR_CHANNEL_ALLOC;

  voice->sound = sound;
  voice->looping = sound->looping;
  voice->startOrder = system->nextStartOrder++;
  voice->volume = 1.0f;
  voice->pan = 0.0f;
  for (int side = 0; side < 2; ++side) {
    const ALuint source = voice->sources[side];
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sound->buffers[side]));
    alSourcei(source, AL_LOOPING, sound->looping ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_PITCH, 1.0f);
  }
  ApplyGains(*voice);
  alSourcePlayv(2, voice->sources);
  if (channel != nullptr) *channel = EncodeHandle(*system, index);
  return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetVolume(FMOD_CHANNEL* channel, float volume) {
  if (!std::isfinite(volume)) return FMOD_ERR_INVALID_PARAM;
  Voice* voice = ResolveChannel(channel);
  if (voice == nullptr) return FMOD_ERR_INVALID_HANDLE;
  voice->volume = std::clamp(volume, 0.0f, kMaxVolume);
  ApplyGains(*voice);
  return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPan(FMOD_CHANNEL* channel, float pan) {
  if (!std::isfinite(pan)) return FMOD_ERR_INVALID_PARAM;
  Voice* voice = ResolveChannel(channel);
  if (voice == nullptr) return FMOD_ERR_INVALID_HANDLE;
  voice->pan = std::clamp(pan, -1.0f, 1.0f);
  ApplyGains(*voice);
  return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPitch(FMOD_CHANNEL* channel, float pitch) {
  if (!std::isfinite(pitch)) return FMOD_ERR_INVALID_PARAM;
  Voice* voice = ResolveChannel(channel);
  if (voice == nullptr) return FMOD_ERR_INVALID_HANDLE;
  const float clamped = std::clamp(pitch, kMinPitch, kMaxPitch);
  Together([&] {
    alSourcef(voice->sources[0], AL_PITCH, clamped);
    alSourcef(voice->sources[1], AL_PITCH, clamped);
  });
  return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* isplaying) {
  if (isplaying == nullptr) return FMOD_ERR_INVALID_PARAM;
  *isplaying = 0;
  if (ResolveChannel(channel) == nullptr) return FMOD_ERR_INVALID_HANDLE;
  *isplaying = 1;
  return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel) {
  Voice* voice = ResolveChannel(channel);
  if (voice == nullptr) return FMOD_ERR_INVALID_HANDLE;
  RetireVoice(*voice);
  return FMOD_OK;
}

}  // extern "C"
