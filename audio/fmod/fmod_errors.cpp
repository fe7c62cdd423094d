// The words for each result code of audio/fmod/fmod.h.

#include "audio/fmod/fmod_errors.h"

const char* FMOD_ErrorString(FMOD_RESULT result) {
  switch (result) {
    case FMOD_OK:
      return "no error";
    case FMOD_ERR_CHANNEL_ALLOC:
      return "every voice is busy with a looping sound";
    case FMOD_ERR_FILE_BAD:
      return "the file could not be read through";
    case FMOD_ERR_FILE_NOTFOUND:
      return "no such file";
    case FMOD_ERR_FORMAT:
      return "not a sound file that can be decoded, or an empty one";
    case FMOD_ERR_HEADER_MISMATCH:
      return "the audio layer is of another version";
    case FMOD_ERR_INITIALIZED:
      return "the call must come before the sound output is opened";
    case FMOD_ERR_INVALID_HANDLE:
      return "a null, released or stale handle";
    case FMOD_ERR_INVALID_PARAM:
      return "a value out of range or an unsupported option";
    case FMOD_ERR_MEMORY:
      return "out of memory or of OpenAL objects";
    case FMOD_ERR_OUTPUT_INIT:
      return "no sound output could be opened, not even the silent loopback device";
    case FMOD_ERR_UNINITIALIZED:
      return "the sound output is not open";
  }
  return "unknown error";
}
