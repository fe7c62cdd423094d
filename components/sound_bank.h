#pragma once
// SoundBank: sound files under aliases ("alias path" per entry), loaded into the sound system.

#include <string>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class SoundBank : public BaseComponent {
 public:
  // Loads every sound of `_pairs` through the sound system and records the first sound's
  // number and the count. Does nothing yet: the loading arrives with the sound system.
  void Load();

  std::vector<std::string> _pairs;
  int firstSound = -1;
  int soundCount = 0;
  bool _loop = false;
};
DECLARE_TYPE_NAME(class, SoundBank);
