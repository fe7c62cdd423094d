#include "gameplay/particle_system.h"
