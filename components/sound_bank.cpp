#include "components/sound_bank.h"

void SoundBank::Load() {
  // The loading arrives with the sound system.
}
