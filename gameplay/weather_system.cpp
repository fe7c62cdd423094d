#include "gameplay/weather_system.h"
