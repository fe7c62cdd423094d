#include "gameplay/animation_system.h"
