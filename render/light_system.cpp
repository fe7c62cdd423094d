#include "render/light_system.h"
