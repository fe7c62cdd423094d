#include "physics/tilemap_system.h"
