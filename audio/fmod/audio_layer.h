#pragma once
// What the audio layer offers beyond the FMOD_* calls: reading back the loopback device's
// output, so tests and benchmarks can measure what was played.

#include "audio/fmod/fmod.h"

// The loopback device's format and block: stereo float frames at this rate, this many per
// FMOD_System_Update (1/60 s).
constexpr int kAudioLayerLoopbackRate = 48000;
constexpr int kAudioLayerLoopbackFrames = 800;

// Whether the system renders into the loopback device (only known after Init).
FMOD_RESULT AudioLayer_IsLoopback(FMOD_SYSTEM* system, FMOD_BOOL* loopback);

// The block rendered by the last FMOD_System_Update: `frames` interleaved left/right float
// pairs. Before the first update, or on a sound device, *frames is 0. The pointer stays valid
// until the next update or until the system is closed.
FMOD_RESULT AudioLayer_GetLastRender(FMOD_SYSTEM* system, const float** interleaved, int* frames);
