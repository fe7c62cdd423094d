#include "components/scene_system.h"
