#pragma once
// The audio layer: the FMOD_* C functions the sound system calls, written for this project on
// OpenAL Soft (output and mixing) and libsndfile (decoding).
//
// Use:
//   FMOD_SYSTEM* system;  FMOD_System_Create(&system, FMOD_VERSION);
//   FMOD_System_Init(system, 32, FMOD_INIT_NORMAL, nullptr);
//   FMOD_SOUND* sound;    FMOD_System_CreateSound(system, "hit.wav", FMOD_LOOP_OFF | FMOD_2D,
//                                                 nullptr, &sound);
//   FMOD_CHANNEL* channel; FMOD_System_PlaySound(system, sound, nullptr, 0, &channel);
//   FMOD_Channel_SetVolume(channel, 0.5f);  ...  FMOD_System_Update(system);  // once a frame
//   FMOD_Sound_Release(sound); FMOD_System_Close(system); FMOD_System_Release(system);
//
// Output. Init opens the default sound device. When there is none (build machines, servers), or
// when the environment variable KELVARIS_AUDIO_OUTPUT is "loopback", it opens OpenAL Soft's
// loopback device instead: 48000 Hz float stereo, rendered by Update in blocks of 1/60 s that
// can be read back with AudioLayer_GetLastRender (audio/fmod/audio_layer.h). Either way every
// call works the same, nothing blocks, and nothing is played aloud on the loopback device.
// While Init looks for a device, standard error is silenced: the sound libraries' own
// diagnostics of a missing device never reach the player's terminal.
//
// Sounds. wav, ogg, flac and mp3 (whatever libsndfile reads), decoded whole at creation and mixed
// down to mono (the average of the file's channels).
//
// Channels. A channel is one playing voice. Init's channel count is the number of voices (at
// most 255, and at most the count set by FMOD_System_SetSoftwareChannels before Init). A
// channel handle carries its voice and the voice's generation: once the sound has ended, been
// stopped or had its voice taken by a newer sound, every call on the old handle is a harmless
// no-op returning FMOD_ERR_INVALID_HANDLE, and FMOD_Channel_IsPlaying reports false. When all
// voices are busy, PlaySound takes the voice of the oldest sound that does not loop; when every
// voice loops it fails with FMOD_ERR_CHANNEL_ALLOC.
//
// Channel parameters:
//   volume  linear gain, 0 to 16 (values above 1 amplify; OpenAL Soft mixes up to +24 dB).
//   pan     -1 (left) to 1 (right), constant power: with t = (pan + 1) * pi / 4 the left output
//           gain is cos(t) and the right sin(t), so the centre sends 0.707 to each side. Each
//           voice plays its sound twice in step, once only in the left output and once only in
//           the right (OpenAL direct channels), with those two gains times the volume.
//   pitch   playback-rate factor, clamped to 0.01 to 8.
// Out-of-range values are clamped; NaN or infinite values are refused with
// FMOD_ERR_INVALID_PARAM and change nothing.
//
// Results. Every function returns an FMOD_RESULT; FMOD_OK is 0, the other numbers are this
// layer's own (FMOD_ErrorString in audio/fmod/fmod_errors.h puts each in words). Single-threaded:
// call everything from one thread.

#ifdef __cplusplus
extern "C" {
#endif

#define FMOD_VERSION 0x00020211u

typedef enum FMOD_RESULT {
  FMOD_OK = 0,
  FMOD_ERR_CHANNEL_ALLOC = 1,    // every voice is busy with a looping sound
  FMOD_ERR_FILE_BAD = 2,         // the file could not be read through
  FMOD_ERR_FILE_NOTFOUND = 3,    // no such file
  FMOD_ERR_FORMAT = 4,           // not a sound file that can be decoded, or an empty one
  FMOD_ERR_HEADER_MISMATCH = 5,  // FMOD_System_Create with another version than FMOD_VERSION
  FMOD_ERR_INITIALIZED = 6,      // the call must come before FMOD_System_Init
  FMOD_ERR_INVALID_HANDLE = 7,   // a null, released or stale handle
  FMOD_ERR_INVALID_PARAM = 8,    // a null output pointer, NaN, or an unsupported option
  FMOD_ERR_MEMORY = 9,           // out of memory or of OpenAL objects
  FMOD_ERR_OUTPUT_INIT = 10,     // no output could be opened, not even the loopback device
  FMOD_ERR_UNINITIALIZED = 11,   // the call needs FMOD_System_Init first
} FMOD_RESULT;

typedef int FMOD_BOOL;
typedef unsigned int FMOD_MODE;
typedef unsigned int FMOD_INITFLAGS;

#define FMOD_DEFAULT 0x00000000u
#define FMOD_LOOP_OFF 0x00000001u
#define FMOD_LOOP_NORMAL 0x00000002u
#define FMOD_2D 0x00000008u

#define FMOD_INIT_NORMAL 0x00000000u

typedef struct FMOD_SYSTEM FMOD_SYSTEM;
typedef struct FMOD_SOUND FMOD_SOUND;
typedef struct FMOD_CHANNEL FMOD_CHANNEL;
typedef struct FMOD_CHANNELGROUP FMOD_CHANNELGROUP;
typedef struct FMOD_CREATESOUNDEXINFO FMOD_CREATESOUNDEXINFO;

// Creates a system object; `headerversion` must be FMOD_VERSION.
FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system, unsigned int headerversion);
// Opens the output with `maxchannels` voices (1 to 255). `flags` must be FMOD_INIT_NORMAL;
// `extradriverdata` must be null.
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxchannels, FMOD_INITFLAGS flags,
                             void* extradriverdata);
// Caps the number of voices (1 to 255) before Init; FMOD_ERR_INITIALIZED afterwards.
FMOD_RESULT FMOD_System_SetSoftwareChannels(FMOD_SYSTEM* system, int numsoftwarechannels);
// Decodes a file into a sound. `mode`: FMOD_LOOP_OFF or FMOD_LOOP_NORMAL, optionally with
// FMOD_2D (sounds are always 2-D); `exinfo` must be null. On failure *sound is null.
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound);
// Starts a sound on a voice at volume 1, pan 0, pitch 1. `channelgroup` must be null and
// `paused` 0. On failure *channel is null.
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_SOUND* sound,
                                  FMOD_CHANNELGROUP* channelgroup, FMOD_BOOL paused,
                                  FMOD_CHANNEL** channel);
// Renders the next block on the loopback device and retires voices whose sound has ended.
FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system);
// Stops the voices playing the sound and frees it.
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound);
// Stops everything, frees every sound still held and closes the output; Init may follow again.
FMOD_RESULT FMOD_System_Close(FMOD_SYSTEM* system);
// Closes the system if needed and frees it; every handle it gave out becomes invalid.
FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system);

FMOD_RESULT FMOD_Channel_SetVolume(FMOD_CHANNEL* channel, float volume);
FMOD_RESULT FMOD_Channel_SetPan(FMOD_CHANNEL* channel, float pan);
FMOD_RESULT FMOD_Channel_SetPitch(FMOD_CHANNEL* channel, float pitch);
// *isplaying is set in every case: false for a stale or null handle.
FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* isplaying);
FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel);

#ifdef __cplusplus
}
#endif
