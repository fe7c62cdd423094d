#pragma once
// SoundBank: sound files under aliases ("alias path" per entry), loaded into the sound system.

#include <string>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class SoundBank : public BaseComponent {
 public:
  // Loads every entry of `_pairs` through the engine's sound loader (DECS::CurrentSoundLoader).
  // An entry is split at its first blank into alias and path (an entry without a blank is both);
  // the path is normalised. The first number returned is kept in `firstSound`, and every entry
  // counts in `soundCount`, loaded or not. Without a loader nothing is loaded.
  void Load();

  std::vector<std::string> _pairs;
  int firstSound = -1;
  int soundCount = 0;
  bool _loop = false;
};
DECLARE_TYPE_NAME(class, SoundBank);
