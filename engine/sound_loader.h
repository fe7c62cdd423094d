#pragma once
// Where the SoundBank load step has its sounds loaded: the sound system, which the program
// hands to DECS after registration. The components library thereby needs no audio headers.

#include <string>

class SoundLoader {
 public:
  virtual ~SoundLoader() = default;

  // Loads the file under the alias (looping or not) and returns the sound's number; -1 when
  // nothing could be given a number.
  virtual int LoadSound(const std::string& path, const std::string& alias, bool loop) = 0;
};
