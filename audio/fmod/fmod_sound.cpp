// Sounds: files decoded by libsndfile, mixed down to mono and kept as two OpenAL buffers.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <new>
#include <system_error>

#include "audio/fmod/fmod_internal.h"

namespace audio_layer {
namespace {

// Longest sound accepted: ten minutes at 48 kHz (files are decoded whole into memory).
constexpr sf_count_t kMaxFrames = sf_count_t{48000} * 60 * 10;
constexpr sf_count_t kReadChunkFrames = 4096;

std::int16_t ToSample16(float value) {
  if (!(value == value)) return 0;  // NaN
  const float clamped = std::clamp(value, -1.0f, 1.0f);
  return static_cast<std::int16_t>(std::lround(clamped * 32767.0f));
}

struct DecodedSound {
  std::vector<float> mono;
  int sampleRate = 0;
};

// Decodes the whole file, averaging its channels.
FMOD_RESULT Decode(const char* path, DecodedSound& decoded) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return FMOD_ERR_FILE_NOTFOUND;

  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) return FMOD_ERR_FORMAT;
  if (info.channels < 1 || info.samplerate < 1 || info.frames < 1 || info.frames > kMaxFrames) {
    sf_close(file);
    return FMOD_ERR_FORMAT;
  }
  decoded.sampleRate = info.samplerate;
  decoded.mono.reserve(static_cast<std::size_t>(info.frames));
  std::vector<float> chunk(static_cast<std::size_t>(kReadChunkFrames * info.channels));
  const float scale = 1.0f / static_cast<float>(info.channels);
  for (;;) {
    const sf_count_t read = sf_readf_float(file, chunk.data(), kReadChunkFrames);
    if (read <= 0) break;
    for (sf_count_t frame = 0; frame < read; ++frame) {
      float sum = 0.0f;
      for (int channel = 0; channel < info.channels; ++channel) {
        sum += chunk[static_cast<std::size_t>(frame * info.channels + channel)];
      }
      decoded.mono.push_back(sum * scale);
    }
    if (static_cast<sf_count_t>(decoded.mono.size()) >= kMaxFrames) break;
  }
  sf_close(file);
  // A file cut short keeps what could be read; one that yields nothing is refused.
  return decoded.mono.empty() ? FMOD_ERR_FILE_BAD : FMOD_OK;
}

// Uploads the mono signal as a left-only and a right-only stereo buffer.
FMOD_RESULT Upload(const DecodedSound& decoded, ALuint buffers[2]) {
  std::vector<std::int16_t> stereo(decoded.mono.size() * 2, 0);
  alGetError();
  alGenBuffers(2, buffers);
  if (alGetError() != AL_NO_ERROR) {
    buffers[0] = buffers[1] = 0;
    return FMOD_ERR_MEMORY;
  }
  const auto bytes = static_cast<ALsizei>(stereo.size() * sizeof(std::int16_t));
  for (int side = 0; side < 2; ++side) {
    std::fill(stereo.begin(), stereo.end(), std::int16_t{0});
    for (std::size_t frame = 0; frame < decoded.mono.size(); ++frame) {
      stereo[frame * 2 + static_cast<std::size_t>(side)] = ToSample16(decoded.mono[frame]);
    }
    alBufferData(buffers[side], AL_FORMAT_STEREO16, stereo.data(), bytes, decoded.sampleRate);
  }
  if (alGetError() != AL_NO_ERROR) {
    alDeleteBuffers(2, buffers);
    buffers[0] = buffers[1] = 0;
    return FMOD_ERR_MEMORY;
  }
  return FMOD_OK;
}

}  // namespace

void DestroySound(FMOD_SOUND* sound) {
  if (sound->buffers[0] != 0) alDeleteBuffers(2, sound->buffers);
  delete sound;
}

bool SoundBelongsTo(const FMOD_SOUND* sound, const FMOD_SYSTEM* system) {
  const auto& sounds = system->sounds;
  return sound != nullptr && std::find(sounds.begin(), sounds.end(), sound) != sounds.end();
}

}  // namespace audio_layer

using namespace audio_layer;

extern "C" {

FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound) {
  if (sound == nullptr) return FMOD_ERR_INVALID_PARAM;
  *sound = nullptr;
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (!system->initialized) return FMOD_ERR_UNINITIALIZED;
  constexpr FMOD_MODE kKnownModes = FMOD_LOOP_OFF | FMOD_LOOP_NORMAL | FMOD_2D;
  if (name_or_data == nullptr || exinfo != nullptr || (mode & ~kKnownModes) != 0 ||
      ((mode & FMOD_LOOP_OFF) != 0 && (mode & FMOD_LOOP_NORMAL) != 0)) {
    return FMOD_ERR_INVALID_PARAM;
  }

  DecodedSound decoded;
  if (const FMOD_RESULT result = Decode(name_or_data, decoded); result != FMOD_OK) return result;

  auto* created = new (std::nothrow) FMOD_SOUND;
  if (created == nullptr) return FMOD_ERR_MEMORY;
  MakeCurrent(system);
  if (const FMOD_RESULT result = Upload(decoded, created->buffers); result != FMOD_OK) {
    delete created;
    return result;
  }
  created->system = system;
  created->looping = (mode & FMOD_LOOP_NORMAL) != 0;
  system->sounds.push_back(created);
  *sound = created;
  return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound) {
  FMOD_SYSTEM* system = FindSoundOwner(sound);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  MakeCurrent(system);
  for (Voice& voice : system->voices) {
    if (voice.sound == sound) RetireVoice(voice);
  }
  auto& sounds = system->sounds;
  sounds.erase(std::remove(sounds.begin(), sounds.end(), sound), sounds.end());
  DestroySound(sound);
  return FMOD_OK;
}

}  // extern "C"
