#include "physics/physics_system.h"
