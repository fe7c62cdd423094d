#pragma once
// What each FMOD_RESULT of the audio layer means, in words a log line can carry:
//
//   printf("cannot load '%s': %s\n", path, FMOD_ErrorString(result));
//   // cannot load 'hit.wav': not a sound file that can be decoded, or an empty one

#include "audio/fmod/fmod.h"

#ifdef __cplusplus
extern "C" {
#endif

// A short description of `result`, never null; "unknown error" for a number that is no result.
const char* FMOD_ErrorString(FMOD_RESULT result);

#ifdef __cplusplus
}
#endif
