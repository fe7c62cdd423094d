#include "physics/collision_system.h"
