// The system object: output device, voices, update and teardown.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "audio/fmod/audio_layer.h"
#include "audio/fmod/fmod_internal.h"

namespace audio_layer {
namespace {

// Systems alive in this process, so that handles of released systems are recognised instead
// of followed. Emptied again as systems are released.
std::vector<FMOD_SYSTEM*>& LiveSystems() {
  static std::vector<FMOD_SYSTEM*> systems;
  return systems;
}

// Channel handles keep 24 bits of the serial.
std::uint32_t NextSerial() {
  static std::uint32_t serial = 0;
  serial = (serial + 1) & 0xFFFFFFu;
  if (serial == 0) serial = 1;
  return serial;
}

// Sends the process's standard error to /dev/null while it lives. Probing for a device, OpenAL
// Soft and the ALSA library print their own diagnostics there ("ALSA lib confmisc.c:855:
// (parse_card) cannot find card '0'", "AL lib: (EE) ALCplaybackAlsa_open: ...") on every start
// of a machine without sound; the sound system says in its own words where sound goes.
class StandardErrorSilenced {
 public:
  StandardErrorSilenced() {
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0 && ::dup2(null, STDERR_FILENO) < 0) {
      ::close(saved);
      saved = -1;
    }
    ::close(null);
  }
  ~StandardErrorSilenced() {
    if (saved < 0) return;
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
  }
  StandardErrorSilenced(const StandardErrorSilenced&) = delete;
  StandardErrorSilenced& operator=(const StandardErrorSilenced&) = delete;

 private:
  int saved = -1;
};

bool LoopbackRequested() {
  const char* output = std::getenv("KELVARIS_AUDIO_OUTPUT");
  return output != nullptr && std::strcmp(output, "loopback") == 0;
}

// Creates the device's context and makes the device the system's output; on failure closes the
// device and leaves the system without output.
bool AdoptDevice(FMOD_SYSTEM& system, ALCdevice* device, const ALCint* attributes, bool loopback) {
  ALCcontext* context = alcCreateContext(device, attributes);
  if (context == nullptr) {
    alcCloseDevice(device);
    return false;
  }
  system.device = device;
  system.context = context;
  system.loopback = loopback;
  return true;
}

// Opens the default sound device; false (leaving nothing open) when there is none.
bool OpenSoundDevice(FMOD_SYSTEM& system, int sources) {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return false;
  const ALCint attributes[] = {ALC_HRTF_SOFT, ALC_FALSE, ALC_STEREO_SOURCES, sources, 0};
  return AdoptDevice(system, device, attributes, false);
}

bool OpenLoopbackDevice(FMOD_SYSTEM& system, int sources) {
  ALCdevice* device = alcLoopbackOpenDeviceSOFT(nullptr);
  if (device == nullptr) return false;
  if (alcIsRenderFormatSupportedSOFT(device, kAudioLayerLoopbackRate, ALC_STEREO_SOFT,
                                     ALC_FLOAT_SOFT) == ALC_FALSE) {
    alcCloseDevice(device);
    return false;
  }
  // No limiter and no HRTF, so what is rendered is exactly the sum of the voices.
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                               ALC_STEREO_SOFT,
                               ALC_FORMAT_TYPE_SOFT,
                               ALC_FLOAT_SOFT,
                               ALC_FREQUENCY,
                               kAudioLayerLoopbackRate,
                               ALC_HRTF_SOFT,
                               ALC_FALSE,
                               ALC_OUTPUT_LIMITER_SOFT,
                               ALC_FALSE,
                               ALC_STEREO_SOURCES,
                               sources,
                               0};
  return AdoptDevice(system, device, attributes, true);
}

void CloseOutput(FMOD_SYSTEM& system) {
  if (alcGetCurrentContext() == system.context) alcMakeContextCurrent(nullptr);
  if (system.context != nullptr) alcDestroyContext(system.context);
  if (system.device != nullptr) alcCloseDevice(system.device);
  system.context = nullptr;
  system.device = nullptr;
}

// Creates the two sources of every voice; false when OpenAL runs out.
bool CreateVoices(FMOD_SYSTEM& system, int count) {
  system.voices.assign(static_cast<std::size_t>(count), Voice{});
  for (Voice& voice : system.voices) {
    alGetError();
    alGenSources(2, voice.sources);
    if (alGetError() != AL_NO_ERROR) {
      voice.sources[0] = voice.sources[1] = 0;
      return false;
    }
    for (ALuint source : voice.sources) {
      alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
      alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcef(source, AL_MAX_GAIN, 16.0f);
    }
  }
  return true;
}

void DeleteVoices(FMOD_SYSTEM& system) {
  for (Voice& voice : system.voices) {
    if (voice.sources[0] == 0) continue;
    alSourceStopv(2, voice.sources);
    alSourcei(voice.sources[0], AL_BUFFER, 0);
    alSourcei(voice.sources[1], AL_BUFFER, 0);
    alDeleteSources(2, voice.sources);
  }
  system.voices.clear();
}

}  // namespace

FMOD_SYSTEM* FindLiveSystem(const FMOD_SYSTEM* system) {
  if (system == nullptr) return nullptr;
  for (FMOD_SYSTEM* live : LiveSystems()) {
    if (live == system) return live;
  }
  return nullptr;
}

FMOD_SYSTEM* FindLiveSystemBySerial(std::uint32_t serial) {
  for (FMOD_SYSTEM* live : LiveSystems()) {
    if (live->serial == serial) return live;
  }
  return nullptr;
}

FMOD_SYSTEM* FindSoundOwner(const FMOD_SOUND* sound) {
  if (sound == nullptr) return nullptr;
  for (FMOD_SYSTEM* live : LiveSystems()) {
    if (std::find(live->sounds.begin(), live->sounds.end(), sound) != live->sounds.end()) {
      return live;
    }
  }
  return nullptr;
}

void MakeCurrent(FMOD_SYSTEM* system) {
  if (alcGetCurrentContext() != system->context) alcMakeContextCurrent(system->context);
}

}  // namespace audio_layer

using namespace audio_layer;

extern "C" {

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system, unsigned int headerversion) {
  if (system == nullptr) return FMOD_ERR_INVALID_PARAM;
  *system = nullptr;
  if (headerversion != FMOD_VERSION) return FMOD_ERR_HEADER_MISMATCH;
  auto* created = new (std::nothrow) FMOD_SYSTEM;
  if (created == nullptr) return FMOD_ERR_MEMORY;
  created->serial = NextSerial();
  LiveSystems().push_back(created);
  *system = created;
  return FMOD_OK;
}

FMOD_RESULT FMOD_System_SetSoftwareChannels(FMOD_SYSTEM* system, int numsoftwarechannels) {
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (system->initialized) return FMOD_ERR_INITIALIZED;
  if (numsoftwarechannels < 1 || numsoftwarechannels > kMaxVoices) return FMOD_ERR_INVALID_PARAM;
  system->voiceCap = numsoftwarechannels;
  return FMOD_OK;
}

FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxchannels, FMOD_INITFLAGS flags,
                             void* extradriverdata) {
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (system->initialized) return FMOD_ERR_INITIALIZED;
  if (maxchannels < 1 || flags != FMOD_INIT_NORMAL || extradriverdata != nullptr) {
    return FMOD_ERR_INVALID_PARAM;
  }
  const int voices = std::min({maxchannels, system->voiceCap, kMaxVoices});
  bool opened = false;
  {
    const StandardErrorSilenced quiet;
    opened = (!LoopbackRequested() && OpenSoundDevice(*system, 2 * voices)) ||
             OpenLoopbackDevice(*system, 2 * voices);
  }
  if (!opened) return FMOD_ERR_OUTPUT_INIT;
  MakeCurrent(system);
  if (!CreateVoices(*system, voices)) {
    DeleteVoices(*system);
    CloseOutput(*system);
    return FMOD_ERR_MEMORY;
  }
  system->initialized = true;
  return FMOD_OK;
}

FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system) {
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (!system->initialized) return FMOD_ERR_UNINITIALIZED;
  MakeCurrent(system);
  if (system->loopback) {
    system->lastRender.resize(2 * kAudioLayerLoopbackFrames);
    alcRenderSamplesSOFT(system->device, system->lastRender.data(), kAudioLayerLoopbackFrames);
  }
  for (Voice& voice : system->voices) {
    if (voice.sound != nullptr && !VoiceSounding(voice)) RetireVoice(voice);
  }
  return FMOD_OK;
}

FMOD_RESULT FMOD_System_Close(FMOD_SYSTEM* system) {
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (!system->initialized) return FMOD_OK;
  MakeCurrent(system);
  DeleteVoices(*system);
  for (FMOD_SOUND* sound : system->sounds) DestroySound(sound);
  system->sounds.clear();
  CloseOutput(*system);
  system->lastRender.clear();
  system->initialized = false;
  return FMOD_OK;
}

FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system) {
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  FMOD_System_Close(system);
  auto& live = LiveSystems();
  live.erase(std::remove(live.begin(), live.end(), system), live.end());
  delete system;
  return FMOD_OK;
}

}  // extern "C"

FMOD_RESULT AudioLayer_IsLoopback(FMOD_SYSTEM* system, FMOD_BOOL* loopback) {
  if (loopback == nullptr) return FMOD_ERR_INVALID_PARAM;
  *loopback = 0;
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  if (!system->initialized) return FMOD_ERR_UNINITIALIZED;
  *loopback = system->loopback ? 1 : 0;
  return FMOD_OK;
}

FMOD_RESULT AudioLayer_GetLastRender(FMOD_SYSTEM* system, const float** interleaved, int* frames) {
  if (interleaved == nullptr || frames == nullptr) return FMOD_ERR_INVALID_PARAM;
  *interleaved = nullptr;
  *frames = 0;
  system = FindLiveSystem(system);
  if (system == nullptr) return FMOD_ERR_INVALID_HANDLE;
  *interleaved = system->lastRender.data();
  *frames = static_cast<int>(system->lastRender.size() / 2);
  return FMOD_OK;
}
