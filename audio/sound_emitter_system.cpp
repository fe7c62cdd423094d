#include "audio/sound_emitter_system.h"

// It keeps running while the pause menu is open.
SoundEmitterSystem::SoundEmitterSystem() {
  pausable = false;
}
