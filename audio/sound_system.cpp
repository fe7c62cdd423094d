#include "audio/sound_system.h"
