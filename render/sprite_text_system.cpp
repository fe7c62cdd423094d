#include "render/sprite_text_system.h"
